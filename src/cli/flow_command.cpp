// `quillmarsh-cli flow`: one analysis run, then the flowchart of one function built and laid out
// as the flow view does it; its elements as JSON, and optionally the picture at a scale.
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "cli/cli_pictures.h"
#include "cli/element_path.h"
#include "cli/json_output.h"
#include "detail/flow_painter.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"
#include "detail/flow_picture.h"
#include "draw/draw_types.h"
#include "frontend/analysis_engine.h"
#include "model/token_text.h"

#include <CLI/CLI.hpp>

#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

namespace qm::cli {

namespace {

struct FlowOptions {
    AnalysisOptions analysis;
    std::string element;
    int scale = 4;
    std::string output;
};

// {"kind", "col", "row", "leftWidth", "rightWidth", "height", "hasBody", "nodes": [...],
// "children": [   -- the children and the closing brackets follow.
void appendElementHead(std::string& b, const detail::FlowElement& e)
{
    b.append("{\"kind\": ");
    b.append(std::to_string(model::toInt(e.kind)));
    b.append(", \"kindName\": ");
    appendJsonString(b, model::nodeKindName(e.kind));
    appendIntMember(b, "col", e.col);
    appendIntMember(b, "row", e.row);
    appendIntMember(b, "leftWidth", e.leftWidth);
    appendIntMember(b, "rightWidth", e.rightWidth);
    appendIntMember(b, "height", e.height);
    b.append(e.hasBody ? ", \"hasBody\": true" : ", \"hasBody\": false");
    b.append(", \"nodes\": [");
    for (std::size_t i = 0; i < e.nodes.size(); ++i) {
        if (i) b.append(", ");
        appendJsonString(b, e.nodes[i] ? model::TokenText(e.nodes[i]->tokens, true) : std::string());
    }
    b.append("], \"children\": [");
}

// The document, written without recursion: element trees nest as deeply as the statements do.
void writeFlowJson(JsonStreamWriter& out, const std::string& function, const std::string& file,
                   const detail::Flowchart& chart)
{
    std::string& b = out.buffer();
    b.append("{\"function\": ");
    appendJsonString(b, function);
    b.append(", \"file\": ");
    appendJsonString(b, file);
    appendIntMember(b, "gridWidth", chart.gridWidth());
    appendIntMember(b, "gridHeight", chart.gridHeight());
    appendIntMember(b, "startColumn", chart.startColumn());
    appendIntMember(b, "width", chart.totalWidth());
    appendIntMember(b, "height", chart.totalHeight());
    b.append(", \"elements\": ");
    appendTreeJson(out, chart.elements(), appendElementHead);
    b.append("}\n");
}

int runFlow(const FlowOptions& options)
{
    if (const int status = checkOutputOption(options.output); status != kExitSuccess) {
        return status;
    }

    if (const int status = checkInputsGiven(options.analysis); status != kExitSuccess) {
        return status;
    }
    const AnalysisRunPtr run = runAnalysis(options.analysis);
    if (!run) {
        return kExitInputError;
    }
    frontend::AnalysisEngine& engine = run->engine;

    ElementChoice choice;
    if (const int status = chooseElement(engine, options.element, KindFilter::Function, choice);
        status != kExitSuccess) {
        return status;
    }
    const model::SymbolEntry* entry = choice.entry;
    // The flowchart shows the definition picked (the first one unless @FILE:LINE names another).
    // A function declared without a body (a pure virtual method, a prototype) has the flowchart
    // of an empty body; an entry that is not a function has none.
    const auto isFunction = [](const model::AnalysisNode* node) {
        return node && (node->kind == model::NodeKind::Function || node->kind == model::NodeKind::OverloadMethod ||
                        node->kind == model::NodeKind::OverloadFunctionMethod);
    };
    const model::AnalysisNode* definition = choice.site.node;
    if (!isFunction(definition)) {
        std::cerr << options.element << ": not a function\n";
        if (matchesKind(entry->kind, KindFilter::Class)) {
            std::cerr << "(it is a " << kindWord(entry->kind) << "; `quillmarsh-cli class ... --class "
                      << options.element << "` draws its class diagram)\n";
        }
        return kExitInputError;
    }

    detail::FlowchartBuilder builder([](std::string_view line) { std::cerr << line << '\n'; });
    builder.build(*definition);
    detail::Flowchart chart(builder.elements());
    chart.layout();
    chart.setScale(options.scale);

    if (!options.output.empty()) {
        // The whole drawing with a margin: connectors and captions can reach left of column 0.
        const draw::Rect area = detail::flowPictureArea(chart, fontMetrics());
        writePicture(
            options.output, draw::Size{area.width, area.height},
            [&](draw::Canvas& canvas) { detail::paintFlowPicture(canvas, chart, area); }, draw::kWhite);
    }

    JsonStreamWriter out(stdout);
    const std::string file = entry->definitions.empty() ? std::string() : choice.site.file;
    writeFlowJson(out, entry->name, file, chart);
    return kExitSuccess;
}

}  // namespace

void addFlowCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<FlowOptions>();
    CLI::App* cmd = app.add_subcommand(
        "flow", "Run one analysis over the inputs and print the flowchart of one function as JSON, optionally drawing it");
    addAnalysisOptions(*cmd, options->analysis);
    cmd->add_option("--function", options->element, "The function: A::B::f, with /N to pick N parameters (f/2)")
        ->type_name("ELEMENT")
        ->required();
    cmd->add_option("--scale", options->scale, "Scale of the picture and of width/height: 1, 4 or 16 (default 4)")
        ->type_name("1|4|16")
        ->check(CLI::IsMember({1, 4, 16}));
    cmd->add_option("-o", options->output, "Draw the flowchart to a .png, .svg or .pdf file")->type_name("OUT");
    cmd->callback([&action, options] { action = [options] { return runFlow(*options); }; });
}

}  // namespace qm::cli
