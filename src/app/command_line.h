// The desktop program's command line: `quillmarsh [--draw] [PROJECT]`, `--help`, `--version`.
// Read before the window system starts, so that --help works without a display. Options of the
// window system itself (-platform NAME, -style NAME, ...) are left for it.
#pragma once

#include <string>
#include <vector>

namespace qm::app {

struct CommandLine {
    bool help = false;
    bool version = false;
    bool draw = false;                // start a run once the project is open
    bool platformGiven = false;       // -platform NAME: the window system is chosen explicitly
    std::string project;              // the first path given; empty for none
    std::vector<std::string> extra;   // further paths, which are not used
    std::string error;                // an unknown option; empty when the line is fine
};

CommandLine parseCommandLine(int argc, const char* const* argv);

// The text --help prints.
std::string usageText();

// True when the environment names a display the window system can use (or -platform chose one).
bool displayAvailable(const CommandLine& line);

}  // namespace qm::app
