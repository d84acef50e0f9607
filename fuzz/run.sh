#!/usr/bin/env bash
# Fuzzes one target for SECONDS (default 60): builds it in the "fuzz" preset
# and runs libFuzzer on a scratch copy of fuzz/corpus, so the checked-in
# corpus never grows. Exits non-zero when the fuzzer finds a crash, a leak, a
# hang or a failed check; the input that did it is kept in
# build-fuzz/artifacts/. Further arguments go to libFuzzer as they are (for a
# campaign: -runs=N, -max_total_time=0).
#
#   fuzz/run.sh TARGET [SECONDS] [LIBFUZZER_OPTION...]
#
# TARGET is exchange_fuzz (the reader, fed from memory) or job_fuzz (the
# tool's whole job, from the host's file to the file OK writes).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
usage() {
  echo "usage: fuzz/run.sh exchange_fuzz|job_fuzz [SECONDS] [LIBFUZZER_OPTION...]" >&2
  exit 2
}
TARGET="${1:-}"
[[ "$TARGET" == exchange_fuzz || "$TARGET" == job_fuzz ]] || usage
shift
DURATION=60
if [[ $# -gt 0 && "$1" != -* ]]; then
  DURATION="$1"
  shift
fi
[[ "$DURATION" =~ ^[0-9]+$ ]] || usage
JOBS="${JOBS:-2}"

werror=OFF
[[ "${CI:-false}" == "true" ]] && werror=ON
cmake --preset fuzz -DRUPENA_WERROR="$werror" >/dev/null
cmake --build --preset fuzz -j "$JOBS" --target "$TARGET"

# The targets write their files in TMPDIR; keeping that inside the scratch
# directory cleans it up even when the fuzzer dies on a finding.
work="$(mktemp -d "/tmp/$TARGET.XXXXXX")"
trap 'rm -rf "$work"' EXIT
mkdir "$work/corpus" "$work/tmp"
cp fuzz/corpus/* "$work/corpus/"
artifacts="$ROOT/build-fuzz/artifacts"
mkdir -p "$artifacts"

# Inputs of up to 4 KB hold dozens of lines, lines across several read
# chunks and every chunk edge the targets pick; longer lines and files are
# the unit tests' (megabyte lines, thousands of records), and every byte more
# per input costs inputs per second.
# Every input allocates and frees a drawing's table blocks. ASan's default
# quarantine of 256 MB hands each input fresh pages to fault in and fills
# the first 4 KB of each block: a third of the time of an input. A 16 MB
# quarantine still holds all that one input frees (so a use after free is
# still found), and ASan does not report reads of unwritten bytes anyway.
status=0
TMPDIR="$work/tmp" \
  ASAN_OPTIONS="${ASAN_OPTIONS:-detect_leaks=1:quarantine_size_mb=16:max_malloc_fill_size=0}" \
  UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}" \
  "build-fuzz/fuzz/$TARGET" "$work/corpus" \
  -dict=fuzz/exchange.dict \
  -max_total_time="$DURATION" \
  -timeout=10 -rss_limit_mb=2048 -max_len=4096 \
  -artifact_prefix="$artifacts/$TARGET-" \
  -print_final_stats=1 "$@" || status=$?

if ((status != 0)); then
  echo "fuzz/run.sh: $TARGET stopped with status $status; inputs in $artifacts:" >&2
  ls -l "$artifacts" >&2
  exit "$status"
fi
echo "fuzz/run.sh: $TARGET, no findings"
