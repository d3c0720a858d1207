#!/usr/bin/env bash
# Runs the benchmarks against the corpora and prints a summary.
#
#   bench/run_benchmarks.sh BUILD_DIR [large] [real]
#
# BUILD_DIR must hold a build with -DQM_BUILD_BENCH=ON, preferably Release (`make bench` does
# all of that). Steps:
#   1. bench/corpora.sh prepares the small and medium corpus (the large one and glibc when asked);
#   2. lexer_bench on the small corpus, then on the medium corpus with the linearity checks;
#   3. the linearity checks once more with glibc's mmap threshold raised, which takes the cost of
#      fresh pages for large token vectors out of the figures and leaves the scanner alone;
#   4. universal-ctags over the medium corpus, timed in the same run; the lexer's pass time on
#      that corpus is printed as a ratio of ctags' time (both in CPU time, best of the runs);
#   5. preprocess_bench on the medium corpus: the analysis engine over its .c/.cc/.cpp files
#      against ctags over the same list, a second run served from the engine's cache, and the
#      generated directive files (linearity, many defines, many conditionals); the linearity
#      check once more with the mmap threshold raised;
#   6. analysis_bench on the medium corpus: the full analysis (parser and symbol table included)
#      against ctags over the same files, its phases, and the peak memory of one run in a child
#      process; with `large`, one child run over the large corpus next to ctags;
#   7. with `real`, one child run over each real code base (small, medium, and part of glibc from
#      bench/corpora.sh glibc) and a table of what the analysis found there.
#   Then macro_bench on generated source (no corpus): build, measure and layout of the macro
#   diagram at 10,000 and 100,000 symbol-table entries against the analysis that produced them,
#   and one screen of the unfolded diagram painted at 1,000 and 100,000 entries.
#
# QM_BENCH_MIN_TIME (seconds, default 2) is how long each benchmark runs at least;
# QM_BENCH_RUNS (default 5) is how many timed engine runs preprocess_bench and analysis_bench
# make, and how many fresh analyses macro_bench's layout benchmark makes.
set -euo pipefail

usage() {
    echo "usage: $0 BUILD_DIR [large] [real]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
build_dir=$1
shift
with_large=
with_real=
for arg in "$@"; do
    case "$arg" in
        large) with_large=large ;;
        real) with_real=real ;;
        *) usage ;;
    esac
done
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
bench="$build_dir/bin/lexer_bench"
pp_bench="$build_dir/bin/preprocess_bench"
an_bench="$build_dir/bin/analysis_bench"
macro_bench="$build_dir/bin/macro_bench"
min_time=${QM_BENCH_MIN_TIME:-2}
engine_runs=${QM_BENCH_RUNS:-5}

for program in "$bench" "$pp_bench" "$an_bench" "$macro_bench"; do
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

wanted=(small medium)
[ "$with_large" = large ] && wanted+=(large)
[ "$with_real" = real ] && wanted+=(glibc)
corpora=$("$here/corpora.sh" "${wanted[@]}")
corpus_dir() { printf '%s\n' "$corpora" | sed -n "s/^$1=//p"; }
small=$(corpus_dir small)
medium=$(corpus_dir medium)
large=$(corpus_dir large)
glibc=$(corpus_dir glibc)

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

echo
echo "== analysis_bench, medium corpus ($medium): full analysis in process and in a child process"
"$an_bench" --corpus="$medium" --runs="$engine_runs" | tee -a "$log"
if [ -n "$large" ]; then
    echo
    echo "== analysis_bench, large corpus ($large): one run in a child process, ctags next to it"
    "$an_bench" --corpus="$large" --benchmark_filter='^memory/' | tee -a "$log"
fi
if [ -n "$with_real" ]; then
    for dir in "$small" "$glibc"; do
        echo
        echo "== analysis_bench, real code ($dir): one run in a child process"
        "$an_bench" --corpus="$dir" --benchmark_filter='^memory/' | tee -a "$log"
    done
fi

echo
echo "== macro_bench, generated source: macro diagram build, measure, layout and paint"
"$macro_bench" --runs="$engine_runs" --benchmark_min_time="$min_time" | tee -a "$log"

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

# analysis_bench's summary lines: "summary analysis=DIR ..." (in process) and "summary memory=DIR
# ..." (one run in a child process).
analysis_sel="analysis=$medium"
memory_sel="memory=$medium"
echo
echo "== full analysis (tokenize, preprocess, parse, symbol table; CPU time, best of the runs)"
printf 'medium corpus, %s project files (%s MB), %s files read (%s MB):\n' \
    "$(field "$analysis_sel" files)" "$(field "$analysis_sel" MB)" \
    "$(field "$analysis_sel" files_read)" "$(field "$analysis_sel" MB_read)"
printf '  full run %s s = front end %s s + parse %s s + symbol table %s s; teardown %s s\n' \
    "$(field "$analysis_sel" analysis_s)" "$(field "$analysis_sel" frontend_s)" \
    "$(field "$analysis_sel" parse_s)" "$(field "$analysis_sel" symbols_s)" "$(field "$analysis_sel" teardown_s)"
if [ -n "$(field "$analysis_sel" ctags_s)" ]; then
    printf '  analysis/ctags          %8s   (ctags over the same list: %s s CPU; target <= 1.0, aim 0.5)\n' \
        "$(field "$analysis_sel" analysis_over_ctags)" "$(field "$analysis_sel" ctags_s)"
    printf '                          %8s   (ctags over every file the run read: %s s CPU)\n' \
        "$(field "$analysis_sel" analysis_over_ctags_read)" "$(field "$analysis_sel" ctags_read_s)"
else
    echo "  analysis/ctags          ctags missing"
fi
printf '  peak memory/bytes read  %8s   (%s MB peak of a run in a child process, %s MB of it the\n' \
    "$(field "$memory_sel" peak_memory_over_bytes)" "$(field "$memory_sel" peak_MB)" "$(field "$memory_sel" base_MB)"
printf '                                     program itself; over the project files alone %s; target <= 8)\n' \
    "$(field "$memory_sel" peak_over_project_bytes)"
printf '  found (trees / symbol table): classes %s / %s, structs %s / %s, functions %s / %s, variables %s / %s\n' \
    "$(field "$analysis_sel" tree_classes)" "$(field "$analysis_sel" sym_classes)" \
    "$(field "$analysis_sel" tree_structs)" "$(field "$analysis_sel" sym_structs)" \
    "$(field "$analysis_sel" tree_functions)" "$(field "$analysis_sel" sym_functions)" \
    "$(field "$analysis_sel" tree_variables)" "$(field "$analysis_sel" sym_variables)"

# One child run per corpus: time and peak next to ctags', and the counts of the trees.
memory_row() {  # memory_row <name> <dir>
    local sel="memory=$2"
    [ -n "$(field "$sel" files)" ] || return 0
    printf '%-8s %7s %8s %8s %9s %8s %10s %10s %8s %8s %10s %9s\n' "$1" "$(field "$sel" files)" \
        "$(field "$sel" MB_read)" "$(field "$sel" tree_classes)" "$(field "$sel" tree_functions)" \
        "$(field "$sel" tree_variables)" "$(field "$sel" run_s)" "$(field "$sel" ctags_s)" \
        "$(field "$sel" peak_MB)" "$(field "$sel" ctags_peak_MB)" "$(field "$sel" peak_memory_over_bytes)" \
        "$(field "$sel" pp_errors)"
}
echo
echo "== one run in a child process per corpus (CPU time of the run; peak resident set)"
printf '%-8s %7s %8s %8s %9s %8s %10s %10s %8s %8s %10s %9s\n' corpus files MB_read classes functions \
    variables run_s ctags_s peak_MB ctags_MB peak/bytes pp_errors
memory_row medium "$medium"
[ -n "$large" ] && memory_row large "$large"
if [ -n "$with_real" ]; then
    memory_row small "$small"
    memory_row glibc "$glibc"
fi

# macro_bench's summary lines: "summary macro=layout ..." and "summary macro=paint ...".
echo
echo "== macro diagram (generated source; CPU time, best of the runs)"
printf 'build + measure + layout: %s entries %s s (build %s, measure %s, layout %s), %s entries %s s\n' \
    "$(field macro=layout entries_10N)" "$(field macro=layout total_10N_s)" "$(field macro=layout build_10N_s)" \
    "$(field macro=layout measure_10N_s)" "$(field macro=layout layout_10N_s)" \
    "$(field macro=layout entries_N)" "$(field macro=layout total_N_s)"
printf '  time(10N)/time(N)       %8s   (target <= 12)\n' "$(field macro=layout time_10N_over_N)"
printf '  layout/analysis         %8s   (analysis of the same source: %s s for %s MB; target < 1)\n' \
    "$(field macro=layout layout_over_analysis)" "$(field macro=layout analysis_s)" "$(field macro=layout source_MB)"
printf 'paint of a 1920x1080 clip in the middle of the unfolded diagram: %s entries %s s (%s boxes drawn),\n' \
    "$(field macro=paint entries_large)" "$(field macro=paint paint_large_s)" "$(field macro=paint drawn_large)"
printf '  %s entries %s s (%s boxes drawn)\n' \
    "$(field macro=paint entries_small)" "$(field macro=paint paint_small_s)" "$(field macro=paint drawn_small)"
printf '  paint 100k/1k           %8s   (about 1 when culling works)\n' "$(field macro=paint paint_100k_over_1k)"
printf '  the same, flat C program %7s   (one "Global Function(s)" box; %s s, of it collecting %s s)\n' \
    "$(field macro=paint_flat paint_100k_over_1k)" "$(field macro=paint_flat paint_large_s)" \
    "$(field macro=paint_flat collect_large_s)"
exit 0
