// The window placements: their text form and the two profile entries.
#include "settings/window_placement.h"

#include <gtest/gtest.h>

namespace qm::settings {
namespace {

TEST(WindowPlacement, TextFormRoundTripsAndRefusesAnythingButTenNumbers)
{
    const WindowPlacement p{2, 3, -1, -1, -8, -8, 10, 20, 810, 620};
    EXPECT_EQ(formatWindowPlacement(p), "2,3,-1,-1,-8,-8,10,20,810,620");
    EXPECT_EQ(parseWindowPlacement("2,3,-1,-1,-8,-8,10,20,810,620"), p);
    EXPECT_EQ(parseWindowPlacement(" 2, 3,-1, -1,-8,-8,10,20,810,620 \n"), p);
    const WindowPlacement extremes{4294967295u, 0, -2147483647 - 1, 2147483647, 0, 0, 0, 0, 0, 0};
    EXPECT_EQ(parseWindowPlacement(formatWindowPlacement(extremes)), extremes);

    for (const char* bad : {
             "",
             "1,2,3,4,5,6,7,8,9",          // nine numbers
             "1,2,3,4,5,6,7,8,9,10,11",    // eleven
             "1,2,3,4,5,6,7,8,9,",
             "-1,2,3,4,5,6,7,8,9,10",      // the flags are unsigned
             "1,2,3,4,5,6,7,8,9,2147483648",
             "4294967296,2,3,4,5,6,7,8,9,10",
             "1,2,3,4,5,6,7,8,9,10 px",
             "1 ,2,3,4,5,6,7,8,9,10",
             "1,2,3,4,,6,7,8,9,10",
             "1;2;3;4;5;6;7;8;9;10",
         }) {
        EXPECT_FALSE(parseWindowPlacement(bad)) << bad;
    }
}

TEST(WindowPlacement, BothEntriesOrNone)
{
    MemorySettingsStore profile;
    const WindowPlacements placements{{0, 1, -1, -1, -1, -1, 10, 10, 700, 500}, {1, 1, 0, 0, 0, 0, 5, 5, 50, 50}};
    EXPECT_FALSE(loadWindowPlacements(profile));

    ASSERT_TRUE(saveWindowPlacements(profile, placements, false));
    EXPECT_EQ(profile.texts.at("QuillmarshSettings/WindowPos"), "0,1,-1,-1,-1,-1,10,10,700,500");
    EXPECT_EQ(profile.texts.at("QuillmarshSettings/CodeWindowPos"), "1,1,0,0,0,0,5,5,50,50");
    EXPECT_EQ(loadWindowPlacements(profile), placements);

    // A maximised main window comes back maximised; the flag is added once and only to it.
    ASSERT_TRUE(saveWindowPlacements(profile, placements, true));
    EXPECT_EQ(profile.texts.at("QuillmarshSettings/WindowPos"), "2,1,-1,-1,-1,-1,10,10,700,500");
    EXPECT_EQ(profile.texts.at("QuillmarshSettings/CodeWindowPos"), "1,1,0,0,0,0,5,5,50,50");
    const WindowPlacements loaded = loadWindowPlacements(profile).value();
    ASSERT_TRUE(saveWindowPlacements(profile, loaded, true));
    EXPECT_EQ(loadWindowPlacements(profile)->mainWindow.flags, 2u);

    profile.texts["QuillmarshSettings/CodeWindowPos"] = "1,1,0,0,0,0,5,5,50";
    EXPECT_FALSE(loadWindowPlacements(profile));
    profile.texts.erase("QuillmarshSettings/CodeWindowPos");
    EXPECT_FALSE(loadWindowPlacements(profile));

    profile.unwritable = {"QuillmarshSettings/CodeWindowPos"};
    EXPECT_FALSE(saveWindowPlacements(profile, placements, false));
    profile.unwritable.clear();
    profile.flushable = false;
    EXPECT_FALSE(saveWindowPlacements(profile, placements, false));
}

}  // namespace
}  // namespace qm::settings
