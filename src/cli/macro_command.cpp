// `quillmarsh-cli macro`: one analysis run, then the macro diagram built, measured, (unfolded)
// and laid out as the macro view does it; the box tree as JSON, and optionally the picture.
#include "cli/analysis_options.h"
#include "cli/cli_command.h"
#include "cli/cli_pictures.h"
#include "cli/json_output.h"
#include "cli/theme_input.h"
#include "frontend/analysis_engine.h"
#include "macro/macro_diagram.h"
#include "macro/macro_style.h"
#include "macro/macro_view_paint.h"
#include "macro/theme.h"
#include "macro/theme_file.h"
#include "project/message_reporter.h"

#include <CLI/CLI.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

namespace qm::cli {

namespace {

struct MacroOptions {
    AnalysisOptions analysis;
    int width = 1024;
    std::string sort = "name";
    bool fixedSize = true;
    bool autoSort = true;
    bool unfold = false;
    std::optional<int> unitSpace;
    std::string theme;
    std::string metrics;
    std::string output;
};

// {"name", "kind", ..., "separators": [...], "children": [   -- the children and the closing
// brackets follow.
void appendBoxHead(std::string& b, const macro::MacroBox& box)
{
    b.append("{\"name\": ");
    appendJsonString(b, box.entry ? box.entry->name : std::string());
    appendIntMember(b, "kind", box.kind());
    b.append(", \"kindName\": ");
    appendJsonString(b, model::nodeKindName(box.kind()));
    appendIntMember(b, "sequence", box.sequence);
    appendIntMember(b, "x", box.x);
    appendIntMember(b, "y", box.y);
    appendIntMember(b, "relX", box.relX);
    appendIntMember(b, "relY", box.relY);
    appendIntMember(b, "width", box.width);
    appendIntMember(b, "height", box.height);
    appendIntMember(b, "titleWidth", box.titleWidth);
    appendIntMember(b, "titleHeight", box.titleHeight);
    appendIntMember(b, "markerSize", box.markerSize);
    b.append(box.expanded ? ", \"expanded\": true" : ", \"expanded\": false");
    b.append(box.memberList ? ", \"memberList\": true" : ", \"memberList\": false");
    b.append(", \"separators\": [");
    for (std::size_t i = 0; i < box.separators.size(); ++i) {
        if (i) b.append(", ");
        b.append(std::to_string(box.separators[i]));
    }
    b.append("], \"children\": [");
}

// The document, written without recursion: box trees nest as deeply as scopes do.
void writeDiagramJson(JsonStreamWriter& out, const macro::MacroDiagram& diagram, draw::Size size)
{
    std::string& b = out.buffer();
    b.append("{\"width\": ");
    b.append(std::to_string(size.width));
    b.append(", \"height\": ");
    b.append(std::to_string(size.height));
    b.append(", \"boxes\": ");
    appendTreeJson(out, diagram.boxes(), appendBoxHead);
    b.append("}\n");
}

int runMacro(const MacroOptions& options)
{
    std::optional<draw::FixedTextMetrics> fixedMetrics;
    if (const int status = checkDrawingOptions(options.metrics, options.output, fixedMetrics); status != kExitSuccess) {
        return status;
    }

    macro::Theme theme;
    if (!options.theme.empty()) {
        if (const int status = readThemeFile(options.theme, theme); status != kExitSuccess) {
            return status;
        }
    }
    if (const int status = checkInputsGiven(options.analysis); status != kExitSuccess) {
        return status;
    }

    const AnalysisRunPtr run = runAnalysis(options.analysis);
    if (!run) {
        return kExitInputError;
    }
    frontend::AnalysisEngine& engine = run->engine;

    macro::MacroDiagram diagram;
    diagram.buildBoxes(engine.result());
    diagram.measureBoxes(fixedMetrics ? static_cast<const draw::TextMetrics&>(*fixedMetrics) : fontMetrics(),
                         theme.fonts);
    if (options.unfold) {
        diagram.setExpandedAll(true);
    }
    macro::MacroLayoutOptions layout;
    layout.availableWidth = options.width;
    layout.unitSpace = options.unitSpace.value_or(theme.colors.unitSpace);
    layout.sortKey = options.sort == "size" ? macro::MacroSortKey::Size : macro::MacroSortKey::Name;
    layout.fixedSize = options.fixedSize;
    layout.autoSort = options.autoSort;
    const draw::Size size = diagram.layout(layout);

    if (!options.output.empty()) {
        writePicture(
            options.output, size,
            [&](draw::Canvas& canvas) {
                std::vector<macro::MacroBox*> drawList;
                macro::paintBoxes(canvas, diagram.boxes(), theme, drawList);
            },
            macro::drawColor(theme.colors.background));
    }

    JsonStreamWriter out(stdout);
    writeDiagramJson(out, diagram, size);
    return kExitSuccess;
}

}  // namespace

void addMacroCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<MacroOptions>();
    CLI::App* cmd = app.add_subcommand(
        "macro", "Run one analysis over the inputs and print the laid-out macro diagram as JSON, optionally drawing it");
    addAnalysisOptions(*cmd, options->analysis);
    cmd->add_option("--width", options->width, "Width available to the layout in pixels (default 1024)")
        ->type_name("W");
    cmd->add_option("--sort", options->sort, "Sort key of sibling boxes: name or size (default name)")
        ->check(CLI::IsMember({"name", "size"}));
    cmd->add_flag("--fixed-size,!--no-fixed-size", options->fixedSize,
                  "Boxes of one kind in a row share the widest one's slot (default on)");
    cmd->add_flag("--auto-sort,!--no-auto-sort", options->autoSort,
                  "Place every box by the rows; off keeps containers at their stored (origin) position (default on)");
    cmd->add_flag("--unfold", options->unfold, "Expand every box before the layout");
    cmd->add_option("--unit-space", options->unitSpace, "Spacing unit U in pixels (default: the theme's)")
        ->type_name("U")
        ->check(CLI::Range(0, static_cast<int>(macro::kMaxUnitSpace)));
    cmd->add_option("--theme", options->theme, "Theme file to read over the built-in theme")->type_name("FILE.cif");
    cmd->add_option("--metrics", options->metrics, "Fixed text extents instead of the fonts': fixed:W,H")
        ->type_name("fixed:W,H");
    cmd->add_option("-o", options->output, "Draw the diagram to a .png, .svg or .pdf file")->type_name("OUT");
    cmd->callback([&action, options] { action = [options] { return runMacro(*options); }; });
}

}  // namespace qm::cli
