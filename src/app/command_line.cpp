#include "app/command_line.h"

#include <cstdlib>
#include <set>
#include <string_view>

namespace qm::app {

namespace {

// Options of the window system that take a value; it removes them itself when it starts.
const std::set<std::string_view> kQtOptionsWithValue = {
    "-platform", "-platformpluginpath", "-platformtheme", "-plugin", "-qwindowgeometry", "-qwindowtitle",
    "-qwindowicon", "-display", "-style", "-stylesheet", "-session", "-geometry", "-title", "-name",
};
const std::set<std::string_view> kQtFlags = {"-reverse", "-widgetcount", "-nograb", "-dograb", "-sync"};

bool isSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

}  // namespace

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i] ? argv[i] : "";
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "--help" || arg == "-h")) {
            line.help = true;
        } else if (!optionsEnded && arg == "--version") {
            line.version = true;
        } else if (!optionsEnded && arg == "--draw") {
            line.draw = true;
        } else if (!optionsEnded && kQtOptionsWithValue.count(arg)) {
            line.platformGiven = line.platformGiven || arg == "-platform";
            ++i;  // its value
        } else if (!optionsEnded && kQtFlags.count(arg)) {
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (line.error.empty()) line.error = "unknown option " + std::string(arg);
        } else if (line.project.empty()) {
            line.project = std::string(arg);
        } else {
            line.extra.emplace_back(arg);
        }
    }
    return line;
}

std::string usageText()
{
    return "Usage: quillmarsh [--draw] [PROJECT]\n"
           "\n"
           "Draws pictures of C and C++ source code: the whole program as nested boxes, the\n"
           "flowchart of a picked function and the class diagram of a picked class.\n"
           "\n"
           "PROJECT   a project file (.qmp) to open; or a source file, a folder (its C and C++\n"
           "          files, subfolders included) or a Visual C++ .dsw, .dsp or .vcproj file,\n"
           "          which make a new project\n"
           "--draw    analyse the project at once (as pressing Draw, F5)\n"
           "--help    this text\n"
           "--version the program's version\n"
           "\n"
           "Settings live in ~/.config/Quillmarsh (QUILLMARSH_CONFIG_DIR names another folder).\n"
           "Without a display, use quillmarsh-cli, which draws the same pictures into files.\n";
}

bool displayAvailable(const CommandLine& line)
{
    return line.platformGiven || isSet("QT_QPA_PLATFORM") || isSet("DISPLAY") || isSet("WAYLAND_DISPLAY");
}

}  // namespace qm::app
