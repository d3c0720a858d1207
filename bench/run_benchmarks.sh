#!/usr/bin/env bash
# Runs the benchmarks against the corpora and prints a summary.
#
#   bench/run_benchmarks.sh BUILD_DIR [large]
#
# BUILD_DIR must hold a build with -DQM_BUILD_BENCH=ON, preferably Release (`make bench` does
# all of that). Steps:
#   1. bench/corpora.sh prepares the small and medium corpus (and the large one when asked);
#   2. lexer_bench on the small corpus, then on the medium corpus with the linearity checks;
#   3. the linearity checks once more with glibc's mmap threshold raised, which takes the cost of
#      fresh pages for large token vectors out of the figures and leaves the scanner alone;
#   4. universal-ctags over the medium corpus, timed in the same run; the lexer's pass time on
#      that corpus is printed as a ratio of ctags' time (both in CPU time, best of the runs);
#   5. preprocess_bench on the medium corpus: the analysis engine over its .c/.cc/.cpp files
#      against ctags over the same list, a second run served from the engine's cache, and the
#      generated directive files (linearity, many defines, many conditionals); the linearity
#      check once more with the mmap threshold raised.
#
# QM_BENCH_MIN_TIME (seconds, default 2) is how long each benchmark runs at least;
# QM_BENCH_RUNS (default 5) is how many timed engine runs preprocess_bench makes.
set -euo pipefail

if [ $# -lt 1 ] || [ $# -gt 2 ] || { [ $# = 2 ] && [ "$2" != large ]; }; then
    echo "usage: $0 BUILD_DIR [large]" >&2
    exit 2
fi
build_dir=$1
with_large=${2:-}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench="$build_dir/bin/lexer_bench"
pp_bench="$build_dir/bin/preprocess_bench"
min_time=${QM_BENCH_MIN_TIME:-2}
engine_runs=${QM_BENCH_RUNS:-5}

for program in "$bench" "$pp_bench"; do
    if [ ! -x "$program" ]; then
        echo "run_benchmarks.sh: $program not found; configure with -DQM_BUILD_BENCH=ON and build first" >&2
        exit 1
    fi
done
build_type=$(sed -n 's/^CMAKE_BUILD_TYPE:[A-Z]*=//p' "$build_dir/CMakeCache.txt" 2>/dev/null || true)
case "$build_type" in
    Release|RelWithDebInfo) ;;
    *) echo "run_benchmarks.sh: warning: build type is '${build_type:-none}', figures are not representative" >&2 ;;
esac

if [ "$with_large" = large ]; then
    corpora=$("$here/corpora.sh" small medium large)
else
    corpora=$("$here/corpora.sh")
fi
corpus_dir() { printf '%s\n' "$corpora" | sed -n "s/^$1=//p"; }
small=$(corpus_dir small)
medium=$(corpus_dir medium)
large=$(corpus_dir large)

log=$(mktemp)
trap 'rm -f "$log"' EXIT

echo "== lexer_bench, small corpus ($small)"
"$bench" --corpus="$small" --benchmark_filter='^corpus/' --benchmark_min_time="$min_time" | tee -a "$log"
echo
echo "== lexer_bench, medium corpus ($medium), with the linearity checks"
"$bench" --corpus="$medium" --benchmark_min_time="$min_time" | tee -a "$log"
echo
echo "== linearity, scanner alone (glibc mmap threshold raised: no fresh pages per run)"
GLIBC_TUNABLES=glibc.malloc.mmap_threshold=1073741824:glibc.malloc.trim_threshold=4294967296 \
    "$bench" --corpus="$medium" --benchmark_filter='^linearity/' --benchmark_min_time="$min_time" |
    grep '^summary' | sed 's/^summary linearity=/summary linearity_warm=/' | tee -a "$log"
if [ -n "$large" ]; then
    echo
    echo "== lexer_bench, large corpus ($large)"
    "$bench" --corpus="$large" --benchmark_filter='^corpus/' --benchmark_min_time="$min_time" | tee -a "$log"
fi

# ctags over the medium corpus: one run to warm the page cache, then the best of three. Like the
# lexer passes, ctags is timed in CPU time (user + system), so that other load on the machine
# does not count.
echo
echo "== universal-ctags, medium corpus"
ctags -R --languages=C,C++ -f - "$medium" > /dev/null
ctags_best=
ctags_wall=
for _ in 1 2 3; do
    times_file=$(mktemp)
    TIMEFORMAT='%3U %3S %3R'
    { time ctags -R --languages=C,C++ -f - "$medium" > /dev/null; } 2> "$times_file"
    read -r user sys wall < "$times_file"
    rm -f "$times_file"
    if [ -z "$ctags_best" ] || awk -v u="$user" -v s="$sys" -v b="$ctags_best" 'BEGIN { exit !(u + s < b) }'; then
        ctags_best=$(awk -v u="$user" -v s="$sys" 'BEGIN { printf "%.3f", u + s }')
        ctags_wall=$wall
    fi
done
echo "ctags -R --languages=C,C++: best of 3 = ${ctags_best} s CPU (${ctags_wall} s elapsed)"

echo
echo "== preprocess_bench, medium corpus ($medium)"
"$pp_bench" --corpus="$medium" --runs="$engine_runs" --benchmark_min_time="$min_time" | tee -a "$log"
echo
echo "== preprocessor linearity, allocator warm (glibc mmap threshold raised: no fresh pages per run)"
GLIBC_TUNABLES=glibc.malloc.mmap_threshold=1073741824:glibc.malloc.trim_threshold=4294967296 \
    "$pp_bench" --corpus="$medium" --benchmark_filter='^generated/blocks' --benchmark_min_time="$min_time" |
    grep '^summary' | sed 's/^summary generated=blocks/summary generated=blocks_warm/' | tee -a "$log"

# The summary lines of the benchmarks carry plain numbers: "summary corpus=DIR key=value ...".
field() {  # field <summary-selector> <key>
    grep "^summary $1 " "$log" | tail -1 | tr ' ' '\n' | sed -n "s/^$2=//p"
}
lex_medium=$(field "corpus=$medium" lex_s)

echo
echo "== summary (best pass of each kind; MB = 10^6 bytes)"
printf '%-8s %8s %8s %10s %10s %14s %12s\n' corpus files MB read_MB/s lex_MB/s lex/read token_mem
for name in small medium large; do
    dir=$(corpus_dir "$name")
    [ -n "$dir" ] || continue
    sel="corpus=$dir"
    printf '%-8s %8s %8s %10s %10s %14s %12s\n' "$name" "$(field "$sel" files)" "$(field "$sel" MB)" \
        "$(field "$sel" read_MBps)" "$(field "$sel" lex_MBps)" "$(field "$sel" lex_over_read)" \
        "$(field "$sel" token_mem_ratio)"
done
echo "  targets: lex/read >= 0.40 (aim 0.60), token_mem <= 10"
echo
printf '%-12s %14s %18s\n' linearity 'time(2N)/time(N)' 'scanner alone'
for kind in identifiers numbers strings comments; do
    printf '%-12s %14s %18s\n' "$kind" "$(field "linearity=$kind" ratio)" "$(field "linearity_warm=$kind" ratio)"
done
echo "  N = $(field linearity=identifiers N_MB) MB; target <= 2.3"
echo
awk -v lex="$lex_medium" -v ctags="$ctags_best" 'BEGIN {
    printf "medium corpus: lexer pass %.4f s, ctags %.3f s (CPU time), lexer/ctags time ratio %.3f\n", lex, ctags, lex / ctags }'

# preprocess_bench's summary lines read the same way: "summary engine=DIR ..." and
# "summary generated=KIND ...".
engine_sel="engine=$medium"
echo
echo "== preprocessing (CPU time, best of the runs)"
printf 'medium corpus, %s project files, %s units: engine first run %s s, second run %s s\n' \
    "$(field "$engine_sel" files)" "$(field "$engine_sel" units)" \
    "$(field "$engine_sel" first_s)" "$(field "$engine_sel" second_s)"
if [ -n "$(field "$engine_sel" ctags_s)" ]; then
    printf '  engine/ctags            %8s   (ctags over the same file list: %s s CPU; target <= 0.5)\n' \
        "$(field "$engine_sel" engine_over_ctags)" "$(field "$engine_sel" ctags_s)"
else
    echo "  engine/ctags            ctags missing"
fi
printf '  second/first run        %8s   (nothing changed; target <= 0.05)\n' \
    "$(field "$engine_sel" second_over_first)"
printf '  time(10N)/time(N)       %8s   preprocessUnit, N = %s blocks (target <= 12)\n' \
    "$(field generated=blocks pp_ratio)" "$(field generated=blocks N)"
printf '                          %8s   the same, allocator warm\n' "$(field generated=blocks_warm pp_ratio)"
printf '                          %8s   engine run over the file (reading and tokenizing included)\n' \
    "$(field generated=blocks engine_ratio)"
printf '                          %8s   reference: copying the token vector\n' "$(field generated=blocks copy_ratio)"
for kind in defines conditionals; do
    sel="generated=$kind"
    printf '  %-13s %s: preprocessUnit %s s, engine run %s s (target: well under 1 s)\n' "$kind" \
        "$(field "$sel" count)" "$(field "$sel" pp_s)" "$(field "$sel" engine_s)"
done
