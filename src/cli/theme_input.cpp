#include "cli/theme_input.h"

#include "cli/cli_command.h"
#include "macro/theme_file.h"
#include "project/message_reporter.h"

#include <filesystem>
#include <fstream>
#include <iostream>
#include <system_error>

namespace qm::cli {

namespace {

// Passes messages on to standard error and remembers whether there were any.
class StderrReporter : public project::MessageReporter {
public:
    void show(std::string_view message) override
    {
        std::cerr << message << '\n';
        shown = true;
    }
    bool shown = false;
};

// The desktop program reads any file as a theme (by position, keys unread), so a program or a
// picture named by mistake would change colours at random. Here a theme file must be text (no
// NUL byte) whose second line is a key and a number, as "HighColorShading 1" is.
bool looksLikeThemeFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::string text(macro::kMaxThemeFileBytes, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (text.find('\0') != std::string::npos) {
        return false;
    }
    const std::size_t second = text.find('\n');
    if (second == std::string::npos) {
        return true;  // too short to judge: reading it reports that it ends early
    }
    std::size_t at = second + 1;
    const auto isBlank = [&](std::size_t i) { return i < text.size() && (text[i] == ' ' || text[i] == '\t'); };
    const auto isWordByte = [&](std::size_t i) { return i < text.size() && !isBlank(i) && text[i] != '\n' && text[i] != '\r'; };
    if (!isWordByte(at)) return false;
    while (isWordByte(at)) ++at;
    if (!isBlank(at)) return false;
    while (isBlank(at)) ++at;
    if (at < text.size() && (text[at] == '-' || text[at] == '+')) ++at;
    return at < text.size() && text[at] >= '0' && text[at] <= '9';
}

}  // namespace

int readThemeFile(const std::string& path, macro::Theme& theme)
{
    std::error_code ec;
    if (!std::filesystem::exists(path, ec)) {
        std::cerr << path << ": no such file or directory\n";
        return kExitInputError;
    }
    if (std::filesystem::is_regular_file(path, ec) && !looksLikeThemeFile(path)) {
        std::cerr << path << ": not a theme file (one is text whose second line is a key and a number, such as "
                             "\"HighColorShading 1\")\n";
        return kExitInputError;
    }
    StderrReporter messages;
    if (!macro::loadTheme(path, theme, messages)) {
        // A file that ended early has said so; one that could not be opened says it here.
        if (!messages.shown) {
            std::cerr << path << ": cannot read theme file\n";
        }
        return kExitInputError;
    }
    return kExitSuccess;
}

}  // namespace qm::cli
