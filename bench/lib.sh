# Shared settings and helpers of the benchmark scripts; sourced, never run.
#
# Settings (environment):
#   FENDREL_BENCH_DIR   scratch folder for generated data, work copies and results
#                       (default /tmp/fendrel-bench); the data is generated once and reused
#   FENDREL_BENCH_DATA  folder with en-sampled.txt (default: shared/bench-data beside the repo)
#   FENDREL_BENCH_RUNS  timed runs per command of the file benchmarks (default 5)
#   FENDREL_BENCH_MIB   size of the large single file in MiB (default 1024; smaller for a
#                       quick try, the goals are meant for 1024)
set -euo pipefail

BENCH_SRC=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
REPO=$(dirname "$BENCH_SRC")
BUILD=$(cd "${1:-$REPO/build/release}" && pwd)
CLI=$BUILD/cli/fendrel-cli
GEN=$BUILD/bench/fendrel-bench-gen
SEARCH_BENCH=$BUILD/bench/literal_search_bench

SCRATCH=${FENDREL_BENCH_DIR:-/tmp/fendrel-bench}
TEXT_DIR=${FENDREL_BENCH_DATA:-$REPO/../shared/bench-data}
[ -r "$TEXT_DIR/en-sampled.txt" ] ||
  { echo "no en-sampled.txt in $TEXT_DIR: set FENDREL_BENCH_DATA" >&2; exit 1; }
TEXT=$TEXT_DIR/en-sampled.txt
RUNS=${FENDREL_BENCH_RUNS:-5}
BIG_MIB=${FENDREL_BENCH_MIB:-1024}
DATA=$SCRATCH/data
WORK=$SCRATCH/work
RESULTS=$SCRATCH/results
SUMMARY=$RESULTS/summary.tsv
mkdir -p "$DATA" "$WORK" "$RESULTS"
# The run journal of every run with backups goes to a configuration folder of the benchmark's
# own: it is part of what a run costs, but not part of the user's history of runs.
export XDG_CONFIG_HOME=$SCRATCH/config

# The marker that the file benchmarks replace: it never occurs in the text itself, has the same
# length as its replacement (so every output is as large as its input, like the copy it is
# compared with) and contains nothing that a regular expression would treat specially.
OLD=QuuxMarker
NEW=QuuxChange

# Every tool runs in the C locale: the fastest setting for sed and find, so the comparisons
# never favour Fendrel, and the same case table every time.
export LC_ALL=C

for tool in "$CLI" "$GEN"; do
  [ -x "$tool" ] || { echo "missing $tool: run 'make release' first" >&2; exit 1; }
done
[ -r "$TEXT" ] || { echo "missing $TEXT: set FENDREL_BENCH_DATA" >&2; exit 1; }

section() { printf '\n=== %s\n' "$*"; }

# ensure_data DIR KEY COMMAND...: runs COMMAND to fill DIR unless DIR already holds data made
# with the same KEY (the generator's parameters), so repeated runs skip the slow part.
ensure_data() {
  local dir=$1 key=$2
  shift 2
  if [ "$(cat "$dir/.key" 2>/dev/null)" = "$key" ]; then return; fi
  echo "generating $dir ..."
  rm -rf "$dir"
  mkdir -p "$dir"
  "$@"
  echo "$key" >"$dir/.key"
}

# The large files of big-file and regex-replace-big: BIG_MIB MiB of en-sampled.txt repeated, the
# marker in place of the last bytes of every block, one block per 64 KiB (sparse) or per 100
# bytes (dense: 10.7 million markers in 1 GiB).
BIG_SIZE=$((BIG_MIB * 1024 * 1024))
declare -A BIG_PERIOD=([sparse]=65536 [dense]=100)
big_master() { echo "$DATA/big-$1/text.txt"; }
# ensure_big KIND: generates the large file of KIND unless it is there already.
ensure_big() {
  ensure_data "$DATA/big-$1" "$BIG_SIZE ${BIG_PERIOD[$1]} $OLD $(stat -c %s "$TEXT")" \
    "$GEN" big "$TEXT" "$(big_master "$1")" "$BIG_SIZE" "${BIG_PERIOD[$1]}" "$OLD"
}

# compare NAME RUNS PREPARE LABEL COMMAND [LABEL COMMAND]...: times the commands in RUNS rounds,
# each round one hyperfine run of every command, the order turned by one place each round.
# The file benchmarks drift (page cache reclaimed, inodes freed by the previous run), so running
# all of one command's runs before the next command's would favour whichever came first. The
# first round is preceded by one warm-up run of each command. PREPARE (may be empty) runs
# before every run. The rounds are merged into NAME.json (times, median, mean, min, max, and
# the medians of user and system CPU time).
compare() {
  local name=$1 runs=$2 prepare=$3 round i k
  shift 3
  local -a pairs=("$@") args
  local count=$((${#pairs[@]} / 2))
  for ((round = 0; round < runs; round++)); do
    args=(--style none --runs 1 --export-json "$RESULTS/$name.round$round.json")
    [ "$round" = 0 ] && args+=(--warmup 1)
    [ -n "$prepare" ] && args+=(--prepare "$prepare")
    for ((i = 0; i < count; i++)); do
      k=$(((i + round) % count))
      args+=(-n "${pairs[2 * k]}" "${pairs[2 * k + 1]}")
    done
    hyperfine "${args[@]}" >/dev/null
  done
  jq -s 'def med: sort | if length % 2 == 1 then .[(length - 1) / 2]
                          else (.[length / 2 - 1] + .[length / 2]) / 2 end;
    {results: [map(.results[]) | group_by(.command)[] | (map(.times[]) | sort) as $t |
      {command: .[0].command, times: $t, min: $t[0], max: $t[-1], mean: ($t | add / length),
       median: ($t | med), user: (map(.user) | med), system: (map(.system) | med)}]}' \
    "$RESULTS/$name".round*.json >"$RESULTS/$name.json"
  rm -f "$RESULTS/$name".round*.json
  for ((i = 0; i < count; i++)); do
    jq -r --arg n "${pairs[2 * i]}" '.results[] | select(.command == $n) |
      "  \(.command | . + " " * (20 - length)) median \(.median * 1000 | round) ms" +
      "   min \(.min * 1000 | round) ms   max \(.max * 1000 | round) ms   (\(.times | length) runs)" +
      "   CPU user \(.user * 1000 | round) ms, system \(.system * 1000 | round) ms"' \
      "$RESULTS/$name.json"
  done
}

# median NAME LABEL [FIELD]: the median wall time (or FIELD: user, system) in seconds of one
# command of a compare.
median() {
  jq -r --arg n "$2" --arg f "${3:-median}" '.results[] | select(.command == $n) | .[$f]' \
    "$RESULTS/$1.json"
}

# Summary rows, tab-separated: goal, case, Fendrel's figure, the peer's, ratio, target, verdict.
row() { printf '%s\t%s\t%s\t%s\t%s\t%s\t%s\n' "$@" >>"$SUMMARY"; }

# goal_at_most GOAL CASE FENDREL_S PEER_S PEER_LABEL LIMIT: met when FENDREL_S / PEER_S <= LIMIT.
goal_at_most() {
  local ratio verdict
  ratio=$(awk -v a="$3" -v b="$4" 'BEGIN { printf "%.2f", a / b }')
  verdict=$(awk -v r="$ratio" -v l="$6" 'BEGIN { print (r <= l ? "met" : "NOT met") }')
  row "$1" "$2" "$(secs "$3")" "$5 $(secs "$4")" "${ratio}x" "<= ${6}x" "$verdict"
}

# goal_speedup GOAL CASE FENDREL_S PEER_S PEER_LABEL FACTOR: met when PEER_S / FENDREL_S >= FACTOR.
goal_speedup() {
  local ratio verdict
  ratio=$(awk -v a="$3" -v b="$4" 'BEGIN { printf "%.2f", b / a }')
  verdict=$(awk -v r="$ratio" -v l="$6" 'BEGIN { print (r >= l ? "met" : "NOT met") }')
  row "$1" "$2" "$(secs "$3")" "$5 $(secs "$4")" "${ratio}x faster" ">= ${6}x faster" "$verdict"
}

# Seconds as text: three significant digits below a second, so in-memory times of a fraction of a
# millisecond still compare.
secs() {
  awk -v s="$1" 'BEGIN {
    ms = s * 1000
    if (s >= 1) printf "%.2f s", s
    else printf (ms < 1 ? "%.3f ms" : ms < 10 ? "%.2f ms" : "%.1f ms"), ms }'
}

# Prints the summary as an aligned table, the rows in the order of the goals.
print_summary() {
  awk -F'\t' '
    { for (i = 1; i <= NF; i++) { cell[NR, i] = $i; if (length($i) > w[i]) w[i] = length($i) } }
    END {
      for (r = 1; r <= NR; r++) {
        line = ""
        for (i = 1; i <= 7; i++) line = line sprintf("%-" w[i] "s  ", cell[r, i])
        sub(/ +$/, "", line); print line
        if (r == 1) { line = ""; for (i = 1; i <= 7; i++) line = line sprintf("%s  ", dashes(w[i])); sub(/ +$/, "", line); print line }
      }
    }
    function dashes(n,   s) { s = ""; while (n-- > 0) s = s "-"; return s }' \
    <(head -1 "$SUMMARY"; tail -n +2 "$SUMMARY" | sort -s -t "$(printf '\t')" -k1,1n)
}
