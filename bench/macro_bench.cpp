// Macro-diagram benchmarks: building, measuring and laying out the box tree of a large program,
// and painting one screen of it.
//
// The input is generated C++ source: modules of exactly 100 symbol-table entries each (a
// namespace holding a struct with four fields, an enum, five classes with a constructor, five
// methods and four fields, 22 free functions and 16 globals; three methods of every class and
// half of the free functions are defined with small bodies). The modules go ten to a file into a
// temporary directory, and an AnalysisEngine with the parser analyses them as analysis_bench
// does; the diagrams are built from the symbol tables those runs produce. Text is measured with
// FixedTextMetrics (8 pixels per character, 16 per line), so no window system is needed.
//
// layout/E  Build, measure and layout (as after an analysis run: every box folded, 1,920 pixels
//           available, the default theme, sorted by name) of the tables of E / 10 and E entries
//           (default E = 100,000). Each iteration (--runs=K) first analyses the source of the
//           E-entry table afresh (timed: the analysis whose result the diagram shows), then does
//           build, measure and layout three times at each size. Reported: the best time of each
//           step, time(E) / time(E / 10) of the three together (`time_10N_over_N`, target <= 12)
//           and their time at E over the analysis time (`layout_over_analysis`, target < 1).
//           The layout of the E-entry diagram after "Unfold" is timed as well.
// paint/E   The diagrams of E / 100 and E entries, every box expanded and laid out at 1,920
//           pixels, painted through a canvas that only counts calls, with a clip box of
//           1,920 x 1,080 in the middle of each diagram. Reported: the best paint of each size and
//           their ratio (`paint_100k_over_1k`, about 1 when culling works), the boxes collected
//           for the paint and those drawn, and collectDrawList alone.
// paint_flat/E
//           The same for a flat C program of E / 100 and E functions at file level (every other
//           one defined), which the diagram gathers into a single "Global Function(s)" box: the
//           shape of a large C code base, and the hard case for culling, as every child of an
//           expanded box that meets the clip box is collected.
//
// Everything is timed in CPU time of this thread and the best measurement counts, as in the
// other benchmark programs. --smoke uses E = 10,000 and one run, so that CTest runs the program
// in about a second; it fails (exit status 1) when the analysis does not yield the expected number
// of entries or a paint draws nothing.
//
// After the benchmarks, one plain "summary macro=..." line per benchmark (values without unit
// prefixes) is printed for scripts such as run_benchmarks.sh.

#include "bench_support.h"
#include "counting_canvas.h"
#include "draw/canvas.h"
#include "draw/text_metrics.h"
#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "macro/macro_diagram.h"
#include "macro/macro_view_paint.h"
#include "macro/theme.h"
#include "model/node_kind.h"
#include "model/symbol_table.h"
#include "parser/make_analysis_engine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm::bench::seconds;
using qm::bench::setSummary;
using qm::frontend::AnalysisEngine;
using qm::frontend::LogSink;
using qm::macro::MacroBox;
using qm::macro::MacroDiagram;
using qm::model::NodeKind;
using qm::model::SymbolEntry;

using Clock = qm::bench::CpuClock;

constexpr const char* kProgram = "macro_bench";
constexpr int kEntriesPerModule = 100;
constexpr int kModulesPerFile = 10;
constexpr int kViewWidth = 1920;
constexpr int kViewHeight = 1080;
constexpr int kLayoutRepeats = 3;

// Set when the generated source does not give the expected table or a paint draws nothing.
bool g_failed = false;

// ---------------------------------------------------------------------------------------------
// Generated source

// A few words to vary the lengths of names (and so the widths of boxes) as real code does.
constexpr std::string_view kWords[] = {"value", "index", "buffer", "count", "handler", "position", "state",
                                       "configuration", "name", "cache", "limit", "observer", "tx"};
constexpr std::size_t kWordCount = sizeof kWords / sizeof kWords[0];

std::string word(int n)
{
    return std::string(kWords[static_cast<std::size_t>(n) % kWordCount]);
}

// Module `m`: exactly 100 entries of the symbol table, all inside namespace module_m.
//   1 namespace, 1 struct + 4 fields, 1 enum, 5 classes x (1 + constructor + 5 methods + 4
//   fields), 22 functions, 16 globals = 1 + 5 + 1 + 55 + 22 + 16.
std::string moduleSource(int m)
{
    const std::string n = std::to_string(m);
    std::string s;
    s.reserve(6000);
    s += "namespace module_" + n + " {\n\n";
    s += "struct Record" + n + " { int id; int size; const char* text; Record" + n + "* next; };\n";
    s += "enum Mode" + n + " { mode_off_" + n + ", mode_on_" + n + ", mode_auto_" + n + " };\n\n";
    for (int g = 0; g < 16; ++g) {
        const std::string name = word(m + g) + "_global_" + n + "_" + std::to_string(g);
        switch (g % 4) {
        case 0: s += "int " + name + " = " + std::to_string(g) + ";\n"; break;
        case 1: s += "static const char* " + name + " = \"" + name + "\";\n"; break;
        case 2: s += "double " + name + "[4];\n"; break;
        default: s += "Record" + n + "* " + name + " = nullptr;\n"; break;
        }
    }
    s += "\n";
    for (int c = 0; c < 5; ++c) {
        const std::string cls = (c % 2 == 0 ? "Widget" : "ConnectionManager") + n + "_" + std::to_string(c);
        s += "class " + cls + " {\npublic:\n";
        s += "    explicit " + cls + "(int " + word(c) + ");\n";
        s += "    int " + word(m + c) + "() const;\n";
        s += "    void set_" + word(m + c) + "(int " + word(c + 1) + ");\n";
        s += "    bool update(int x, int y);\n";
        s += "protected:\n";
        s += "    virtual void on_" + word(m + c + 2) + "_changed(int previous, int current, bool notify);\n";
        s += "    static " + cls + "* create(const char* name);\n";
        s += "private:\n";
        s += "    int m_" + word(c) + ";\n";
        s += "    int m_" + word(c + 1) + "_" + std::to_string(c) + ";\n";
        s += "    Record" + n + " m_record;\n";
        s += "    Mode" + n + " m_mode;\n";
        s += "};\n\n";
        // Three of the five methods get a definition with a body.
        s += "int " + cls + "::" + word(m + c) + "() const { return m_" + word(c) + "; }\n";
        s += "void " + cls + "::set_" + word(m + c) + "(int " + word(c + 1) + ")\n{\n"
             "    if (" + word(c + 1) + " < 0) {\n        " + word(c + 1) + " = 0;\n    }\n"
             "    m_" + word(c) + " = " + word(c + 1) + ";\n}\n";
        s += "bool " + cls + "::update(int x, int y)\n{\n"
             "    int changed = 0;\n"
             "    for (int i = 0; i < x; ++i) {\n        changed += i * y;\n    }\n"
             "    switch (m_mode) {\n    case mode_off_" + n + ": return false;\n    default: break;\n    }\n"
             "    return changed != 0;\n}\n\n";
    }
    for (int f = 0; f < 22; ++f) {
        const std::string name = (f % 3 == 0 ? "compute_" : f % 3 == 1 ? "read_" : "handle_") + word(m + f) + "_" +
                                 n + "_" + std::to_string(f);
        if (f % 2 == 0) {
            s += "int " + name + "(int a, int b)\n{\n"
                 "    int result = a;\n"
                 "    while (result < b) {\n        result += a + 1;\n    }\n"
                 "    return result > 100 ? result : b;\n}\n";
        } else {
            s += "void " + name + "(Record" + n + "* record, const char* text);\n";
        }
    }
    s += "\n}  // namespace module_" + n + "\n\n";
    return s;
}

// Module `m` of a flat C program: 100 functions at file level, every other one defined. In the
// diagram they all go into the one "Global Function(s)" box, the usual picture of a large C
// program.
std::string flatModuleSource(int m)
{
    std::string s;
    s.reserve(4000);
    for (int f = 0; f < kEntriesPerModule; ++f) {
        const std::string name = word(m + f) + "_function_" + std::to_string(m) + "_" + std::to_string(f);
        if (f % 2 == 0) {
            s += "int " + name + "(int a, int b)\n{\n    return a > b ? a - b : b - a;\n}\n";
        } else {
            s += "void " + name + "(const char* text);\n";
        }
    }
    return s;
}

// Writes `modules` modules into `dir`, ten to a file; returns the files, sorted.
std::vector<std::string> writeProgram(const fs::path& dir, int modules, bool flat)
{
    fs::create_directories(dir);
    std::vector<std::string> files;
    for (int first = 0; first < modules; first += kModulesPerFile) {
        std::string text;
        for (int m = first; m < std::min(modules, first + kModulesPerFile); ++m) {
            text += flat ? flatModuleSource(m) : moduleSource(m);
        }
        char name[32];
        std::snprintf(name, sizeof name, flat ? "functions_%05d.c" : "modules_%05d.cpp", first / kModulesPerFile);
        const fs::path path = dir / name;
        qm::bench::writeFile(path, text);
        files.push_back(fs::absolute(path).lexically_normal().string());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// ---------------------------------------------------------------------------------------------
// Analysed programs

struct TableCounts {
    std::uint64_t entries = 0;
    std::uint64_t namespaces = 0;
    std::uint64_t classes = 0;  // and structs
    std::uint64_t functions = 0;
    std::uint64_t variables = 0;
};

// Every entry below the root, walked with an explicit stack.
TableCounts countTable(const SymbolEntry& root)
{
    TableCounts counts;
    std::vector<const SymbolEntry*> pending{&root};
    while (!pending.empty()) {
        const SymbolEntry* entry = pending.back();
        pending.pop_back();
        if (!entry->children) continue;
        for (const auto& [key, child] : *entry->children) {
            counts.entries += 1;
            switch (child.kind) {
            case NodeKind::Namespace: ++counts.namespaces; break;
            case NodeKind::Class:
            case NodeKind::Struct: ++counts.classes; break;
            case NodeKind::Function: ++counts.functions; break;
            case NodeKind::Variable:
            case NodeKind::ShortDeclare: ++counts.variables; break;
            default: break;
            }
            pending.push_back(&child);
        }
    }
    return counts;
}

struct Program {
    int modules = 0;
    bool flat = false;  // flatModuleSource instead of moduleSource
    std::vector<std::string> files;
    std::uint64_t bytes = 0;
    std::unique_ptr<LogSink> log;
    std::unique_ptr<AnalysisEngine> engine;
    TableCounts counts;

    std::uint64_t expectedEntries() const { return std::uint64_t(modules) * kEntriesPerModule; }
    const SymbolEntry& root() const { return engine->result(); }
};

// A fresh engine with the parser runs once over the program's files; returns its CPU time. The
// program keeps the new engine (the old one is destroyed after the timed part).
Clock::duration analyse(Program& program)
{
    auto log = std::make_unique<LogSink>();
    auto engine = qm::parser::makeAnalysisEngine(*log);
    const auto t0 = Clock::now();
    engine->runSynchronously(qm::bench::projectSettings(program.files));
    const auto t1 = Clock::now();
    program.engine = std::move(engine);
    program.log = std::move(log);
    program.log->takeLines();
    program.counts = countTable(program.root());
    if (program.counts.entries != program.expectedEntries()) {
        std::fprintf(stderr, "%s: %d modules gave %llu entries, expected %llu\n", kProgram, program.modules,
                     static_cast<unsigned long long>(program.counts.entries),
                     static_cast<unsigned long long>(program.expectedEntries()));
        g_failed = true;
    }
    return t1 - t0;
}

struct Context {
    fs::path dir;
    Program small;   // E / 100 entries: the small diagram of the paint benchmark
    Program medium;  // E / 10: the small side of the linearity check
    Program large;   // E
    Program flatSmall;  // E / 100 and E entries of the flat C program
    Program flatLarge;

    // The program with `modules` modules, written and analysed on first use (untimed).
    Program& prepared(Program& program)
    {
        if (!program.engine) {
            const std::string name = (program.flat ? "flat" : "modules") + std::to_string(program.modules);
            program.files = writeProgram(dir / name, program.modules, program.flat);
            program.bytes = qm::bench::totalFileBytes(program.files);
            analyse(program);
        }
        return program;
    }
};

// ---------------------------------------------------------------------------------------------
// Building, measuring and laying out

const qm::draw::FixedTextMetrics& metrics()
{
    static const qm::draw::FixedTextMetrics fixed(8, 16);
    return fixed;
}

const qm::macro::Theme& theme()
{
    static const qm::macro::Theme defaults;
    return defaults;
}

qm::macro::MacroLayoutOptions layoutOptions()
{
    qm::macro::MacroLayoutOptions options;
    options.availableWidth = kViewWidth;
    options.unitSpace = theme().colors.unitSpace;
    options.sortKey = qm::macro::MacroSortKey::Name;
    options.fixedSize = true;
    options.autoSort = true;
    return options;
}

std::uint64_t countBoxes(const std::vector<MacroBox>& boxes)
{
    std::uint64_t count = 0;
    qm::macro::visitBoxes(boxes, [&count](const MacroBox&) {
        ++count;
        return true;
    });
    return count;
}

struct StepTimes {
    Clock::duration build = Clock::duration::max();
    Clock::duration measure = Clock::duration::max();
    Clock::duration layout = Clock::duration::max();
    Clock::duration total = Clock::duration::max();  // the best sum of one pass, not the sum of bests

    void keepBest(const StepTimes& pass)
    {
        build = std::min(build, pass.build);
        measure = std::min(measure, pass.measure);
        layout = std::min(layout, pass.layout);
        total = std::min(total, pass.total);
    }
};

// One build, measure and layout into `diagram` (emptied first, untimed).
StepTimes buildMeasureLayout(MacroDiagram& diagram, const SymbolEntry& root, qm::draw::Size& size)
{
    diagram.clear();
    StepTimes pass;
    const auto t0 = Clock::now();
    diagram.buildBoxes(root);
    const auto t1 = Clock::now();
    diagram.measureBoxes(metrics(), theme().fonts);
    const auto t2 = Clock::now();
    size = diagram.layout(layoutOptions());
    const auto t3 = Clock::now();
    pass.build = t1 - t0;
    pass.measure = t2 - t1;
    pass.layout = t3 - t2;
    pass.total = t3 - t0;
    return pass;
}

void benchLayout(benchmark::State& state, Context& context)
{
    Program& medium = context.prepared(context.medium);
    Program& large = context.prepared(context.large);

    StepTimes mediumTimes, largeTimes;
    Clock::duration analysis = Clock::duration::max();
    Clock::duration unfold = Clock::duration::max();
    qm::draw::Size mediumSize, largeSize, unfoldedSize;
    std::uint64_t mediumBoxes = 0, largeBoxes = 0;
    for (auto _ : state) {
        analysis = std::min(analysis, analyse(large));
        MacroDiagram mediumDiagram, largeDiagram;
        for (int i = 0; i < kLayoutRepeats; ++i) {
            mediumTimes.keepBest(buildMeasureLayout(mediumDiagram, medium.root(), mediumSize));
            largeTimes.keepBest(buildMeasureLayout(largeDiagram, large.root(), largeSize));
        }
        // "Unfold": every box expanded, then the layout alone.
        largeDiagram.setExpandedAll(true);
        const auto t0 = Clock::now();
        unfoldedSize = largeDiagram.layout(layoutOptions());
        unfold = std::min(unfold, Clock::now() - t0);
        mediumBoxes = countBoxes(mediumDiagram.boxes());
        largeBoxes = countBoxes(largeDiagram.boxes());
    }

    const double mediumS = seconds(mediumTimes.total);
    const double largeS = seconds(largeTimes.total);
    const double analysisS = seconds(analysis);
    state.counters["entries"] = static_cast<double>(large.counts.entries);
    state.counters["bml_N_s"] = mediumS;
    state.counters["bml_10N_s"] = largeS;
    state.counters["time_10N_over_N"] = largeS / mediumS;
    state.counters["analysis_s"] = analysisS;
    state.counters["layout_over_analysis"] = largeS / analysisS;

    char line[1536];
    std::snprintf(
        line, sizeof line,
        "summary macro=layout N=%llu entries_N=%llu entries_10N=%llu boxes_N=%llu boxes_10N=%llu source_MB=%.2f "
        "files=%zu namespaces=%llu classes=%llu functions=%llu variables=%llu "
        "build_N_s=%.6g measure_N_s=%.6g layout_N_s=%.6g total_N_s=%.6g "
        "build_10N_s=%.6g measure_10N_s=%.6g layout_10N_s=%.6g total_10N_s=%.6g time_10N_over_N=%.3f "
        "analysis_s=%.6g layout_over_analysis=%.4f unfold_layout_10N_s=%.6g size_10N=%dx%d unfolded_size_10N=%dx%d",
        static_cast<unsigned long long>(medium.counts.entries), static_cast<unsigned long long>(medium.counts.entries),
        static_cast<unsigned long long>(large.counts.entries), static_cast<unsigned long long>(mediumBoxes),
        static_cast<unsigned long long>(largeBoxes), static_cast<double>(large.bytes) / qm::bench::kMega,
        large.files.size(), static_cast<unsigned long long>(large.counts.namespaces),
        static_cast<unsigned long long>(large.counts.classes), static_cast<unsigned long long>(large.counts.functions),
        static_cast<unsigned long long>(large.counts.variables), seconds(mediumTimes.build),
        seconds(mediumTimes.measure), seconds(mediumTimes.layout), mediumS, seconds(largeTimes.build),
        seconds(largeTimes.measure), seconds(largeTimes.layout), largeS, largeS / mediumS, analysisS,
        largeS / analysisS, seconds(unfold), largeSize.width, largeSize.height, unfoldedSize.width,
        unfoldedSize.height);
    setSummary("layout", line);
    if (largeBoxes == 0 || mediumBoxes == 0) {
        state.SkipWithError("the diagram has no boxes");
        g_failed = true;
    }
}

// ---------------------------------------------------------------------------------------------
// Painting

// One program's diagram, unfolded and laid out, with the clip box of a view in its middle.
struct PaintTarget {
    MacroDiagram diagram;
    qm::draw::Size size;
    qm::draw::Rect clip;
    std::uint64_t boxes = 0;
    std::vector<MacroBox*> drawList;
    // Of the last paint.
    std::uint64_t collected = 0;
    std::uint64_t drawn = 0;
    std::uint64_t shapes = 0;
    Clock::duration paint = Clock::duration::max();
    Clock::duration collect = Clock::duration::max();

    explicit PaintTarget(const SymbolEntry& root)
    {
        diagram.buildBoxes(root);
        diagram.measureBoxes(metrics(), theme().fonts);
        diagram.setExpandedAll(true);
        size = diagram.layout(layoutOptions());
        boxes = countBoxes(diagram.boxes());
        clip = qm::draw::Rect{std::max(0, (size.width - kViewWidth) / 2), std::max(0, (size.height - kViewHeight) / 2),
                              kViewWidth, kViewHeight};
    }

    void paintOnce()
    {
        qm::bench::CountingCanvas canvas(clip, metrics());
        const auto t0 = Clock::now();
        qm::macro::paintBoxes(canvas, diagram.boxes(), theme(), drawList);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(drawList.data());
        paint = std::min(paint, t1 - t0);
        collected = drawList.size();
        drawn = canvas.texts;
        shapes = canvas.shapes;
    }

    void collectOnce()
    {
        const auto t0 = Clock::now();
        std::vector<MacroBox*> list = qm::macro::collectDrawList(diagram.boxes(), clip);
        const auto t1 = Clock::now();
        benchmark::DoNotOptimize(list.data());
        collect = std::min(collect, t1 - t0);
    }
};

// `key` names the summary line: "summary macro=KEY ...".
void benchPaint(benchmark::State& state, Context& context, Program& smallProgram, Program& largeProgram,
                const char* key)
{
    Program& small = context.prepared(smallProgram);
    Program& large = context.prepared(largeProgram);
    PaintTarget smallTarget(small.root());
    PaintTarget largeTarget(large.root());
    for (auto _ : state) {
        smallTarget.paintOnce();
        largeTarget.paintOnce();
        smallTarget.collectOnce();
        largeTarget.collectOnce();
    }

    const double smallS = seconds(smallTarget.paint);
    const double largeS = seconds(largeTarget.paint);
    state.counters["paint_small_us"] = smallS * 1e6;
    state.counters["paint_large_us"] = largeS * 1e6;
    state.counters["paint_100k_over_1k"] = largeS / smallS;
    state.counters["drawn_small"] = static_cast<double>(smallTarget.drawn);
    state.counters["drawn_large"] = static_cast<double>(largeTarget.drawn);

    auto ull = [](std::uint64_t v) { return static_cast<unsigned long long>(v); };
    char line[1536];
    std::snprintf(line, sizeof line,
                  "summary macro=%s entries_small=%llu entries_large=%llu boxes_small=%llu boxes_large=%llu "
                  "size_small=%dx%d size_large=%dx%d clip_small=%d,%d,%dx%d clip_large=%d,%d,%dx%d "
                  "paint_small_s=%.6g paint_large_s=%.6g paint_100k_over_1k=%.3f "
                  "collect_small_s=%.6g collect_large_s=%.6g collected_small=%llu collected_large=%llu "
                  "drawn_small=%llu drawn_large=%llu shapes_small=%llu shapes_large=%llu",
                  key, ull(small.counts.entries), ull(large.counts.entries), ull(smallTarget.boxes), ull(largeTarget.boxes),
                  smallTarget.size.width, smallTarget.size.height, largeTarget.size.width, largeTarget.size.height,
                  smallTarget.clip.left, smallTarget.clip.top, smallTarget.clip.width, smallTarget.clip.height,
                  largeTarget.clip.left, largeTarget.clip.top, largeTarget.clip.width, largeTarget.clip.height, smallS,
                  largeS, largeS / smallS, seconds(smallTarget.collect), seconds(largeTarget.collect),
                  ull(smallTarget.collected), ull(largeTarget.collected), ull(smallTarget.drawn),
                  ull(largeTarget.drawn), ull(smallTarget.shapes), ull(largeTarget.shapes));
    setSummary(key, line);
    if (smallTarget.drawn == 0 || largeTarget.drawn == 0) {
        state.SkipWithError("a paint drew no box");
        g_failed = true;
    }
}

// ---------------------------------------------------------------------------------------------

struct Options : qm::bench::CommonOptions {
    int entries = 100000;
    int runs = 3;
};

Options parseOptions(int& argc, char** argv)
{
    Options options;
    bool entriesGiven = false;
    bool runsGiven = false;
    auto printHelp = [](const char* program) {
        std::printf("usage: %s [--entries=E] [--runs=K] [--smoke] [benchmark flags]\n"
                    "  --entries=E  entries of the large symbol table, rounded up to a multiple of 10,000\n"
                    "               (default 100,000); the linearity check compares it with E/10, the\n"
                    "               paint benchmark with E/100\n"
                    "  --runs=K     iterations of the layout benchmark, each with a fresh analysis (default 3)\n"
                    "  --smoke      E = 10,000 and one run (for CI); fails when the generated source does\n"
                    "               not give the expected table or a paint draws nothing\n",
                    program);
    };
    qm::bench::parseOptions(argc, argv, options, printHelp, [&](std::string_view arg) {
        if (arg.starts_with("--entries=")) {
            options.entries = std::atoi(arg.data() + 10);
            entriesGiven = true;
        } else if (arg.starts_with("--runs=")) {
            options.runs = std::max(1, std::atoi(arg.data() + 7));
            runsGiven = true;
        } else {
            return false;
        }
        return true;
    });
    if (options.smoke) {
        if (!entriesGiven) options.entries = 10000;
        if (!runsGiven) options.runs = 1;
    }
    // Whole modules at every size: E / 100 must be a multiple of 100 entries.
    constexpr int kStep = 100 * kEntriesPerModule;
    options.entries = std::clamp(options.entries, kStep, 10000000);
    options.entries = (options.entries + kStep - 1) / kStep * kStep;
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    if (!qm::bench::initializeLibrary(argc, argv)) {
        return 1;
    }

    qm::bench::TempDir temp("qm-macro-bench");
    Context context;
    context.dir = temp.dir();
    context.small.modules = options.entries / 100 / kEntriesPerModule;
    context.medium.modules = options.entries / 10 / kEntriesPerModule;
    context.large.modules = options.entries / kEntriesPerModule;
    context.flatSmall.modules = context.small.modules;
    context.flatSmall.flat = true;
    context.flatLarge.modules = context.large.modules;
    context.flatLarge.flat = true;

    const std::string suffix = "/" + std::to_string(options.entries);
    benchmark::RegisterBenchmark(("layout" + suffix).c_str(),
                                 [&context](benchmark::State& state) { benchLayout(state, context); })
        ->Iterations(options.runs)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark(("paint" + suffix).c_str(),
                                 [&context](benchmark::State& state) {
                                     benchPaint(state, context, context.small, context.large, "paint");
                                 })
        ->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark(("paint_flat" + suffix).c_str(),
                                 [&context](benchmark::State& state) {
                                     benchPaint(state, context, context.flatSmall, context.flatLarge, "paint_flat");
                                 })
        ->Unit(benchmark::kMicrosecond);

    const int status = qm::bench::runAndSummarize(options);
    return g_failed ? 1 : status;
}
