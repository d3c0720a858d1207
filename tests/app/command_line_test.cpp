// The desktop program's command line: what is taken as the project, what is left for the window
// system, and when there is a display to open the window on.
#include "app/command_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

namespace qm::app {
namespace {

CommandLine parse(std::vector<const char*> args)
{
    args.insert(args.begin(), "quillmarsh");
    return parseCommandLine(static_cast<int>(args.size()), args.data());
}

TEST(CommandLine, ProjectOptionsAndWindowSystemArguments)
{
    EXPECT_EQ(parse({}).project, "");
    EXPECT_EQ(parse({"a.qmp"}).project, "a.qmp");
    const CommandLine drawn = parse({"--draw", "src", "more.cpp"});
    EXPECT_TRUE(drawn.draw);
    EXPECT_EQ(drawn.project, "src");
    EXPECT_EQ(drawn.extra, std::vector<std::string>{"more.cpp"});
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"-h"}).help);
    EXPECT_TRUE(parse({"--version"}).version);
    // The window system's own options and their values are not taken for the project.
    const CommandLine platform = parse({"-platform", "offscreen", "-style", "fusion", "x.qmp"});
    EXPECT_TRUE(platform.platformGiven);
    EXPECT_EQ(platform.project, "x.qmp");
    EXPECT_TRUE(platform.error.empty());
    // "--" ends the options: a file may start with a dash.
    EXPECT_EQ(parse({"--", "-odd.cpp"}).project, "-odd.cpp");
    EXPECT_EQ(parse({"--frobnicate"}).error, "unknown option --frobnicate");
}

TEST(CommandLine, ADisplayIsNeededUnlessAPlatformIsNamed)
{
    const char* saved[] = {std::getenv("DISPLAY"), std::getenv("WAYLAND_DISPLAY"), std::getenv("QT_QPA_PLATFORM")};
    const std::string copies[] = {saved[0] ? saved[0] : "", saved[1] ? saved[1] : "", saved[2] ? saved[2] : ""};
    ::unsetenv("DISPLAY");
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("QT_QPA_PLATFORM");
    EXPECT_FALSE(displayAvailable(parse({})));
    EXPECT_TRUE(displayAvailable(parse({"-platform", "offscreen"})));
    ::setenv("DISPLAY", ":7", 1);
    EXPECT_TRUE(displayAvailable(parse({})));
    ::unsetenv("DISPLAY");
    ::setenv("WAYLAND_DISPLAY", "wayland-0", 1);
    EXPECT_TRUE(displayAvailable(parse({})));
    const char* names[] = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};
    for (int i = 0; i < 3; ++i) {
        if (saved[i]) {
            ::setenv(names[i], copies[i].c_str(), 1);
        } else {
            ::unsetenv(names[i]);
        }
    }
}

}  // namespace
}  // namespace qm::app
