// `quillmarsh-cli class`: one analysis run, then the class diagram of one class built, measured
// and laid out as the detail view does it; the tree as JSON, and optionally the picture.
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "cli/cli_pictures.h"
#include "cli/element_path.h"
#include "cli/json_output.h"
#include "frontend/analysis_engine.h"
#include "macro/class_diagram.h"
#include "macro/theme.h"

#include <CLI/CLI.hpp>

#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::cli {

namespace {

struct ClassOptions {
    AnalysisOptions analysis;
    std::string element;
    std::string metrics;
    std::string output;
};

// {"name", "x", "y", "width", "height"   -- the rest of the object follows.
void appendHead(std::string& b, const macro::ClassBox& box)
{
    b.append("{\"name\": ");
    appendJsonString(b, box.entry ? box.entry->name : std::string());
    appendIntMember(b, "x", box.x);
    appendIntMember(b, "y", box.y);
    appendIntMember(b, "width", box.width);
    appendIntMember(b, "height", box.height);
}

// , "attributes": [...], "methods": [...]
void appendLines(std::string& b, const macro::ClassBox& box)
{
    b.append(", \"attributes\": [");
    for (std::size_t i = 0; i < box.attributes.size(); ++i) {
        if (i) b.append(", ");
        appendJsonString(b, box.attributes[i].text);
    }
    b.append("], \"methods\": [");
    for (std::size_t i = 0; i < box.methods.size(); ++i) {
        const macro::MethodLine& line = box.methods[i];
        if (i) b.append(", ");
        b.append("{\"name\": ");
        appendJsonString(b, line.nameText);
        b.append(", \"params\": ");
        appendJsonString(b, line.parameterText);
        b.append(", \"returns\": ");
        appendJsonString(b, line.returnText);
        b.push_back('}');
    }
    b.push_back(']');
}

// The document, written with an explicit stack of things still to write: inheritance chains
// and nested scopes are as deep as the input makes them.
void writeClassJson(JsonStreamWriter& out, const macro::ClassDiagram& diagram)
{
    struct Action {
        enum class Kind { Text, Node, Box } kind;
        std::string text;
        const macro::ClassNode* node = nullptr;
        const macro::ClassBox* box = nullptr;
    };
    std::vector<Action> stack;
    const auto text = [&](std::string t) { stack.push_back({Action::Kind::Text, std::move(t)}); };
    // Pushes the nested boxes of `box` and the closing brackets, in reverse writing order.
    const auto pushNested = [&](const macro::ClassBox& box) {
        text("]}");
        for (std::size_t i = box.nested.size(); i-- > 0;) {
            stack.push_back({Action::Kind::Box, {}, nullptr, &box.nested[i]});
            if (i) text(", ");
        }
    };

    std::string& b = out.buffer();
    b.append("{\"width\": ");
    b.append(std::to_string(diagram.diagramSize().width));
    b.append(", \"height\": ");
    b.append(std::to_string(diagram.diagramSize().height));
    b.append(", \"root\": ");
    if (!diagram.root()) {
        b.append("null}\n");
        return;
    }
    stack.push_back({Action::Kind::Node, {}, diagram.root(), nullptr});
    while (!stack.empty()) {
        Action action = std::move(stack.back());
        stack.pop_back();
        switch (action.kind) {
        case Action::Kind::Text:
            b.append(action.text);
            break;
        case Action::Kind::Box:
            appendHead(b, *action.box);
            appendLines(b, *action.box);
            b.append(", \"nested\": [");
            pushNested(*action.box);
            break;
        case Action::Kind::Node: {
            const macro::ClassNode& node = *action.node;
            appendHead(b, node.box);
            b.append(", \"bases\": [");
            // Written after the bases: the lines and nested boxes of this class.
            pushNested(node.box);
            text(", \"nested\": [");
            std::string lines;
            appendLines(lines, node.box);
            text(std::move(lines));
            text("]");
            for (std::size_t i = node.bases.size(); i-- > 0;) {
                text("}");
                stack.push_back({Action::Kind::Node, {}, &node.bases[i], nullptr});
                text(std::string("{\"access\": ") + std::to_string(static_cast<int>(node.baseAccess[i])) +
                     ", \"virtual\": " + (node.baseVirtual[i] ? "true" : "false") + ", \"node\": ");
                if (i) text(", ");
            }
            break;
        }
        }
        out.maybeFlush();
    }
    b.append("}\n");
}

int runClass(const ClassOptions& options)
{
    std::optional<draw::FixedTextMetrics> fixedMetrics;
    if (const int status = checkDrawingOptions(options.metrics, options.output, fixedMetrics); status != kExitSuccess) {
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
    if (const int status = chooseElement(engine, options.element, KindFilter::Class, choice); status != kExitSuccess) {
        return status;
    }
    const model::SymbolEntry* entry = choice.entry;
    if (!matchesKind(entry->kind, KindFilter::Class)) {
        std::cerr << options.element << ": not a class\n";
        if (matchesKind(entry->kind, KindFilter::Function)) {
            std::cerr << "(it is a function; `quillmarsh-cli flow ... --function " << options.element
                      << "` draws its flowchart)\n";
        }
        return kExitInputError;
    }

    const macro::Theme theme;
    macro::ClassDiagram diagram;
    diagram.setSelection(entry, &engine.result());
    diagram.rebuild();
    const draw::Size size = diagram.measureAndLayout(
        fixedMetrics ? static_cast<const draw::TextMetrics&>(*fixedMetrics) : fontMetrics(), theme.fonts);

    if (!options.output.empty()) {
        // The detail view draws on white.
        writePicture(
            options.output, size, [&](draw::Canvas& canvas) { diagram.paint(canvas, theme); }, draw::kWhite);
    }

    JsonStreamWriter out(stdout);
    writeClassJson(out, diagram);
    return kExitSuccess;
}

}  // namespace

void addClassCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ClassOptions>();
    CLI::App* cmd = app.add_subcommand(
        "class", "Run one analysis over the inputs and print the laid-out class diagram of one class as JSON, "
                 "optionally drawing it");
    addAnalysisOptions(*cmd, options->analysis);
    cmd->add_option("--class", options->element, "The class: A::B::C names its symbol-table path")
        ->type_name("ELEMENT")
        ->required();
    cmd->add_option("--metrics", options->metrics, "Fixed text extents instead of the fonts': fixed:W,H")
        ->type_name("fixed:W,H");
    cmd->add_option("-o", options->output, "Draw the diagram to a .png, .svg or .pdf file")->type_name("OUT");
    cmd->callback([&action, options] { action = [options] { return runClass(*options); }; });
}

}  // namespace qm::cli
