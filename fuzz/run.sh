#!/usr/bin/env bash
# Fuzzes the exchange reader for SECONDS (default 60): builds the "fuzz"
# preset and runs libFuzzer on a scratch copy of fuzz/corpus, so the checked-in
# corpus never grows. Exits non-zero when the fuzzer finds a crash, a leak, a
# hang or a failed model check; the input that did it is kept in
# build-fuzz/artifacts/.
#
#   fuzz/run.sh [SECONDS]
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
DURATION="${1:-60}"
JOBS="${JOBS:-2}"
if [[ ! "$DURATION" =~ ^[0-9]+$ ]]; then
  echo "usage: fuzz/run.sh [SECONDS]" >&2
  exit 2
fi

werror=OFF
[[ "${CI:-false}" == "true" ]] && werror=ON
cmake --preset fuzz -DRUPENA_WERROR="$werror" >/dev/null
cmake --build --preset fuzz -j "$JOBS" --target exchange_fuzz

# The target writes each input to a file in TMPDIR; keeping that inside the
# scratch directory cleans it up even when the fuzzer dies on a finding.
work="$(mktemp -d /tmp/exchange_fuzz.XXXXXX)"
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/tmp"
cp fuzz/corpus/* "$work/corpus/"
artifacts="$ROOT/build-fuzz/artifacts"
mkdir -p "$artifacts"

status=0
TMPDIR="$work/tmp" ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
  build-fuzz/fuzz/exchange_fuzz "$work/corpus" \
  -dict=fuzz/exchange.dict \
  -max_total_time="$DURATION" \
  -timeout=10 -rss_limit_mb=2048 -max_len=65536 \
  -artifact_prefix="$artifacts/" \
  -print_final_stats=1 || status=$?

if ((status != 0)); then
  echo "fuzz/run.sh: the fuzzer stopped with status $status; inputs in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit "$status"
fi
echo "fuzz/run.sh: no findings in $DURATION s"
