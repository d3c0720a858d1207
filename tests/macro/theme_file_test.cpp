// The theme file: the exact text written, positional reading, and damaged, hostile and missing
// files.
#include "macro/theme_file.h"
#include "model/error.h"
#include "theme_test_support.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include <sys/stat.h>

namespace qm::macro {
namespace {

using testing::readBytes;
using testing::TempFolder;
using testing::writeBytes;

const std::filesystem::path kData = QM_TEST_DATA_DIR;

// The theme that data/custom.cif describes: every value differs from the built-in one.
Theme customTheme()
{
    Theme t;
    ThemeColors& c = t.colors;
    c.shadingType = 3;
    c.unitSpace = 7;
    c.background = {10, 20, 30};
    c.contentType = ColorTarget::Background;
    c.contentColor = {1, 2, 3};
    c.publicType = ColorTarget::Nothing;
    c.publicColor = {4, 5, 6};
    c.protectedType = ColorTarget::Border;
    c.protectedColor = {7, 8, 9};
    c.privateType = ColorTarget::Background;
    c.privateColor = {10, 11, 12};
    c.defaultColors = {{13, 14, 15}, {16, 17, 18}, {19, 20, 21}};
    int next = 22;
    for (const ThemeElement& element : kThemeElements) {
        ElementColors& e = c.colorsFor(element.category);
        for (Rgb* rgb : {&e.font, &e.border, &e.background}) {
            *rgb = Rgb{std::uint8_t(next), std::uint8_t(next + 1), std::uint8_t(next + 2)};
            next += 3;
        }
    }
    t.fonts.defaultFont = {"DejaVu Sans", 6, true};
    t.fonts.fontFor(8) = {"Liberation Serif", 7, false};
    t.fonts.fontFor(4) = {"Courier New", 8, false};
    t.fonts.fontFor(5) = {"Noto Sans", 9, false};
    t.fonts.fontFor(6) = {"Liberation Mono", 11, true};
    t.fonts.fontFor(12) = {"Ubuntu", 12, true};
    t.fonts.fontFor(22) = {"Fira Code", 13, true};
    t.fonts.fontFor(7) = {"Cantarell", 32, true};
    return t;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) lines.push_back(line);
    return lines;
}

TEST(ThemeFileTest, BuiltInThemeWritesTheReferenceFile)
{
    const std::string text = formatTheme(Theme{});
    EXPECT_EQ(text, readBytes(kData / "default.cif"));

    const std::vector<std::string> lines = linesOf(text);
    ASSERT_EQ(lines.size(), 44u);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(lines[i].ends_with("\r")) << "line " << i + 1 << " ends with CR LF";
        const bool trailingBlank = lines[i].ends_with(" \r");
        EXPECT_EQ(trailingBlank, i >= 12 && i <= 18) << "line " << i + 1;
    }
}

TEST(ThemeFileTest, ReadsByPositionWhateverTheKeysSay)
{
    Theme theme;
    project::RecordingReporter messages;
    ASSERT_TRUE(loadTheme(kData / "custom.cif", theme, messages));
    EXPECT_TRUE(messages.messages.empty());
    EXPECT_EQ(theme, customTheme());

    // What was read is written back with the real keys, and reads back the same.
    Theme again;
    parseTheme(formatTheme(theme), again);
    EXPECT_EQ(again, theme);
    EXPECT_NE(formatTheme(theme).find("\r\nPubllcColor 4 5 6\r\n"), std::string::npos);
}

TEST(ThemeFileTest, ElementsWithoutEntriesAreWrittenWithTheDefaults)
{
    Theme theme;
    theme.colors.categoryColors.clear();
    theme.fonts.categoryFonts.clear();
    theme.colors.defaultColors = {{1, 1, 1}, {2, 2, 2}, {3, 3, 3}};
    theme.fonts.defaultFont = {"Face\nWith Break", 9, true};
    const std::vector<std::string> lines = linesOf(formatTheme(theme));
    ASSERT_EQ(lines.size(), 44u);
    EXPECT_EQ(lines[13], "NamespaceColor 1 1 1 2 2 2 3 3 3 \r");
    EXPECT_EQ(lines[19], "EnumColor 1 1 1 2 2 2 3 3 3\r");
    // A line break in a face name would shift every later line.
    EXPECT_EQ(lines[21], "Face With Break\r");
    EXPECT_EQ(lines[43], "9 1\r");

    // Reading it creates the seven entries again.
    Theme read;
    read.colors.categoryColors.clear();
    read.fonts.categoryFonts.clear();
    parseTheme(formatTheme(theme), read);
    EXPECT_EQ(read.colors.categoryColors.size(), 7u);
    EXPECT_EQ(read.fonts.fontOf(7).faceName, "Face With Break");
}

TEST(ThemeFileTest, ValuesThatDoNotScanOrFitKeepTheirField)
{
    std::string text = readBytes(kData / "custom.cif");
    const auto replace = [&text](const std::string& from, const std::string& to) {
        const auto at = text.find(from);
        ASSERT_NE(at, std::string::npos) << from;
        text.replace(at, from.size(), to);
    };
    replace("Shading 3", "Shading three");
    replace("Spacing 7", "Spacing 33");
    replace("Back 10 20 30", "Back 266 -1 blue");
    replace("CType 3", "CType 4");
    replace("PType 0", "PType -1");
    replace("ProtType 2", "ProtType 2x");          // a leading integer counts
    replace("PrivType 3", "PrivType 99999999999");  // beyond 32 bits
    replace("\n6 1\n", "\n0 2\n");                   // size below 1, bold only when exactly 1
    replace("\n32 1\n", "\n+1001 1\n");

    Theme theme;
    parseTheme(text, theme);
    const Theme builtIn;
    Theme expected = customTheme();
    expected.colors.shadingType = builtIn.colors.shadingType;
    expected.colors.unitSpace = builtIn.colors.unitSpace;
    expected.colors.background = Rgb{10, 255, 255};
    expected.colors.contentType = builtIn.colors.contentType;
    expected.colors.publicType = builtIn.colors.publicType;
    expected.colors.privateType = builtIn.colors.privateType;
    expected.fonts.defaultFont = {"DejaVu Sans", 10, false};
    expected.fonts.fontFor(7).size = 10;
    EXPECT_EQ(theme, expected);
}

TEST(ThemeFileTest, AFileThatEndsEarlyKeepsWhatWasReadAndSaysSo)
{
    const std::string full = readBytes(kData / "custom.cif");
    TempFolder folder("qm-theme-cut");

    // Cut after "Spacing 7": the two numbers before stay, the rest keeps its values.
    const std::size_t afterSpacing = full.find("Back");
    writeBytes(folder.path() / "cut.cif", full.substr(0, afterSpacing));
    Theme theme;
    project::RecordingReporter messages;
    EXPECT_FALSE(loadTheme(folder.path() / "cut.cif", theme, messages));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"theme load fail."});
    Theme expected;
    expected.colors.shadingType = 3;
    expected.colors.unitSpace = 7;
    EXPECT_EQ(theme, expected);

    // Cut inside the fonts: every colour is read, a font is taken whole or not at all.
    const std::size_t unionFontSize = full.find("\n11 1\n") + 1;
    Theme partial;
    EXPECT_THROW(parseTheme(full.substr(0, unionFontSize + 2), partial), model::Error);
    EXPECT_EQ(partial.colors, customTheme().colors);
    EXPECT_EQ(partial.fonts.fontOf(5), customTheme().fonts.fontOf(5));
    EXPECT_EQ(partial.fonts.fontOf(6), Theme{}.fonts.fontOf(6));

    // Every shorter prefix either fails with the message or, once the last number is whole,
    // reads the complete theme.
    const std::size_t lastDigit = full.size() - 2;  // "...32 1\n"
    for (std::size_t length = 0; length < full.size(); ++length) {
        Theme t;
        try {
            parseTheme(full.substr(0, length), t);
            EXPECT_GT(length, lastDigit) << "length " << length;
            EXPECT_EQ(t, customTheme());
        } catch (const model::Error& e) {
            EXPECT_STREQ(e.what(), "theme load fail.");
            EXPECT_LE(length, lastDigit) << "length " << length;
        }
    }
}

TEST(ThemeFileTest, RandomBytesNeverBreakTheTheme)
{
    std::mt19937 random(20240611);
    for (int round = 0; round < 300; ++round) {
        std::string bytes(random() % 2048, '\0');
        const bool digitsAndBlanks = round % 2 == 0;
        for (char& c : bytes) {
            c = digitsAndBlanks ? " 0123456789-\n\r"[random() % 15] : static_cast<char>(random() % 256);
        }
        Theme theme;
        try {
            parseTheme(bytes, theme);
        } catch (const model::Error& e) {
            EXPECT_STREQ(e.what(), "theme load fail.");
        }
        const ThemeColors& c = theme.colors;
        EXPECT_TRUE(c.shadingType >= 0 && c.shadingType <= kMaxShadingType);
        EXPECT_TRUE(c.unitSpace >= 0 && c.unitSpace <= kMaxUnitSpace);
        for (const ColorTarget type : {c.contentType, c.publicType, c.protectedType, c.privateType}) {
            EXPECT_TRUE(static_cast<int>(type) >= 0 && static_cast<int>(type) <= kMaxColorTarget);
        }
        for (const auto& [category, font] : theme.fonts.categoryFonts) {
            EXPECT_TRUE(font.size >= kMinFontSize && font.size <= kMaxFontSize) << category;
        }
    }
}

TEST(ThemeFileTest, LongLinesAndLargeFiles)
{
    TempFolder folder("qm-theme-long");
    std::string text = formatTheme(Theme{});

    // A face name of a megabyte is read whole; junk after the last line is never looked at.
    const std::string longFace(1 << 20, 'F');
    std::string longFaceText = text;
    longFaceText.replace(longFaceText.find("DefaultFont\r\nArial"), 18, "DefaultFont\r\n" + longFace);
    writeBytes(folder.path() / "face.cif", longFaceText + std::string(6 << 20, 'x'));
    Theme theme;
    project::RecordingReporter messages;
    EXPECT_TRUE(loadTheme(folder.path() / "face.cif", theme, messages));
    EXPECT_EQ(theme.fonts.defaultFont.faceName, longFace);
    EXPECT_TRUE(messages.messages.empty());

    // A header line longer than the readable part: the file ends early.
    writeBytes(folder.path() / "header.cif", std::string(kMaxThemeFileBytes + 10, 'h') + "\r\n" + text);
    Theme untouched;
    EXPECT_FALSE(loadTheme(folder.path() / "header.cif", untouched, messages));
    EXPECT_EQ(messages.messages, std::vector<std::string>{"theme load fail."});
    EXPECT_EQ(untouched, Theme{});
}

TEST(ThemeFileTest, WhatCannotBeOpenedIsSkippedSilently)
{
    TempFolder folder("qm-theme-open");
    const std::filesystem::path fifo = folder.path() / "pipe.cif";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    std::filesystem::create_directory(folder.path() / "dir.cif");

    for (const auto& path : {folder.path() / "missing.cif", folder.path() / "dir.cif", fifo,
                             folder.path() / "no" / "folder" / "x.cif"}) {
        Theme theme;
        theme.colors.unitSpace = 9;
        project::RecordingReporter messages;
        EXPECT_FALSE(loadTheme(path, theme, messages)) << path;
        EXPECT_TRUE(messages.messages.empty()) << path;
        EXPECT_EQ(theme.colors.unitSpace, 9);
    }
}

TEST(ThemeFileTest, SavingReplacesTheFileWholeOrNotAtAll)
{
    TempFolder folder("qm-theme-save");
    const auto path = folder.path() / "t.cif";
    writeBytes(path, "old content that is longer than nothing");
    saveTheme(path, customTheme());
    EXPECT_EQ(readBytes(path), formatTheme(customTheme()));

    const auto noFolder = folder.path() / "missing" / "t.cif";
    try {
        saveTheme(noFolder, Theme{});
        FAIL() << "saving into a missing folder must fail";
    } catch (const model::Error& e) {
        EXPECT_EQ(std::string(e.what()), noFolder.string() + " : cannot write file");
    }
    EXPECT_FALSE(std::filesystem::exists(noFolder.parent_path()));
}

}  // namespace
}  // namespace qm::macro
