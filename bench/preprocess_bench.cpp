// Preprocessor and analysis-engine benchmarks.
//
// engine/<dir>       Every .c/.cc/.cpp file of a source tree (absolute paths, sorted byte-wise) is
//                    one project file; quoted includes are followed, all other settings are the
//                    defaults, and no parser is installed, so a run reads, tokenizes and
//                    preprocesses. Each iteration:
//                      - a fresh AnalysisEngine runs once (first run),
//                      - the same engine runs again with nothing changed (second run, served from
//                        the engine's cache),
//                      - universal-ctags reads the same file list as a child process
//                        (`ctags --languages=C,C++ -L LIST -f -`, output to /dev/null).
//                    Reported: the runs' times, second / first, and first run / ctags.
// generated/blocks   A file of N directive blocks and one of 10N (#define of object-like and
//                    function-like macros, #if/#elif/#else/#endif with nested groups, #ifdef,
//                    #ifndef, macro uses in ordinary code); reports time(10N) / time(N), which is
//                    about 10 for a preprocessor that is linear in its input. N = 1000 blocks is
//                    20,000 lines (0.6 MB); 10N is about the largest single source files met in
//                    practice. Copying the token vector at both sizes is timed alongside as a
//                    reference: its ratio shows how much of the excess over 10 the machine's
//                    caches and fresh pages account for.
// generated/defines  10,000 #define lines followed by 10,000 lines that use them.
// generated/conditionals
//                    10,000 #if/#endif pairs, half of them taken.
//
// The generated inputs are timed twice: preprocessUnit alone on tokens scanned beforehand, and a
// fresh engine running over the file written to a temporary directory (reading and tokenizing
// included, which is what a user waits for).
//
// Everything the program itself does is timed in CPU time of this thread and the best iteration
// counts, as in lexer_bench; ctags is timed by the CPU time the kernel reports for the child
// (user + system, from wait4), with the elapsed time shown alongside.
//
// The corpus comes from --corpus=DIR, else QM_BENCH_CORPUS, else the medium corpus of
// bench/corpora.sh. When that directory does not exist, or with --smoke, a few generated files in
// a temporary directory stand in for it and the generated inputs shrink, so that the program runs
// in CI in about a second.
//
// After the benchmarks, a plain summary (one "summary ..." line per benchmark, values without
// unit prefixes) is printed for scripts such as run_benchmarks.sh.

#include "bench_support.h"
#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "frontend/macro_table.h"
#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"
#include "model/source_unit.h"
#include "model/token.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm::frontend::AnalysisEngine;
using qm::frontend::LogSink;
using qm::frontend::RunSettings;
using qm::model::SourceUnit;
using qm::model::Token;

using qm::bench::ChildUsage;
using qm::bench::collectProjectFiles;
using qm::bench::findInPath;
using qm::bench::kDefaultCorpus;
using qm::bench::kMega;
using qm::bench::projectSettings;
using qm::bench::runCtags;
using qm::bench::seconds;
using qm::bench::setSummary;
using qm::bench::totalFileBytes;
using qm::bench::writeFile;

// CPU time of this thread: the engine's synchronous run stays on the calling thread, so this
// covers all of its work.
using Clock = qm::bench::CpuClock;

// ---------------------------------------------------------------------------------------------
// Generated input

// The macros that the generated blocks refer to; defined once at the top of a file.
constexpr std::string_view kBlockPrologue =
    "#define BASE_OFFSET 3\n"
    "#define LIMIT (BASE_OFFSET * 2)\n"
    "#define FEATURE_0\n"
    "#define FEATURE_2\n"
    "static int value_base = LIMIT;\n";

// Block `i`: two macro definitions, an #if/#elif/#else chain with a nested group, an
// #ifdef/#else, an include guard shape and macro uses in ordinary code. The replacement of a
// macro never refers to the macro of the block before, so replacements stay the same size
// however many blocks there are.
void appendBlock(std::string& out, std::size_t i)
{
    const std::string n = std::to_string(i);
    const std::string value = "VALUE_" + n;
    const std::string scale = "SCALE_" + n;
    out += "#define " + value + " (" + std::to_string(i % 97) + " + BASE_OFFSET)\n";
    out += "#define " + scale + "(a, b) ((a) * " + value + " + (b) - LIMIT)\n";
    out += "#if " + value + " > 60 && defined(" + scale + ")\n";
    out += "static int value_" + n + " = " + scale + "(value_base, 3);\n";
    out += "#elif " + value + " > 20\n";
    out += "static int value_" + n + " = " + scale + "(2, " + value + ") + LIMIT;\n";
    out += "#  if defined(NEVER_DEFINED) || " + value + " == 24\n";
    out += "static int nested_" + n + " = 1;\n";
    out += "#  endif\n";
    out += "#else\n";
    out += "static int value_" + n + " = " + value + ";\n";
    out += "#endif\n";
    out += "#ifdef FEATURE_" + std::to_string(i % 4) + "\n";
    out += "int feature_" + n + "(int x) { return " + scale + "(x, x + 1) * LIMIT; }\n";
    out += "#else\n";
    out += "int feature_" + n + "(int x) { return x - LIMIT; }  /* no feature */\n";
    out += "#endif\n";
    out += "#ifndef GUARD_" + n + "\n";
    out += "#define GUARD_" + n + "\n";
    out += "#endif\n";
}

std::string generateBlocks(std::size_t count)
{
    std::string out(kBlockPrologue);
    out.reserve(count * 700 + out.size());
    for (std::size_t i = 0; i < count; ++i) appendBlock(out, i);
    return out;
}

// `count` definitions, alternately object-like and function-like, then one use of each.
std::string generateDefines(std::size_t count)
{
    std::string out;
    out.reserve(count * 70);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        if (i % 2 == 0) {
            out += "#define MACRO_" + n + " (" + n + " + 1)\n";
        } else {
            out += "#define CALL_" + n + "(x) ((x) * 2 + " + n + ")\n";
        }
    }
    for (std::size_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        if (i % 2 == 0) {
            out += "int use_" + n + " = MACRO_" + n + ";\n";
        } else {
            out += "int use_" + n + " = CALL_" + n + "(use_" + std::to_string(i - 1) + ");\n";
        }
    }
    return out;
}

// `count` #if/#endif pairs; the first half holds, the second does not.
std::string generateConditionals(std::size_t count)
{
    std::string out = "#define LEVEL " + std::to_string(count / 2) + "\n";
    out.reserve(count * 50);
    for (std::size_t i = 0; i < count; ++i) {
        const std::string n = std::to_string(i);
        out += "#if LEVEL > " + n + "\n";
        out += "int taken_" + n + ";\n";
        out += "#endif\n";
    }
    return out;
}

std::size_t countLines(std::string_view text)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

// A few project files for --smoke: each includes a header of its own and a shared one with
// quotes, and all of them hold directive blocks.
void writeSmokeProject(const fs::path& dir)
{
    fs::create_directories(dir / "include");
    writeFile(dir / "include" / "shared.h", "#ifndef SHARED_H\n#define SHARED_H\n" + generateBlocks(20) + "#endif\n");
    for (int i = 0; i < 6; ++i) {
        const std::string n = std::to_string(i);
        writeFile(dir / ("part_" + n + ".h"), generateBlocks(10));
        writeFile(dir / ("part_" + n + (i % 3 == 0 ? ".c" : i % 3 == 1 ? ".cc" : ".cpp")),
                  "#include \"include/shared.h\"\n#include \"part_" + n + ".h\"\n" + generateBlocks(30));
    }
}

// ---------------------------------------------------------------------------------------------
// Engine runs

struct RunFigures {
    std::uint64_t units = 0;        // project files and every included unit
    std::uint64_t tokens = 0;       // after preprocessing, summed over units
    std::uint64_t logLines = 0;
    std::uint64_t errorLines = 0;   // "... Preprocessing Error" and "... cannot open file"
};

RunFigures describeRun(const AnalysisEngine& engine, LogSink& log)
{
    RunFigures figures;
    std::vector<const SourceUnit*> pending;
    for (const auto& file : engine.files()) {
        if (file->rootUnit) pending.push_back(file->rootUnit.get());
    }
    while (!pending.empty()) {
        const SourceUnit* unit = pending.back();
        pending.pop_back();
        figures.units += 1;
        figures.tokens += unit->tokens.size();
        for (const auto& included : unit->includedUnits) pending.push_back(included.get());
    }
    for (const std::string& line : log.takeLines()) {
        figures.logLines += 1;
        if (line.ends_with("Preprocessing Error") || line.ends_with("cannot open file")) figures.errorLines += 1;
    }
    return figures;
}

// ---------------------------------------------------------------------------------------------
// Benchmarks

struct CorpusBench {
    std::string name;
    std::vector<std::string> files;
    std::uint64_t bytes = 0;
    std::optional<std::string> ctags;  // the program, when installed
    std::string listFile;              // the file list handed to ctags
    bool warmedUp = false;
};

void benchEngine(benchmark::State& state, CorpusBench& corpus)
{
    if (corpus.files.empty()) {
        state.SkipWithError("no .c/.cc/.cpp files in the corpus");
        return;
    }
    const RunSettings settings = projectSettings(corpus.files);

    // Untimed: one run of each kind brings the files into the page cache.
    if (!corpus.warmedUp) {
        LogSink log;
        AnalysisEngine(log).runSynchronously(settings);
        if (corpus.ctags && !runCtags(*corpus.ctags, corpus.listFile, "preprocess_bench")) corpus.ctags.reset();
        corpus.warmedUp = true;
    }

    auto bestFirst = Clock::duration::max();
    auto bestSecond = Clock::duration::max();
    auto bestTeardown = Clock::duration::max();
    std::optional<ChildUsage> bestCtags;
    RunFigures figures;
    for (auto _ : state) {
        LogSink log;
        auto engine = std::make_unique<AnalysisEngine>(log);
        const auto t0 = Clock::now();
        engine->runSynchronously(settings);
        const auto t1 = Clock::now();
        state.PauseTiming();
        figures = describeRun(*engine, log);
        state.ResumeTiming();
        const auto t2 = Clock::now();
        engine->runSynchronously(settings);
        const auto t3 = Clock::now();
        engine.reset();
        const auto t4 = Clock::now();
        bestFirst = std::min(bestFirst, t1 - t0);
        bestSecond = std::min(bestSecond, t3 - t2);
        bestTeardown = std::min(bestTeardown, t4 - t3);
        if (corpus.ctags) {
            if (auto times = runCtags(*corpus.ctags, corpus.listFile, "preprocess_bench")) {
                if (!bestCtags || times->cpuSeconds < bestCtags->cpuSeconds) bestCtags = times;
            }
        }
    }

    const double first = seconds(bestFirst);
    const double second = seconds(bestSecond);
    const double mb = static_cast<double>(corpus.bytes) / kMega;
    state.counters["files"] = static_cast<double>(corpus.files.size());
    state.counters["units"] = static_cast<double>(figures.units);
    state.counters["first_s"] = first;
    state.counters["second_s"] = second;
    state.counters["second_over_first"] = second / first;
    if (bestCtags) {
        state.counters["ctags_s"] = bestCtags->cpuSeconds;
        state.counters["engine_over_ctags"] = first / bestCtags->cpuSeconds;
    }

    char ctagsPart[160];
    if (bestCtags) {
        std::snprintf(ctagsPart, sizeof ctagsPart, "ctags_s=%.6g ctags_wall_s=%.6g engine_over_ctags=%.3f",
                      bestCtags->cpuSeconds, bestCtags->wallSeconds, first / bestCtags->cpuSeconds);
    } else {
        std::snprintf(ctagsPart, sizeof ctagsPart, "ctags=missing");
    }
    char line[768];
    std::snprintf(line, sizeof line,
                  "summary engine=%s files=%zu MB=%.2f units=%llu tokens=%llu log_lines=%llu error_lines=%llu "
                  "first_s=%.6g second_s=%.6g second_over_first=%.4f teardown_s=%.6g %s",
                  corpus.name.c_str(), corpus.files.size(), mb, static_cast<unsigned long long>(figures.units),
                  static_cast<unsigned long long>(figures.tokens), static_cast<unsigned long long>(figures.logLines),
                  static_cast<unsigned long long>(figures.errorLines), first, second, second / first,
                  seconds(bestTeardown), ctagsPart);
    setSummary("engine", line);
}

// One generated file: its text on disk (for the engine) and its tokens (for preprocessUnit).
struct GeneratedInput {
    std::string path;
    std::vector<Token> tokens;
    std::size_t bytes = 0;
    std::size_t lines = 0;
};

GeneratedInput prepareInput(const fs::path& dir, const std::string& name, const std::string& text)
{
    GeneratedInput input;
    input.path = (dir / name).string();
    writeFile(input.path, text);
    std::string bytes = text;
    qm::frontend::tokenizeBytes(bytes, input.tokens, qm::frontend::writeDiagnosticsToStderr);
    input.bytes = text.size();
    input.lines = countLines(text);
    return input;
}

struct Timings {
    Clock::duration copy;        // copying the token vector (the reference, see timePreprocess)
    Clock::duration preprocess;  // preprocessUnit alone
    Clock::duration engine;      // a fresh engine's run over the file
};

// preprocessUnit on a copy of the input's tokens, with a fresh macro table; includes are not
// followed (the generated files have none). The copy is timed too and serves as the reference
// for linearity: it moves the same tokens through memory (into a freshly allocated vector, as
// the preprocessor's output is), so it shows what the caches and the allocator alone make of the
// larger size on this machine.
std::pair<Clock::duration, Clock::duration> timePreprocess(const GeneratedInput& input)
{
    SourceUnit unit;
    unit.fileName = input.path;
    const auto c0 = Clock::now();
    unit.tokens = input.tokens;
    const auto c1 = Clock::now();
    benchmark::DoNotOptimize(unit.tokens.data());
    qm::frontend::MacroTable macros;
    const std::vector<std::string> includeDirectories;
    const std::atomic<bool> stop{false};
    LogSink log;
    qm::frontend::PreprocessEnvironment env{macros, includeDirectories, false, stop, log,
                                            [](const std::string&, int, int) { return std::unique_ptr<SourceUnit>(); }};
    const auto t0 = Clock::now();
    qm::frontend::preprocessUnit(unit, env, 0);
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(unit.tokens.data());
    return {c1 - c0, t1 - t0};  // the unit and the macros are freed after the clock stopped
}

Clock::duration timeEngine(const GeneratedInput& input)
{
    LogSink log;
    auto engine = std::make_unique<AnalysisEngine>(log);
    const auto t0 = Clock::now();
    engine->runSynchronously(projectSettings({input.path}));
    const auto t1 = Clock::now();
    return t1 - t0;
}

Timings timeAll(const GeneratedInput& input)
{
    const auto [copy, preprocess] = timePreprocess(input);
    return {copy, preprocess, timeEngine(input)};
}

void keepBest(Timings& best, const Timings& t)
{
    best.copy = std::min(best.copy, t.copy);
    best.preprocess = std::min(best.preprocess, t.preprocess);
    best.engine = std::min(best.engine, t.engine);
}

constexpr Timings kNoTimings{Clock::duration::max(), Clock::duration::max(), Clock::duration::max()};

struct LinearityBench {
    std::size_t n;  // blocks in the smaller file
    const fs::path* dir;
    std::optional<GeneratedInput> small;  // prepared on the first call only
    std::optional<GeneratedInput> large;
};

void benchBlocks(benchmark::State& state, LinearityBench& bench)
{
    if (!bench.small) {
        bench.small = prepareInput(*bench.dir, "blocks_n.cpp", generateBlocks(bench.n));
        bench.large = prepareInput(*bench.dir, "blocks_10n.cpp", generateBlocks(10 * bench.n));
    }
    Timings bestSmall = kNoTimings;
    Timings bestLarge = kNoTimings;
    for (auto _ : state) {
        keepBest(bestSmall, timeAll(*bench.small));
        keepBest(bestLarge, timeAll(*bench.large));
    }
    const double copyRatio = seconds(bestLarge.copy) / seconds(bestSmall.copy);
    const double ppRatio = seconds(bestLarge.preprocess) / seconds(bestSmall.preprocess);
    const double engineRatio = seconds(bestLarge.engine) / seconds(bestSmall.engine);
    state.counters["N"] = static_cast<double>(bench.n);
    state.counters["pp_10N_s"] = seconds(bestLarge.preprocess);
    state.counters["pp_ratio"] = ppRatio;
    state.counters["copy_ratio"] = copyRatio;
    state.counters["engine_10N_s"] = seconds(bestLarge.engine);
    state.counters["engine_ratio"] = engineRatio;

    char line[640];
    std::snprintf(line, sizeof line,
                  "summary generated=blocks N=%zu lines_N=%zu MB_10N=%.2f tokens_10N=%zu pp_N_s=%.6g pp_10N_s=%.6g "
                  "pp_ratio=%.3f copy_N_s=%.6g copy_10N_s=%.6g copy_ratio=%.3f engine_N_s=%.6g engine_10N_s=%.6g "
                  "engine_ratio=%.3f",
                  bench.n, bench.small->lines, static_cast<double>(bench.large->bytes) / kMega,
                  bench.large->tokens.size(), seconds(bestSmall.preprocess), seconds(bestLarge.preprocess), ppRatio,
                  seconds(bestSmall.copy), seconds(bestLarge.copy), copyRatio, seconds(bestSmall.engine),
                  seconds(bestLarge.engine), engineRatio);
    setSummary("generated/blocks", line);
}

struct BulkBench {
    const char* name;
    std::string (*generate)(std::size_t);
    std::size_t count;
    const fs::path* dir;
    std::optional<GeneratedInput> input;  // prepared on the first call only
};

void benchBulk(benchmark::State& state, BulkBench& bench)
{
    if (!bench.input) {
        bench.input = prepareInput(*bench.dir, std::string(bench.name) + ".cpp", bench.generate(bench.count));
    }
    Timings best = kNoTimings;
    for (auto _ : state) keepBest(best, timeAll(*bench.input));
    state.counters["count"] = static_cast<double>(bench.count);
    state.counters["pp_s"] = seconds(best.preprocess);
    state.counters["engine_s"] = seconds(best.engine);

    char line[256];
    std::snprintf(line, sizeof line, "summary generated=%s count=%zu lines=%zu tokens=%zu pp_s=%.6g engine_s=%.6g",
                  bench.name, bench.count, bench.input->lines, bench.input->tokens.size(), seconds(best.preprocess),
                  seconds(best.engine));
    setSummary(std::string("generated/") + bench.name, line);
}

struct Options : qm::bench::CommonOptions {
    int runs = 3;
    std::size_t blocks = 1000;
};

// Takes this program's own flags out of argv, leaving the rest to the benchmark library.
Options parseOptions(int& argc, char** argv)
{
    Options options;
    bool runsGiven = false;
    auto printHelp = [](const char* program) {
        std::printf("usage: %s [--corpus=DIR] [--runs=K] [--blocks=N] [--smoke] [benchmark flags]\n"
                    "  --corpus=DIR  source tree whose .c/.cc/.cpp files form the project\n"
                    "                (default: $QM_BENCH_CORPUS, else %s)\n"
                    "  --runs=K      timed iterations of the engine benchmark (default 3, after one\n"
                    "                untimed warm-up)\n"
                    "  --blocks=N    directive blocks in the smaller linearity file (default 1000)\n"
                    "  --smoke       generated input only, small sizes (for CI)\n",
                    program, kDefaultCorpus);
    };
    qm::bench::parseOptions(argc, argv, options, printHelp, [&](std::string_view arg) {
        if (arg.starts_with("--runs=")) {
            options.runs = std::max(1, std::atoi(arg.data() + 7));
            runsGiven = true;
        } else if (arg.starts_with("--blocks=")) {
            options.blocks = static_cast<std::size_t>(std::max(1L, std::atol(arg.data() + 9)));
        } else {
            return false;
        }
        return true;
    });
    if (options.smoke && !runsGiven) {
        options.runs = 1;
    }
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    if (!qm::bench::initializeLibrary(argc, argv)) {
        return 1;
    }

    const bool haveCorpus = qm::bench::useCorpus(options, "preprocess_bench");
    const bool smallInputs = !haveCorpus;

    qm::bench::TempDir temp("qm-preprocess-bench");
    CorpusBench corpus;
    corpus.name = options.corpus;
    fs::path corpusDir = options.corpus;
    if (!haveCorpus) {
        corpusDir = temp.dir() / "project";
        writeSmokeProject(corpusDir);
        corpus.name = "generated";
    }
    corpus.files = collectProjectFiles(corpusDir);
    corpus.bytes = totalFileBytes(corpus.files);
    corpus.ctags = findInPath("ctags");
    if (!corpus.ctags) {
        std::fprintf(stderr, "preprocess_bench: ctags missing; the engine is timed without its reference\n");
    }
    corpus.listFile = (temp.dir() / "ctags-files.txt").string();
    qm::bench::writeLines(corpus.listFile, corpus.files);

    benchmark::RegisterBenchmark(("engine/" + corpus.name).c_str(),
                                 [&corpus](benchmark::State& state) { benchEngine(state, corpus); })
        ->Iterations(options.runs)
        ->Unit(benchmark::kMillisecond);

    const fs::path generatedDir = temp.dir() / "generated";
    fs::create_directories(generatedDir);
    LinearityBench blocks{smallInputs ? std::size_t{40} : options.blocks, &generatedDir, {}, {}};
    benchmark::RegisterBenchmark("generated/blocks", [&blocks](benchmark::State& state) { benchBlocks(state, blocks); })
        ->Unit(benchmark::kMillisecond);

    const std::size_t bulkCount = smallInputs ? 500 : 10000;
    BulkBench defines{"defines", generateDefines, bulkCount, &generatedDir, {}};
    BulkBench conditionals{"conditionals", generateConditionals, bulkCount, &generatedDir, {}};
    for (BulkBench* bench : {&defines, &conditionals}) {
        benchmark::RegisterBenchmark((std::string("generated/") + bench->name).c_str(),
                                     [bench](benchmark::State& state) { benchBulk(state, *bench); })
            ->Unit(benchmark::kMillisecond);
    }

    return qm::bench::runAndSummarize(options);
}
