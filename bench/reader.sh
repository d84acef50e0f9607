#!/usr/bin/env bash
# Reader benchmark: builds a Release tree in build-bench/, generates a large
# host-like exchange file there once, and prints in one run how fast
# LoadExchangeFile reads it next to `wc -l` and an awk sum over the same file,
# the peak memory of one load against the file size, and how many inputs a
# second the reader's fuzz target runs (FUZZ_SECONDS, default 20; 0 skips it).
#
# Figures, not a test: exits 0 whatever they are, non-zero only when a step
# fails. BENCH_SEED and BENCH_BYTES choose another file (default 1, 100 MB).
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$ROOT"
JOBS="${JOBS:-2}"
SEED="${BENCH_SEED:-1}"
BYTES="${BENCH_BYTES:-100000000}"
REPEAT=5
BUILD=build-bench
DATA="$BUILD/bench_exchange.txt"

log() { printf '== %s\n' "$*" >&2; }

if ! command -v mawk >/dev/null; then
  log "installing mawk"
  sudo=()
  [[ $(id -u) -ne 0 ]] && sudo=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq mawk ||
    { "${sudo[@]}" apt-get update -qq &&
      DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq mawk; }
fi

log "building (Release, $BUILD)"
cmake -S . -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release -DRUPENA_TESTS=OFF >/dev/null
cmake --build "$BUILD" -j "$JOBS" --target gen_exchange reader_bench >/dev/null

# The file is reused while seed, size and generator source are unchanged.
stamp="seed=$SEED bytes=$BYTES generator=$(cksum <bench/gen_exchange.cpp | cut -d' ' -f1)"
if [[ -f "$DATA" && -f "$DATA.stamp" && "$(cat "$DATA.stamp")" == "$stamp" ]]; then
  log "reusing $DATA"
else
  log "generating $DATA (seed $SEED, $BYTES bytes)"
  rm -f "$DATA.stamp"
  "$BUILD/bench/gen_exchange" "$DATA.tmp" "$SEED" "$BYTES" >/dev/null
  mv "$DATA.tmp" "$DATA"
  printf '%s\n' "$stamp" >"$DATA.stamp"
fi

export LC_ALL=C
size=$(stat -c %s "$DATA")
lines=$(wc -l <"$DATA")

# Best wall time of REPEAT runs of a command, after one untimed warm-up run,
# so every contender reads from a hot page cache. Includes process start-up
# (about a millisecond), which the in-process reader timing does not.
best_of() {
  "$@" >/dev/null
  local best="" start stop t
  for ((i = 0; i < REPEAT; i++)); do
    start=$EPOCHREALTIME
    "$@" >/dev/null
    stop=$EPOCHREALTIME
    t=$(awk -v a="$start" -v b="$stop" 'BEGIN { printf "%.6f", b - a }')
    if [[ -z "$best" ]] || awk -v t="$t" -v b="$best" 'BEGIN { exit !(t < b) }'; then best=$t; fi
  done
  printf '%s\n' "$best"
}

field() { awk -v k="$1" '$1 == k { print $2 }' <<<"$2"; }

cat "$DATA" >/dev/null
log "timing LoadExchangeFile (best of $REPEAT)"
reader_out=$("$BUILD/bench/reader_bench" "$DATA" "$REPEAT")
reader_s=$(field best_seconds "$reader_out")
first_s=$(field first_seconds "$reader_out")
entities=$(field entities "$reader_out")

log "timing wc -l and mawk (best of $REPEAT each)"
wc_s=$(best_of wc -l "$DATA")
mawk_s=$(best_of mawk '{for(i=1;i<=NF;i++) s+=$i} END{print s}' "$DATA")

log "peak memory of one load"
once_out=$("$BUILD/bench/reader_bench" --once "$DATA")
peak_kib=$(field peak_rss_kib "$once_out")
base_kib=$(field baseline_rss_kib "$once_out")
# The three largest tables by the bytes of their records.
tables=$(awk '$1 ~ /^table_bytes_/ { sub(/^table_bytes_/, "", $1); print $2, $1 }' <<<"$once_out" |
  sort -rn | head -3 | awk '{ printf "%s%s %.1f MB", (NR > 1 ? ", " : ""), $2, $1 / 1e6 }')
table_total=$(field table_bytes "$once_out")

awk -v size="$size" -v lines="$lines" -v entities="$entities" -v r="$reader_s" -v first="$first_s" \
  -v wc="$wc_s" -v mawk="$mawk_s" -v peak="$peak_kib" -v base="$base_kib" -v n="$REPEAT" \
  -v tables="$tables" -v tableTotal="$table_total" '
  function verdict(ok) { return ok ? "met" : "NOT met" }
  BEGIN {
    mem = peak * 1024 / size
    printf "file                %d bytes (%.1f MB), %d lines, %d entities loaded\n", size, size / 1e6, lines, entities
    printf "LoadExchangeFile    %.3f s best of %d (first %.3f s), %.1f MB/s\n", r, n, first, size / 1e6 / r
    printf "wc -l               %.3f s    reader / wc   = %5.2fx\n", wc, r / wc
    printf "mawk sum of fields  %.3f s    mawk / reader = %5.2fx   target >= 2.5x %s\n", mawk, mawk / r, verdict(mawk / r >= 2.5)
    printf "peak RSS of a load  %.1f MB   / file size   = %5.2fx   target <= 1.5x %s\n", peak * 1024 / 1e6, mem, verdict(mem <= 1.5)
    printf "                    (includes the program baseline of %.1f MB; without it %.2fx)\n", base * 1024 / 1e6, (peak - base) * 1024 / size
    printf "                    records %.1f MB in the tables: %s\n", tableTotal / 1e6, tables
  }'

# The fuzz target's rate: libFuzzer's own average over a short run on the
# checked-in corpus, under the sanitizers it always runs with.
fuzz_seconds=${FUZZ_SECONDS:-20}
if ((fuzz_seconds > 0)); then
  log "fuzzing the reader for $fuzz_seconds s"
  rate=$(bash fuzz/run.sh exchange_fuzz "$fuzz_seconds" 2>&1 | awk '/average_exec_per_sec/ { print $2 }')
  awk -v rate="$rate" -v seconds="$fuzz_seconds" '
    function verdict(ok) { return ok ? "met" : "NOT met" }
    BEGIN {
      printf "reader fuzz target  %d inputs/s over %d s                 target >= 5000 %s\n", rate, seconds, verdict(rate >= 5000)
    }'
fi
