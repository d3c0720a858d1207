// Helpers of the flow drawing tests: a function written as source text, parsed and laid out, and
// compact text forms of what its drawing consists of.
#pragma once

#include "detail/flow_draw_plan.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"
#include "draw/recording_canvas.h"
#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"
#include "model/source_unit.h"
#include "parser/parse_unit.h"

#include "statement_trees.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace qm::detail::test_draw {

// Parses `text` and lays out the flowchart of its first function definition.
struct ParsedFunction {
    model::SourceUnit unit;
    FlowchartBuilder builder;
    Flowchart chart{builder.elements()};

    explicit ParsedFunction(std::string_view text)
    {
        frontend::tokenizeText(text, unit.tokens, [](std::string_view) {});
        frontend::LogSink log;
        std::atomic<bool> stop{false};
        parser::parseUnit(unit, stop, log);
        for (const model::AnalysisNode& node : unit.nodes) {
            if (node.kind == model::NodeKind::Function && node.hasBody) {
                builder.build(node);
                break;
            }
        }
        chart.layout();
    }
};

inline std::string cellText(FlowCell cell)
{
    return std::to_string(cell.col) + "," + std::to_string(cell.row);
}

// `yes 1,1>0,2 Stmt via arrow`: style, cells, the kind that routes it (`-` for none), flags,
// and the column a connector passes by (`beside 3`).
inline std::string connectorText(const FlowConnector& c)
{
    static const char* const styles[] = {"normal", "yes", "no", "back"};
    std::string out = styles[static_cast<int>(c.style)];
    out += " " + cellText(c.from) + ">" + cellText(c.to) + " ";
    out += c.targetKind == model::NodeKind::Unknown ? std::string("-") : test_trees::shortKindName(c.targetKind);
    if (c.viaSide) out += " via";
    if (c.arrow) out += " arrow";
    if (c.besideColumn) out += " beside " + std::to_string(*c.besideColumn);
    return out;
}

// One line per connector of the chart, in drawing order.
inline std::string connectorsText(const Flowchart& chart)
{
    std::string out;
    for (const FlowConnector& c : chart.drawPlan().connectors()) out += connectorText(c) + "\n";
    return out;
}

// The lines of `canvas` whose record starts with `prefix` ("text", "line", ...).
inline std::vector<std::string> linesStartingWith(const draw::RecordingCanvas& canvas, std::string_view prefix)
{
    std::vector<std::string> out;
    for (const std::string& line : canvas.lines()) {
        if (line.compare(0, prefix.size(), prefix) == 0) out.push_back(line);
    }
    return out;
}

}  // namespace qm::detail::test_draw

namespace qm::detail::test_draw {

// The source of `int generated(int v)` with about `statements` statements: a mix of if/else,
// for loops with continue, while loops with break, switches with fall-through, do loops, gotos
// and early returns, repeated in that order.
inline std::string generatedFunction(int statements)
{
    std::string s = "int generated(int v)\n{\n    int s = 0;\n";
    int count = 1;
    for (int block = 0; count < statements; ++block) {
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

}  // namespace qm::detail::test_draw
