// `quillmarsh-cli theme`: reads a theme file over the built-in theme as the desktop program
// does, optionally writes the result, and prints the theme.
#include "cli/cli_command.h"
#include "cli/theme_input.h"
#include "macro/theme.h"
#include "macro/theme_file.h"
#include "project/message_reporter.h"

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <iostream>
#include <memory>
#include <string>
#include <system_error>

namespace qm::cli {

namespace {

using Json = nlohmann::ordered_json;

struct ThemeOptions {
    std::string read;
    std::string write;
};

Json colorJson(macro::Rgb color)
{
    return Json::array({color.r, color.g, color.b});
}

Json extraColorJson(macro::ColorTarget type, macro::Rgb color)
{
    return Json{{"type", static_cast<int>(type)}, {"color", colorJson(color)}};
}

Json elementColorsJson(const macro::ElementColors& colors)
{
    return Json{{"font", colorJson(colors.font)},
                {"border", colorJson(colors.border)},
                {"background", colorJson(colors.background)}};
}

Json fontJson(const macro::ElementFont& font)
{
    return Json{{"face", font.faceName}, {"size", font.size}, {"bold", font.bold}};
}

Json themeJson(const macro::Theme& theme)
{
    const macro::ThemeColors& c = theme.colors;
    Json colors{{"default", elementColorsJson(c.defaultColors)}};
    for (const auto& [category, element] : c.categoryColors) {
        colors[std::to_string(category)] = elementColorsJson(element);
    }
    Json fonts{{"default", fontJson(theme.fonts.defaultFont)}};
    for (const auto& [category, font] : theme.fonts.categoryFonts) {
        fonts[std::to_string(category)] = fontJson(font);
    }
    return Json{{"shading", c.shadingType},
                {"unitSpace", c.unitSpace},
                {"background", colorJson(c.background)},
                {"content", extraColorJson(c.contentType, c.contentColor)},
                {"public", extraColorJson(c.publicType, c.publicColor)},
                {"protected", extraColorJson(c.protectedType, c.protectedColor)},
                {"private", extraColorJson(c.privateType, c.privateColor)},
                {"colors", std::move(colors)},
                {"fonts", std::move(fonts)}};
}

int runTheme(const ThemeOptions& options)
{
    macro::Theme theme;
    if (!options.read.empty()) {
        if (const int status = readThemeFile(options.read, theme); status != kExitSuccess) {
            return status;
        }
    }
    if (!options.write.empty()) {
        macro::saveTheme(options.write, theme);
    }
    // Face names come from files: bytes that are not UTF-8 are printed as U+FFFD.
    std::cout << themeJson(theme).dump(-1, ' ', false, Json::error_handler_t::replace) << '\n';
    return kExitSuccess;
}

}  // namespace

void addThemeCommand(CLI::App& app, CommandAction& action)
{
    auto options = std::make_shared<ThemeOptions>();
    CLI::App* cmd = app.add_subcommand(
        "theme", "Read a theme file over the built-in theme, optionally write it, and print the theme as JSON");
    cmd->add_option("--read", options->read, "Theme file to read over the built-in theme")->type_name("FILE.cif");
    cmd->add_option("--write", options->write, "Write the resulting theme to this file")->type_name("OUT.cif");
    cmd->callback([&action, options] { action = [options] { return runTheme(*options); }; });
}

}  // namespace qm::cli
