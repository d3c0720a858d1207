// Full-analysis benchmarks: reading, tokenizing, preprocessing, parsing and the symbol table, as
// one synchronous AnalysisEngine run with the parser installed.
//
// analysis/<dir>  Every .c/.cc/.cpp file of a source tree (absolute paths, sorted byte-wise) is a
//                 project file; quoted includes are followed, all other settings are the
//                 defaults. One untimed run warms the page cache, then each iteration makes:
//                   - a full run: a fresh engine with the parser, runSynchronously once; its
//                     teardown is timed apart;
//                   - the same work in phases: a fresh engine without the parser (front end),
//                     then the parser over every unit of that run (parse), then the symbol table
//                     rebuilt from the parsed units (symbols);
//                   - universal-ctags over the same file list, and over every file the run read
//                     (the project files and the headers they include), as child processes timed
//                     by the kernel (user + system from wait4).
//                 Reported: the times, full run / ctags over the list (`analysis_over_ctags`),
//                 and the classes, structs, functions and variables found in the trees and in
//                 the symbol table.
// memory/<dir>    The same full run in a child process (this program started again with
//                 --child-analyse=LIST), so that its peak resident set (ru_maxrss from wait4)
//                 holds nothing but the run: the program's own libraries and the engine with
//                 everything it keeps until it is destroyed. The child is started through a
//                 fresh copy of this program in its measuring mode (see runMeasured), as the
//                 kernel would otherwise report at least this process's own peak. An empty run
//                 in another child gives the baseline of the program itself. ctags runs over
//                 the same list the same way. Reported: peak / bytes the run read (`peak_memory_over_bytes`), the
//                 child's CPU time against ctags', and the counts. This is the mode for large
//                 corpora: one run of each, no in-process iterations.
//
// Everything this program does itself is timed in CPU time of its thread and the best iteration
// counts, as in the other benchmark programs; the engine's synchronous run stays on that thread.
//
// The corpus comes from --corpus=DIR, else QM_BENCH_CORPUS, else the medium corpus of
// bench/corpora.sh. When that directory does not exist, or with --smoke, a small generated project
// in a temporary directory stands in for it; the smoke run fails (exit status 1) when a run
// crashes or the project's classes, structs, functions or variables are not found.
//
// After the benchmarks, one plain "summary ..." line per benchmark (values without unit
// prefixes) is printed for scripts such as run_benchmarks.sh.

#include "bench_support.h"
#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "frontend/option_files.h"
#include "model/analysis_node.h"
#include "model/node_kind.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"
#include "parser/make_analysis_engine.h"
#include "parser/parse_unit.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include <fcntl.h>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;
using qm::bench::ChildUsage;
using qm::bench::kDefaultCorpus;
using qm::bench::kMega;
using qm::bench::seconds;
using qm::bench::setSummary;
using qm::frontend::AnalysisEngine;
using qm::frontend::LogSink;
using qm::frontend::RunSettings;
using qm::model::AnalysisNode;
using qm::model::NodeKind;
using qm::model::SourceUnit;
using qm::model::SymbolEntry;

using Clock = qm::bench::CpuClock;

constexpr const char* kProgram = "analysis_bench";
constexpr std::string_view kChildFlag = "--child-analyse=";

// Set when a run crashed, a child failed or the smoke project's declarations were not found; the
// program then exits with status 1.
bool g_failed = false;

// How the project is made and run (the flags --headers, --words, --same-file, --include-dir and
// --angle); the child of the memory benchmark is started with the same flags.
struct RunChoice {
    bool headers = false;   // headers are project files too, as a folder input gives them
    bool words = false;     // the default predefined words, as a first start and the CLI have them
    bool sameFile = false;  // "Preprocessing Same Name File"
    std::vector<std::string> includeDirs;  // --include-dir=DIR, in order
    bool angle = false;                    // follow #include <...> ("Parsing VC Header")
};
RunChoice g_choice;

RunSettings runSettings(const std::vector<std::string>& files)
{
    RunSettings settings = qm::bench::projectSettings(files);
    if (g_choice.words) settings.macroSeeds = qm::frontend::defaultPredefinedWords();
    settings.preprocessSameFile = g_choice.sameFile;
    settings.includeDirectories = g_choice.includeDirs;
    settings.followAngleIncludes = g_choice.angle;
    return settings;
}

std::vector<std::string> choiceFlags()
{
    std::vector<std::string> flags;
    if (g_choice.headers) flags.push_back("--headers");
    if (g_choice.words) flags.push_back("--words");
    if (g_choice.sameFile) flags.push_back("--same-file");
    if (g_choice.angle) flags.push_back("--angle");
    for (const std::string& dir : g_choice.includeDirs) flags.push_back("--include-dir=" + dir);
    return flags;
}

// ---------------------------------------------------------------------------------------------
// What a run found

// Classes (kind 4), structs (5), functions (22 and the operator kinds 58, 59) and variables (12
// and the short declarations 21).
struct KindCounts {
    std::uint64_t classes = 0;
    std::uint64_t structs = 0;
    std::uint64_t functions = 0;
    std::uint64_t variables = 0;

    void add(NodeKind kind)
    {
        switch (kind) {
        case NodeKind::Class: ++classes; break;
        case NodeKind::Struct: ++structs; break;
        case NodeKind::Function:
        case NodeKind::OverloadMethod:
        case NodeKind::OverloadFunctionMethod: ++functions; break;
        case NodeKind::Variable:
        case NodeKind::ShortDeclare: ++variables; break;
        default: break;
        }
    }
    bool allFound() const { return classes > 0 && structs > 0 && functions > 0 && variables > 0; }
};

struct RunFacts {
    std::uint64_t units = 0;       // project files and every included occurrence
    std::uint64_t tokens = 0;      // after preprocessing, summed over units
    std::uint64_t nodes = 0;       // every node of every unit's tree
    std::uint64_t filesRead = 0;   // distinct files the run opened (project files and headers)
    std::uint64_t bytesRead = 0;   // their sizes, each file once
    std::uint64_t symbols = 0;     // entries of the symbol table, at every level
    // Memory the run keeps, counted from the containers' capacities: the token vectors (their
    // used part, and all of it), and the nodes with their token references. Detail records,
    // long token texts and the symbol table are not in these figures.
    std::uint64_t tokenBytesUsed = 0;
    std::uint64_t tokenBytes = 0;
    std::uint64_t nodeBytes = 0;
    std::uint64_t logLines = 0;
    std::uint64_t ppErrors = 0;    // "<file>: Preprocessing Error"
    std::uint64_t missing = 0;     // "<file> : cannot open file"
    KindCounts trees;
    KindCounts table;
    std::vector<std::string> readPaths;  // the distinct files read, sorted
};

// Calls `visit` on every unit of the engine's files, each root unit before the units it includes.
template <typename Visit>
void forEachUnit(const AnalysisEngine& engine, Visit&& visit)
{
    std::vector<SourceUnit*> pending;
    for (const auto& file : engine.files()) {
        if (!file->rootUnit) continue;
        pending.push_back(file->rootUnit.get());
        while (!pending.empty()) {
            SourceUnit* unit = pending.back();
            pending.pop_back();
            visit(*unit);
            for (auto it = unit->includedUnits.rbegin(); it != unit->includedUnits.rend(); ++it) {
                pending.push_back(it->get());
            }
        }
    }
}

// Walks the trees and the symbol table with explicit stacks (both are as deep as their input) and
// takes the log lines.
RunFacts describeRun(const AnalysisEngine& engine, LogSink& log)
{
    RunFacts facts;
    std::map<std::string, std::int64_t> read;
    std::vector<const AnalysisNode*> nodes;
    forEachUnit(engine, [&](const SourceUnit& unit) {
        facts.units += 1;
        facts.tokens += unit.tokens.size() + unit.lineBreaks.size();
        facts.tokenBytesUsed += unit.tokens.size() * sizeof(qm::model::Token) + unit.lineBreaks.heapBytes();
        facts.tokenBytes += unit.tokens.capacity() * sizeof(qm::model::Token) + unit.lineBreaks.heapBytes();
        facts.nodeBytes += unit.nodes.capacity() * sizeof(AnalysisNode);
        // A file that could not be opened keeps the empty stamp.
        if (unit.stamp != qm::model::FileStamp{}) read.emplace(unit.fileName, unit.stamp.size);
        for (const AnalysisNode& node : unit.nodes) nodes.push_back(&node);
        while (!nodes.empty()) {
            const AnalysisNode* node = nodes.back();
            nodes.pop_back();
            facts.nodes += 1;
            facts.trees.add(node->kind);
            facts.nodeBytes += node->children.capacity() * sizeof(AnalysisNode)
                               + node->tokens.heapBytes();
            for (const AnalysisNode& child : node->children) nodes.push_back(&child);
        }
    });
    for (const auto& [path, size] : read) {
        facts.filesRead += 1;
        facts.bytesRead += static_cast<std::uint64_t>(size);
        facts.readPaths.push_back(path);
    }

    std::vector<const SymbolEntry*> entries{&engine.result()};
    while (!entries.empty()) {
        const SymbolEntry* entry = entries.back();
        entries.pop_back();
        if (!entry->children) continue;
        for (const auto& [key, child] : *entry->children) {
            facts.symbols += 1;
            facts.table.add(child.kind);
            entries.push_back(&child);
        }
    }

    for (const std::string& line : log.takeLines()) {
        facts.logLines += 1;
        if (line.ends_with("Preprocessing Error")) facts.ppErrors += 1;
        if (line.ends_with("cannot open file")) facts.missing += 1;
    }
    return facts;
}

using ull = unsigned long long;

// The part of a summary line that every benchmark of this program shares.
std::string factsText(const RunFacts& f)
{
    char text[768];
    std::snprintf(text, sizeof text,
                  "units=%llu tokens=%llu nodes=%llu files_read=%llu MB_read=%.2f token_MB_used=%.2f token_MB=%.2f "
                  "node_MB=%.2f log_lines=%llu pp_errors=%llu "
                  "missing_files=%llu tree_classes=%llu tree_structs=%llu tree_functions=%llu tree_variables=%llu "
                  "symbols=%llu sym_classes=%llu sym_structs=%llu sym_functions=%llu sym_variables=%llu",
                  ull(f.units), ull(f.tokens), ull(f.nodes), ull(f.filesRead), static_cast<double>(f.bytesRead) / kMega,
                  static_cast<double>(f.tokenBytesUsed) / kMega, static_cast<double>(f.tokenBytes) / kMega,
                  static_cast<double>(f.nodeBytes) / kMega, ull(f.logLines), ull(f.ppErrors), ull(f.missing), ull(f.trees.classes), ull(f.trees.structs),
                  ull(f.trees.functions), ull(f.trees.variables), ull(f.symbols), ull(f.table.classes),
                  ull(f.table.structs), ull(f.table.functions), ull(f.table.variables));
    return text;
}

void setCountCounters(benchmark::State& state, const RunFacts& f)
{
    state.counters["tree_classes"] = static_cast<double>(f.trees.classes);
    state.counters["tree_functions"] = static_cast<double>(f.trees.functions);
    state.counters["tree_variables"] = static_cast<double>(f.trees.variables);
    state.counters["sym_functions"] = static_cast<double>(f.table.functions);
}

// ---------------------------------------------------------------------------------------------
// Runs

// Sends this process's standard error to /dev/null while it lives (when `active`): the scanner
// writes a line for every unknown character, thousands on a real corpus, which would bury the
// benchmark's table. The child run of the memory benchmark counts those lines and passes every
// other line on. Not used with --smoke, so that a sanitizer's report in CI stays visible.
class QuietStderr {
public:
    explicit QuietStderr(bool active)
    {
        if (!active) return;
        std::fflush(stderr);
        const int devNull = ::open("/dev/null", O_WRONLY);
        if (devNull < 0) return;
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(devNull, STDERR_FILENO);
        ::close(devNull);
    }
    QuietStderr(const QuietStderr&) = delete;
    QuietStderr& operator=(const QuietStderr&) = delete;
    ~QuietStderr()
    {
        if (m_saved < 0) return;
        std::fflush(stderr);
        ::dup2(m_saved, STDERR_FILENO);
        ::close(m_saved);
    }

private:
    int m_saved = -1;
};

std::unique_ptr<AnalysisEngine> makeEngine(LogSink& log, bool withParser)
{
    // Without the parser, the run stops after preprocessing (the parts of the pass are timed apart).
    if (!withParser) return std::make_unique<AnalysisEngine>(log);
    return qm::parser::makeAnalysisEngine(log);
}

// The peak resident set of this process as the kernel keeps it for its memory map (VmHWM), which
// starts afresh at exec; 0 when it cannot be read.
std::uint64_t ownPeakBytes()
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.starts_with("VmHWM:")) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;  // in kB
    }
    return 0;
}

// The child mode: one full run over the files listed in `listFile`, then one "child ..." line on
// standard output with the run's CPU time and what it found. The engine is destroyed before the
// program ends, as in any other run.
int childAnalyse(const std::string& listFile)
{
    std::ifstream in(listFile);
    if (!in) {
        std::fprintf(stderr, "%s: cannot read %s\n", kProgram, listFile.c_str());
        return 1;
    }
    std::vector<std::string> files;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) files.push_back(line);
    }
    LogSink log;
    auto engine = makeEngine(log, true);
    const auto t0 = Clock::now();
    engine->runSynchronously(runSettings(files));
    const auto t1 = Clock::now();
    const RunFacts facts = describeRun(*engine, log);
    const auto t2 = Clock::now();
    engine.reset();
    const auto t3 = Clock::now();
    std::printf("child files=%zu run_s=%.6g teardown_s=%.6g hwm_MB=%.2f %s\n", files.size(), seconds(t1 - t0),
                seconds(t3 - t2), static_cast<double>(ownPeakBytes()) / kMega, factsText(facts).c_str());
    return std::fflush(stdout) == 0 ? 0 : 1;
}

// The key=value pairs of the child's line.
std::map<std::string, std::string> readChildLine(const std::string& path)
{
    std::map<std::string, std::string> values;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.starts_with("child ")) continue;
        std::istringstream words(line);
        for (std::string word; words >> word;) {
            const auto eq = word.find('=');
            if (eq != std::string::npos) values[word.substr(0, eq)] = word.substr(eq + 1);
        }
    }
    return values;
}

// ---------------------------------------------------------------------------------------------
// Benchmarks

struct Corpus {
    std::string name;
    std::vector<std::string> files;
    std::uint64_t bytes = 0;
    std::optional<std::string> ctags;  // the program, when installed
    fs::path tempDir;
    std::string listFile;              // the project files, for ctags and the child
    std::string readListFile;          // every file the warm-up run read, for ctags
    bool smoke = false;
};

void checkSmoke(benchmark::State& state, const Corpus& corpus, const RunFacts& facts)
{
    if (corpus.smoke && (!facts.trees.allFound() || !facts.table.allFound())) {
        state.SkipWithError("the generated project's classes, structs, functions or variables were not found");
        g_failed = true;
    }
}

void benchAnalysis(benchmark::State& state, Corpus& corpus)
{
    if (corpus.files.empty()) {
        state.SkipWithError("no .c/.cc/.cpp files in the corpus");
        return;
    }
    const RunSettings settings = runSettings(corpus.files);

    // Untimed: brings the files into the page cache and lists what the run reads.
    if (corpus.readListFile.empty()) {
        LogSink log;
        auto engine = makeEngine(log, true);
        {
            QuietStderr quiet(!corpus.smoke);
            engine->runSynchronously(settings);
        }
        corpus.readListFile = (corpus.tempDir / "ctags-read.txt").string();
        qm::bench::writeLines(corpus.readListFile, describeRun(*engine, log).readPaths);
        if (corpus.ctags && !qm::bench::runCtags(*corpus.ctags, corpus.listFile, kProgram)) corpus.ctags.reset();
    }

    auto best = [](Clock::duration& slot, Clock::duration d) { slot = std::min(slot, d); };
    constexpr auto kNone = Clock::duration::max();
    Clock::duration full = kNone, teardown = kNone, frontEnd = kNone, parse = kNone, symbols = kNone;
    std::optional<ChildUsage> ctags, ctagsRead;
    auto keepFaster = [](std::optional<ChildUsage>& slot, const std::optional<ChildUsage>& run) {
        if (run && (!slot || run->cpuSeconds < slot->cpuSeconds)) slot = run;
    };
    RunFacts facts;
    for (auto _ : state) {
        {
            QuietStderr quiet(!corpus.smoke);
            LogSink log;
            auto engine = makeEngine(log, true);
            const auto t0 = Clock::now();
            engine->runSynchronously(settings);
            const auto t1 = Clock::now();
            facts = describeRun(*engine, log);
            const auto t2 = Clock::now();
            engine.reset();
            const auto t3 = Clock::now();
            best(full, t1 - t0);
            best(teardown, t3 - t2);
        }
        {
            QuietStderr quiet(!corpus.smoke);
            LogSink log;
            auto engine = makeEngine(log, false);
            const auto t0 = Clock::now();
            engine->runSynchronously(settings);
            const auto t1 = Clock::now();
            const std::atomic<bool> stop{false};
            forEachUnit(*engine, [&](SourceUnit& unit) { qm::parser::parseUnit(unit, stop, log); });
            const auto t2 = Clock::now();
            engine->rebuildResult();
            const auto t3 = Clock::now();
            best(frontEnd, t1 - t0);
            best(parse, t2 - t1);
            best(symbols, t3 - t2);
        }
        if (corpus.ctags) {
            keepFaster(ctags, qm::bench::runCtags(*corpus.ctags, corpus.listFile, kProgram));
            keepFaster(ctagsRead, qm::bench::runCtags(*corpus.ctags, corpus.readListFile, kProgram));
        }
    }
    checkSmoke(state, corpus, facts);

    const double fullS = seconds(full);
    state.counters["files"] = static_cast<double>(corpus.files.size());
    state.counters["analysis_s"] = fullS;
    state.counters["frontend_s"] = seconds(frontEnd);
    state.counters["parse_s"] = seconds(parse);
    state.counters["symbols_s"] = seconds(symbols);
    if (ctags) {
        state.counters["ctags_s"] = ctags->cpuSeconds;
        state.counters["analysis_over_ctags"] = fullS / ctags->cpuSeconds;
    }
    setCountCounters(state, facts);

    char ctagsPart[256] = "ctags=missing";
    if (ctags && ctagsRead) {
        std::snprintf(ctagsPart, sizeof ctagsPart,
                      "ctags_s=%.6g ctags_wall_s=%.6g analysis_over_ctags=%.3f ctags_read_s=%.6g "
                      "analysis_over_ctags_read=%.3f",
                      ctags->cpuSeconds, ctags->wallSeconds, fullS / ctags->cpuSeconds, ctagsRead->cpuSeconds,
                      fullS / ctagsRead->cpuSeconds);
    }
    char line[2048];
    std::snprintf(line, sizeof line,
                  "summary analysis=%s files=%zu MB=%.2f analysis_s=%.6g teardown_s=%.6g frontend_s=%.6g parse_s=%.6g "
                  "symbols_s=%.6g %s %s",
                  corpus.name.c_str(), corpus.files.size(), static_cast<double>(corpus.bytes) / kMega, fullS,
                  seconds(teardown), seconds(frontEnd), seconds(parse), seconds(symbols), ctagsPart,
                  factsText(facts).c_str());
    setSummary("analysis", line);
}

// Reads every project file once, so that neither the child run nor ctags waits for the disk.
void warmPageCache(const std::vector<std::string>& files)
{
    std::vector<char> buffer(1 << 16);
    for (const std::string& path : files) {
        std::ifstream in(path, std::ios::binary);
        while (in.read(buffer.data(), static_cast<std::streamsize>(buffer.size()))) {
        }
    }
}

// What a child wrote to its standard error: the unknown-character messages of the scanner are
// counted, every other line is passed on to ours (at most `maxEcho` of them), so that a crash or
// a sanitizer report shows.
std::uint64_t passOnChildErrors(const std::string& path, std::size_t maxEcho)
{
    std::ifstream in(path);
    std::uint64_t unknown = 0;
    std::size_t echoed = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.starts_with("---------- Error Unkonwn Token")) {
            ++unknown;
        } else if (echoed < maxEcho) {
            std::fprintf(stderr, "%s\n", line.c_str());
            ++echoed;
        }
    }
    return unknown;
}

void benchMemory(benchmark::State& state, Corpus& corpus)
{
    if (corpus.files.empty()) {
        state.SkipWithError("no .c/.cc/.cpp files in the corpus");
        return;
    }
    const std::string self = qm::bench::selfExecutable();
    const std::string emptyList = (corpus.tempDir / "empty-list.txt").string();
    qm::bench::writeLines(emptyList, {});
    const std::string childOut = (corpus.tempDir / "child-out.txt").string();
    const std::string childErr = (corpus.tempDir / "child-err.txt").string();
    warmPageCache(corpus.files);

    std::optional<ChildUsage> base, run, ctags;
    std::map<std::string, std::string> values;
    std::uint64_t unknownMessages = 0;
    for (auto _ : state) {
        auto child = [&](const std::string& list) {
            std::vector<std::string> command{self, std::string(kChildFlag) + list};
            for (const std::string& flag : choiceFlags()) command.push_back(flag);
            return command;
        };
        base = qm::bench::runMeasured(child(emptyList), "/dev/null", {}, kProgram);
        run = qm::bench::runMeasured(child(corpus.listFile), childOut, childErr, kProgram);
        unknownMessages = passOnChildErrors(childErr, run ? 20 : 200);
        if (run) values = readChildLine(childOut);
        if (corpus.ctags) {
            ctags = qm::bench::runMeasured({*corpus.ctags, "--languages=C,C++", "-L", corpus.listFile, "-f", "-"},
                                           "/dev/null", {}, kProgram);
        }
    }
    if (!base || !run || values.empty()) {
        state.SkipWithError("the analysis run in a child process failed (see above)");
        g_failed = true;
        return;
    }
    auto number = [&](const char* key) { return values.count(key) ? std::atof(values[key].c_str()) : 0.0; };
    auto count = [&](const char* key) { return static_cast<std::uint64_t>(number(key)); };
    RunFacts facts;  // only the counts, for the smoke check and the counters
    facts.trees = {count("tree_classes"), count("tree_structs"), count("tree_functions"), count("tree_variables")};
    facts.table = {count("sym_classes"), count("sym_structs"), count("sym_functions"), count("sym_variables")};
    checkSmoke(state, corpus, facts);
    setCountCounters(state, facts);

    const double peak = static_cast<double>(run->peakRssBytes);
    const double bytesRead = number("MB_read") * kMega;
    const double overRead = bytesRead > 0 ? peak / bytesRead : 0.0;
    const double overProject = corpus.bytes > 0 ? peak / static_cast<double>(corpus.bytes) : 0.0;
    state.counters["peak_MB"] = peak / kMega;
    state.counters["peak_memory_over_bytes"] = overRead;
    state.counters["run_s"] = number("run_s");
    if (ctags) {
        state.counters["ctags_s"] = ctags->cpuSeconds;
        state.counters["ctags_peak_MB"] = static_cast<double>(ctags->peakRssBytes) / kMega;
    }

    char ctagsPart[256] = "ctags=missing";
    if (ctags) {
        std::snprintf(ctagsPart, sizeof ctagsPart,
                      "ctags_s=%.6g ctags_wall_s=%.6g ctags_peak_MB=%.2f run_over_ctags=%.3f process_over_ctags=%.3f "
                      "peak_over_ctags_peak=%.2f",
                      ctags->cpuSeconds, ctags->wallSeconds, static_cast<double>(ctags->peakRssBytes) / kMega,
                      number("run_s") / ctags->cpuSeconds, run->cpuSeconds / ctags->cpuSeconds,
                      peak / static_cast<double>(ctags->peakRssBytes));
    }
    // The child's own line, less what is printed under other names, carries the counts.
    std::string childPart;
    for (const auto& [key, value] : values) {
        if (key == "files" || key == "run_s" || key == "teardown_s") continue;
        childPart += " " + key + "=" + value;
    }
    char line[2048];
    std::snprintf(line, sizeof line,
                  "summary memory=%s files=%zu MB=%.2f run_s=%s teardown_s=%s process_s=%.6g wall_s=%.6g "
                  "peak_MB=%.2f base_MB=%.2f peak_memory_over_bytes=%.3f peak_over_project_bytes=%.3f "
                  "unknown_char_messages=%llu %s%s",
                  corpus.name.c_str(), corpus.files.size(), static_cast<double>(corpus.bytes) / kMega,
                  values["run_s"].c_str(), values["teardown_s"].c_str(), run->cpuSeconds, run->wallSeconds,
                  peak / kMega, static_cast<double>(base->peakRssBytes) / kMega, overRead, overProject,
                  ull(unknownMessages), ctagsPart, childPart.c_str());
    setSummary("memory", line);
}

// ---------------------------------------------------------------------------------------------
// Generated project for --smoke

// A header with a namespace, a struct, a class with members, operators and a template function.
std::string smokeHeader(const std::string& n)
{
    return "#ifndef SHAPES_" + n + "_H\n#define SHAPES_" + n + "_H\n#include \"common.h\"\n"
           "namespace geometry {\n"
           "struct Point" + n + " { int x; int y; };\n"
           "class Shape" + n + " : public ShapeBase {\n"
           "public:\n"
           "    Shape" + n + "(int width, int height);\n"
           "    virtual ~Shape" + n + "();\n"
           "    int area() const;\n"
           "    Shape" + n + "& operator=(const Shape" + n + "& other);\n"
           "    bool operator==(const Shape" + n + "& other) const;\n"
           "private:\n"
           "    int m_width;\n"
           "    int m_height;\n"
           "    Point" + n + " m_origin;\n"
           "};\n"
           "template <typename T> T maximum" + n + "(T a, T b) { return a > b ? a : b; }\n"
           "}\n#endif\n";
}

// The class's definitions, with statements of several kinds, and a free function.
std::string smokeSource(const std::string& n)
{
    return "#include \"shapes_" + n + ".h\"\n"
           "static int instances" + n + " = 0;\n"
           "const char* names" + n + "[] = {\"a\", \"b\"};\n"
           "namespace geometry {\n"
           "Shape" + n + "::Shape" + n + "(int width, int height) : m_width(width), m_height(height) { ++instances" + n + "; }\n"
           "Shape" + n + "::~Shape" + n + "() { --instances" + n + "; }\n"
           "int Shape" + n + "::area() const\n{\n"
           "    int result = 0;\n"
           "    for (int i = 0; i < m_height; ++i) {\n"
           "        if (i % 2 == 0) { result += m_width; } else { result += m_width - 1; }\n"
           "    }\n"
           "    switch (result) { case 0: return 0; default: break; }\n"
           "    while (result > LIMIT) result /= 2;\n"
           "    return result;\n}\n"
           "Shape" + n + "& Shape" + n + "::operator=(const Shape" + n + "& other) { m_width = other.m_width; return *this; }\n"
           "}\n"
           "int helper" + n + "(int value) { int doubled = value * 2; return geometry::maximum" + n + "(doubled, value); }\n";
}

// A C file: a self-referring struct, a typedef, a global and a function with a loop.
std::string smokeCSource(const std::string& n)
{
    return "#include \"common.h\"\n"
           "struct node" + n + " { struct node" + n + "* next; int value; };\n"
           "typedef struct node" + n + " node" + n + "_t;\n"
           "static int count" + n + ";\n"
           "int list_length" + n + "(const struct node" + n + "* head)\n{\n"
           "    int length = 0;\n"
           "    while (head) { ++length; head = head->next; }\n"
           "    count" + n + " += length;\n"
           "    return length;\n}\n";
}

void writeSmokeProject(const fs::path& dir)
{
    fs::create_directories(dir);
    qm::bench::writeFile(dir / "common.h",
                         "#ifndef COMMON_H\n#define COMMON_H\n#define LIMIT 1000\n"
                         "#ifdef __cplusplus\nclass ShapeBase { public: virtual ~ShapeBase() {} };\n#endif\n#endif\n");
    for (int i = 0; i < 4; ++i) {
        const std::string n = std::to_string(i);
        qm::bench::writeFile(dir / ("shapes_" + n + ".h"), smokeHeader(n));
        qm::bench::writeFile(dir / ("shapes_" + n + (i % 2 == 0 ? ".cpp" : ".cc")), smokeSource(n));
        qm::bench::writeFile(dir / ("list_" + n + ".c"), smokeCSource(n));
    }
}

// ---------------------------------------------------------------------------------------------

struct Options : qm::bench::CommonOptions {
    int runs = 3;
    std::string childList;  // set in the child mode
};

Options parseOptions(int& argc, char** argv)
{
    Options options;
    bool runsGiven = false;
    auto printHelp = [](const char* program) {
        std::printf("usage: %s [--corpus=DIR] [--runs=K] [--smoke] [benchmark flags]\n"
                    "  --corpus=DIR  source tree whose .c/.cc/.cpp files form the project\n"
                    "                (default: $QM_BENCH_CORPUS, else %s)\n"
                    "  --runs=K      timed iterations of the in-process benchmark (default 3, after one\n"
                    "                untimed warm-up); the child-process benchmark runs once\n"
                    "  --smoke       generated input only (for CI); fails when a run fails or finds\n"
                    "                no classes, structs, functions or variables\n"
                    "  --headers     the headers (.h .hh .hpp .hxx .inl .ipp) are project files too, as\n"
                    "                when the folder is given to quillmarsh-cli analyze\n"
                    "  --words       the default predefined words are seeded, as the CLI and a first\n"
                    "                start of the desktop program do\n"
                    "  --same-file   \"Preprocessing Same Name File\" on\n"
                    "  --include-dir=DIR  an include directory of the run (repeatable, in order)\n"
                    "  --angle       follow #include <...> through the include directories\n"
                    "Only the child-process benchmark, e.g. for a large corpus:\n"
                    "  %s --corpus=DIR --benchmark_filter='^memory/'\n",
                    program, kDefaultCorpus, program);
    };
    qm::bench::parseOptions(argc, argv, options, printHelp, [&](std::string_view arg) {
        if (arg.starts_with("--runs=")) {
            options.runs = std::max(1, std::atoi(arg.data() + 7));
            runsGiven = true;
        } else if (arg.starts_with(kChildFlag)) {
            options.childList = std::string(arg.substr(kChildFlag.size()));
        } else if (arg == "--headers") {
            g_choice.headers = true;
        } else if (arg == "--words") {
            g_choice.words = true;
        } else if (arg == "--same-file") {
            g_choice.sameFile = true;
        } else if (arg == "--angle") {
            g_choice.angle = true;
        } else if (arg.starts_with("--include-dir=")) {
            g_choice.includeDirs.emplace_back(arg.substr(14));
        } else {
            return false;
        }
        return true;
    });
    if (options.smoke && !runsGiven) options.runs = 1;
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    if (const int status = qm::bench::runMeasuringMode(argc, argv); status >= 0) {
        return status;
    }
    const Options options = parseOptions(argc, argv);
    if (!options.childList.empty()) {
        return childAnalyse(options.childList);
    }
    if (!qm::bench::initializeLibrary(argc, argv)) {
        return 1;
    }

    const bool haveCorpus = qm::bench::useCorpus(options, kProgram);
    qm::bench::TempDir temp("qm-analysis-bench");
    Corpus corpus;
    corpus.name = options.corpus;
    corpus.tempDir = temp.dir();
    fs::path corpusDir = options.corpus;
    if (!haveCorpus) {
        corpusDir = temp.dir() / "project";
        writeSmokeProject(corpusDir);
        corpus.name = "generated";
        corpus.smoke = true;
    }
    corpus.files = qm::bench::collectProjectFiles(corpusDir, g_choice.headers);
    corpus.bytes = qm::bench::totalFileBytes(corpus.files);
    corpus.ctags = qm::bench::findInPath("ctags");
    if (!corpus.ctags) {
        std::fprintf(stderr, "%s: ctags missing; the analysis is timed without its reference\n", kProgram);
    }
    corpus.listFile = (temp.dir() / "ctags-files.txt").string();
    qm::bench::writeLines(corpus.listFile, corpus.files);

    benchmark::RegisterBenchmark(("analysis/" + corpus.name).c_str(),
                                 [&corpus](benchmark::State& state) { benchAnalysis(state, corpus); })
        ->Iterations(options.runs)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("memory/" + corpus.name).c_str(),
                                 [&corpus](benchmark::State& state) { benchMemory(state, corpus); })
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);

    const int status = qm::bench::runAndSummarize(options);
    return g_failed ? 1 : status;
}
