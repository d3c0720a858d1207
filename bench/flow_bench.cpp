// Flowchart benchmarks: building, laying out and drawing the flowchart of one large generated
// function.
//
// flow/layout     A function of N statements (default 10,000) that holds, among if/else chains,
//                 for, while and do loops, gotos and early returns, a switch of N/20 cases (500).
//                 Each iteration analyses its file with a fresh engine (reading, preprocessing,
//                 parsing, the symbol table: the reference), then builds the function's element
//                 tree and lays it out (`layout_s`), and works out its drawing plan (`plan_s`).
//                 Reported: (build + layout) / analysis, which stays well below 1: the flowchart
//                 of a function costs less than reading the function.
// flow/linearity  The same for a function of N/10 statements (and N/200 cases) against the one of
//                 N: time(N) / time(N/10) of build + layout + plan, about 10 when the work is
//                 linear in the statements (target <= 12).
// flow/clip       Drawing a 1,000 x 800 pixel window at scale 4, on a canvas that draws nothing,
//                 of the function of N statements against the same window of a function of 100
//                 statements (both at the top, centred on the function's axis; and once more
//                 halfway down the large chart). The plans are worked out beforehand, as a view
//                 keeps them between paints. Reported: large / small, about 1 when a paint costs
//                 what the window shows rather than what the chart holds.
//
// Everything is timed in CPU time of this thread and the best iteration counts, as in the other
// benchmark programs. With --smoke the sizes shrink (N = 2,000) and the program fails (exit
// status 1) when a chart comes out empty or a window draws nothing; CTest runs it that way.
//
// After the benchmarks, one plain "summary ..." line per benchmark is printed for scripts.

#include "bench_support.h"
#include "counting_canvas.h"
#include "detail/flow_draw_plan.h"
#include "detail/flow_painter.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"
#include "draw/canvas.h"
#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "model/analysis_node.h"
#include "model/source_unit.h"
#include "parser/make_analysis_engine.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm::bench::seconds;
using qm::bench::setSummary;
using qm::detail::Flowchart;
using qm::detail::FlowchartBuilder;
using qm::frontend::AnalysisEngine;
using qm::frontend::LogSink;
using Clock = qm::bench::CpuClock;

constexpr const char* kProgram = "flow_bench";

bool g_failed = false;

// ---------------------------------------------------------------------------------------------
// Input

// `int generated(int v)` with about `statements` statements: blocks of if/else, for loops with
// continue, while loops with break, small switches, do loops, gotos and early returns, and after
// half of them one switch of `cases` cases with two statements each.
std::string generateFunction(int statements, int cases)
{
    std::string s = "int generated(int v)\n{\n    int s = 0;\n";
    int count = 1 + 2 * cases;
    bool switched = false;
    for (int block = 0; count < statements; ++block) {
        if (!switched && count >= (statements - 2 * cases) / 2) {
            switched = true;
            s += "    switch (v) {\n";
            for (int c = 0; c < cases; ++c) {
                s += "    case " + std::to_string(c) + ": s += f" + std::to_string(c) + "(v); break;\n";
            }
            s += "    }\n";
        }
        const std::string n = std::to_string(block);
        switch (block % 7) {
        case 0: s += "    if (v % 3 == " + n + ") {\n        a(" + n + ");\n        b();\n    } else {\n        c();\n    }\n"; count += 4; break;
        case 1: s += "    for (int i = 0; i < v; ++i) {\n        if (i == 3) continue;\n        s += i;\n    }\n"; count += 4; break;
        case 2: s += "    while (v > 9) {\n        v = v / 2;\n        if (v == 7) break;\n    }\n"; count += 4; break;
        case 3: s += "    switch (v) {\n    case 1: x(); break;\n    case 2: y();\n    default: z();\n    }\n"; count += 6; break;
        case 4: s += "    do {\n        v--;\n    } while (v > 100);\n"; count += 2; break;
        case 5: s += "    if (v == " + n + ") goto done" + n + ";\n    s++;\ndone" + n + ":\n    s--;\n"; count += 5; break;
        case 6: s += "    if (v < -" + n + ") return -1;\n"; count += 2; break;
        }
    }
    return s + "    return s;\n}\n";
}

// One generated function: its file, and an analysis of it that the flowcharts point into.
struct GeneratedFunction {
    int statements = 0;
    int cases = 0;
    std::string path;
    std::uint64_t bytes = 0;
    LogSink log;
    std::unique_ptr<AnalysisEngine> engine;
    const qm::model::AnalysisNode* function = nullptr;
};

Clock::duration analyse(GeneratedFunction& g)
{
    g.function = nullptr;
    g.engine.reset();  // the previous run is freed before the clock starts
    g.engine = qm::parser::makeAnalysisEngine(g.log);
    const auto t0 = Clock::now();
    g.engine->runSynchronously(qm::bench::projectSettings({g.path}));
    const auto t1 = Clock::now();
    g.log.takeLines();
    for (const auto& file : g.engine->files()) {
        if (!file->rootUnit) continue;
        for (const qm::model::AnalysisNode& node : file->rootUnit->nodes) {
            if (node.kind == qm::model::NodeKind::Function && node.hasBody) g.function = &node;
        }
    }
    if (!g.function) {
        std::fprintf(stderr, "%s: the generated function was not found in %s\n", kProgram, g.path.c_str());
        g_failed = true;
    }
    return t1 - t0;
}

void prepare(GeneratedFunction& g, const fs::path& dir, int statements, int cases)
{
    g.statements = statements;
    g.cases = cases;
    g.path = (dir / ("function_" + std::to_string(statements) + ".cpp")).string();
    const std::string text = generateFunction(statements, cases);
    g.bytes = text.size();
    qm::bench::writeFile(g.path, text);
    analyse(g);
}

// A flowchart with its builder.
struct Chart {
    FlowchartBuilder builder;
    Flowchart chart{builder.elements()};
};

struct ChartTimes {
    Clock::duration build = Clock::duration::max();   // the element tree
    Clock::duration layout = Clock::duration::max();  // build + layout
    Clock::duration plan = Clock::duration::max();    // the drawing plan

    Clock::duration total() const { return layout + plan; }
};

ChartTimes timeChart(const GeneratedFunction& g, std::unique_ptr<Chart>& out)
{
    out.reset();
    ChartTimes times;
    if (!g.function) return times;
    auto chart = std::make_unique<Chart>();
    const auto t0 = Clock::now();
    chart->builder.build(*g.function);
    const auto tb = Clock::now();
    chart->chart.layout();
    const auto t1 = Clock::now();
    benchmark::DoNotOptimize(&chart->chart.drawPlan());
    const auto t2 = Clock::now();
    times.build = tb - t0;
    times.layout = t1 - t0;
    times.plan = t2 - t1;
    if (chart->chart.gridHeight() < g.statements / 10) {
        std::fprintf(stderr, "%s: the flowchart of %d statements has only %d rows\n", kProgram, g.statements,
                     chart->chart.gridHeight());
        g_failed = true;
    }
    out = std::move(chart);
    return times;
}

void keepBest(ChartTimes& best, const ChartTimes& t)
{
    best.build = std::min(best.build, t.build);
    best.layout = std::min(best.layout, t.layout);
    best.plan = std::min(best.plan, t.plan);
}

// ---------------------------------------------------------------------------------------------
// flow/layout and flow/linearity

void benchLayout(benchmark::State& state, GeneratedFunction& g)
{
    Clock::duration bestAnalysis = Clock::duration::max();
    ChartTimes best;
    std::unique_ptr<Chart> chart;
    for (auto _ : state) {
        chart.reset();  // points into the previous analysis
        bestAnalysis = std::min(bestAnalysis, analyse(g));
        keepBest(best, timeChart(g, chart));
    }
    const double ratio = seconds(best.layout) / seconds(bestAnalysis);
    state.counters["statements"] = g.statements;
    state.counters["analysis_s"] = seconds(bestAnalysis);
    state.counters["build_s"] = seconds(best.build);
    state.counters["layout_s"] = seconds(best.layout);
    state.counters["plan_s"] = seconds(best.plan);
    state.counters["layout_over_analysis"] = ratio;

    char line[320];
    std::snprintf(line, sizeof line,
                  "summary flow=layout statements=%d cases=%d bytes=%llu rows=%d columns=%d analysis_s=%.6g "
                  "build_s=%.6g layout_s=%.6g plan_s=%.6g layout_over_analysis=%.3f plan_over_analysis=%.3f",
                  g.statements, g.cases, static_cast<unsigned long long>(g.bytes),
                  chart ? chart->chart.gridHeight() : 0, chart ? chart->chart.gridWidth() : 0, seconds(bestAnalysis),
                  seconds(best.build), seconds(best.layout), seconds(best.plan), ratio, seconds(best.plan) / seconds(bestAnalysis));
    setSummary("flow/layout", line);
}

void benchLinearity(benchmark::State& state, const GeneratedFunction& small, const GeneratedFunction& large)
{
    ChartTimes bestSmall;
    ChartTimes bestLarge;
    std::unique_ptr<Chart> chart;
    for (auto _ : state) {
        keepBest(bestSmall, timeChart(small, chart));
        keepBest(bestLarge, timeChart(large, chart));
    }
    const double ratio = seconds(bestLarge.total()) / seconds(bestSmall.total());
    const double layoutRatio = seconds(bestLarge.layout) / seconds(bestSmall.layout);
    state.counters["ratio"] = ratio;
    state.counters["layout_ratio"] = layoutRatio;

    char line[320];
    std::snprintf(line, sizeof line,
                  "summary flow=linearity statements_small=%d statements_large=%d small_s=%.6g large_s=%.6g "
                  "ratio=%.3f layout_ratio=%.3f plan_ratio=%.3f",
                  small.statements, large.statements, seconds(bestSmall.total()), seconds(bestLarge.total()), ratio,
                  layoutRatio, seconds(bestLarge.plan) / seconds(bestSmall.plan));
    setSummary("flow/linearity", line);
}

// ---------------------------------------------------------------------------------------------
// flow/clip

// Texts of the flow drawing measure 7 pixels a byte and 16 a line.
const qm::draw::FixedTextMetrics& metrics()
{
    static const qm::draw::FixedTextMetrics fixed(7, 16);
    return fixed;
}

// The best time of one paint of `clip` (averaged over a batch of paints, since one takes
// microseconds), and the drawing calls it made.
struct PaintTime {
    double seconds = 0;
    std::uint64_t calls = 0;
};

PaintTime timePaint(Flowchart& chart, const qm::draw::Rect& clip)
{
    constexpr int kBatch = 50;
    PaintTime best{1e30, 0};
    for (int round = 0; round < 5; ++round) {
        std::uint64_t calls = 0;
        const auto t0 = Clock::now();
        for (int i = 0; i < kBatch; ++i) {
            qm::bench::CountingCanvas canvas(clip, metrics());
            qm::detail::paintFlowchart(canvas, chart, 4);
            calls = canvas.shapes + canvas.texts;
        }
        const auto t1 = Clock::now();
        best.seconds = std::min(best.seconds, seconds(t1 - t0) / kBatch);
        best.calls = calls;
    }
    return best;
}

// The 1,000 x 800 window at the top of the chart, centred on the function's axis; `rowsDown`
// rows lower.
qm::draw::Rect window(const Flowchart& chart, int rowsDown)
{
    const int axis = chart.startColumn() * 100 + 40;
    return qm::draw::Rect{axis - 500, rowsDown * 80, 1000, 800};
}

void benchClip(benchmark::State& state, const GeneratedFunction& small, const GeneratedFunction& large)
{
    std::unique_ptr<Chart> smallChart;
    std::unique_ptr<Chart> largeChart;
    timeChart(small, smallChart);
    timeChart(large, largeChart);
    if (!smallChart || !largeChart) {
        state.SkipWithError("no flowchart");
        return;
    }
    PaintTime bestSmall{1e30, 0};
    PaintTime bestLarge{1e30, 0};
    PaintTime bestMiddle{1e30, 0};
    const int middle = largeChart->chart.gridHeight() / 2;
    for (auto _ : state) {
        const PaintTime s = timePaint(smallChart->chart, window(smallChart->chart, 0));
        const PaintTime l = timePaint(largeChart->chart, window(largeChart->chart, 0));
        const PaintTime m = timePaint(largeChart->chart, window(largeChart->chart, middle));
        if (s.seconds < bestSmall.seconds) bestSmall = s;
        if (l.seconds < bestLarge.seconds) bestLarge = l;
        if (m.seconds < bestMiddle.seconds) bestMiddle = m;
    }
    if (bestSmall.calls == 0 || bestLarge.calls == 0 || bestMiddle.calls == 0) {
        std::fprintf(stderr, "%s: a window drew nothing\n", kProgram);
        g_failed = true;
    }
    const double ratio = bestLarge.seconds / bestSmall.seconds;
    const double middleRatio = bestMiddle.seconds / bestSmall.seconds;
    state.counters["small_us"] = bestSmall.seconds * 1e6;
    state.counters["large_us"] = bestLarge.seconds * 1e6;
    state.counters["ratio"] = ratio;
    state.counters["middle_ratio"] = middleRatio;

    char line[320];
    std::snprintf(line, sizeof line,
                  "summary flow=clip statements_small=%d statements_large=%d small_s=%.6g large_s=%.6g middle_s=%.6g "
                  "ratio=%.3f middle_ratio=%.3f calls_small=%llu calls_large=%llu calls_middle=%llu",
                  small.statements, large.statements, bestSmall.seconds, bestLarge.seconds, bestMiddle.seconds, ratio,
                  middleRatio, static_cast<unsigned long long>(bestSmall.calls),
                  static_cast<unsigned long long>(bestLarge.calls), static_cast<unsigned long long>(bestMiddle.calls));
    setSummary("flow/clip", line);
}

struct Options : qm::bench::CommonOptions {
    int statements = 10000;
};

Options parseOptions(int& argc, char** argv)
{
    Options options;
    auto printHelp = [](const char* program) {
        std::printf("usage: %s [--statements=N] [--smoke] [benchmark flags]\n"
                    "  --statements=N  statements of the large generated function (default 10000;\n"
                    "                  its switch has N/20 cases)\n"
                    "  --smoke         small sizes (N = 2000), for CI\n",
                    program);
    };
    bool given = false;
    qm::bench::parseOptions(argc, argv, options, printHelp, [&](std::string_view arg) {
        if (!arg.starts_with("--statements=")) return false;
        options.statements = std::max(200, std::atoi(arg.data() + 13));
        given = true;
        return true;
    });
    if (options.smoke && !given) options.statements = 2000;
    return options;
}

}  // namespace

int main(int argc, char** argv)
{
    const Options options = parseOptions(argc, argv);
    if (!qm::bench::initializeLibrary(argc, argv)) {
        return 1;
    }
    qm::bench::TempDir temp("qm-flow-bench");
    const int n = options.statements;
    GeneratedFunction large;
    GeneratedFunction tenth;
    GeneratedFunction hundred;
    prepare(large, temp.dir(), n, n / 20);
    prepare(tenth, temp.dir(), n / 10, n / 200);
    prepare(hundred, temp.dir(), 100, 5);

    benchmark::RegisterBenchmark("flow/layout", [&](benchmark::State& state) { benchLayout(state, large); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("flow/linearity",
                                 [&](benchmark::State& state) { benchLinearity(state, tenth, large); })
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("flow/clip", [&](benchmark::State& state) { benchClip(state, hundred, large); })
        ->Unit(benchmark::kMillisecond);

    const int status = qm::bench::runAndSummarize(options);
    return g_failed ? 1 : status;
}
