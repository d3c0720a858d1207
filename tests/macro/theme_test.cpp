// Theme values: the lookup of fonts and colours by category, what an element entry starts from,
// the font's derived height and weight, and the named colours of the colour lists.
#include "macro/named_colors.h"
#include "macro/theme.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qm::macro {
namespace {

TEST(ThemeTest, LookupMapsGroupBoxesAndFallsBackToTheDefault)
{
    Theme theme;
    theme.colors.defaultColors.background = Rgb{1, 2, 3};
    theme.fonts.defaultFont.faceName = "Fallback";

    // The variables group looks like a variable, the functions group like a function.
    EXPECT_EQ(&theme.colors.colorsOf(63), &theme.colors.colorsOf(12));
    EXPECT_EQ(&theme.colors.colorsOf(64), &theme.colors.colorsOf(22));
    EXPECT_EQ(&theme.fonts.fontOf(63), &theme.fonts.fontOf(12));
    EXPECT_EQ(&theme.fonts.fontOf(64), &theme.fonts.fontOf(22));
    EXPECT_EQ(theme.colors.colorsOf(22).background, (Rgb{232, 240, 248}));

    // Typedefs (14), unknown nodes (0) and anything else without an entry use the default row.
    for (const int category : {0, 14, 23, 53, 61, 99, -1}) {
        EXPECT_EQ(&theme.colors.colorsOf(category), &theme.colors.defaultColors) << category;
        EXPECT_EQ(&theme.fonts.fontOf(category), &theme.fonts.defaultFont) << category;
    }
}

TEST(ThemeTest, ChangingAnEntryCreatesItFromTheDefaultAndMapsGroupBoxes)
{
    Theme theme;
    theme.colors.defaultColors.font = Rgb{9, 9, 9};
    theme.fonts.defaultFont = ElementFont{"Base", 12, true};

    ElementColors& typedefColors = theme.colors.colorsFor(14);
    EXPECT_EQ(typedefColors, theme.colors.defaultColors);
    typedefColors.border = Rgb{7, 7, 7};
    EXPECT_EQ(theme.colors.colorsOf(14).border, (Rgb{7, 7, 7}));
    EXPECT_EQ(theme.colors.defaultColors.border, (Rgb{255, 255, 255}));

    ElementFont& typedefFont = theme.fonts.fontFor(14);
    EXPECT_EQ(typedefFont, (ElementFont{"Base", 12, true}));
    typedefFont.size = 20;
    EXPECT_EQ(theme.fonts.defaultFont.size, 12);

    // Changing the functions group changes the function entry; no entry 64 appears.
    theme.colors.colorsFor(64).font = Rgb{5, 6, 7};
    theme.fonts.fontFor(63).faceName = "Vars";
    EXPECT_EQ(theme.colors.colorsOf(22).font, (Rgb{5, 6, 7}));
    EXPECT_EQ(theme.fonts.fontOf(12).faceName, "Vars");
    EXPECT_FALSE(theme.colors.categoryColors.contains(64));
    EXPECT_FALSE(theme.fonts.categoryFonts.contains(63));
}

TEST(ThemeTest, CopiesAreIndependentAndCompareByValue)
{
    Theme original;
    Theme copy = original;
    EXPECT_EQ(copy, original);
    copy.fonts.fontFor(4).bold = false;
    copy.colors.colorsFor(8).background = Rgb{0, 0, 0};
    EXPECT_TRUE(original.fonts.fontOf(4).bold);
    EXPECT_EQ(original.colors.colorsOf(8).background, (Rgb{246, 245, 218}));
    EXPECT_NE(copy, original);
}

TEST(ThemeTest, FontHeightIsInTenthsAndBoldIsHeavy)
{
    const ElementFont smallest{"Arial", 6, false};
    EXPECT_EQ(smallest.pointSizeTenths(), 60);
    EXPECT_EQ(smallest.weight(), kNormalWeight);
    EXPECT_EQ((ElementFont{"Arial", 32, true}).weight(), 800);
}

TEST(ThemeTest, ColourValueHasRedInTheLowByte)
{
    EXPECT_EQ((Rgb{0x12, 0x34, 0x56}).value(), 0x563412u);
    EXPECT_EQ(Rgb::fromValue(0xFF563412u), (Rgb{0x12, 0x34, 0x56}));
}

TEST(NamedColorsTest, ListOrderNamesAndLookup)
{
    const auto colors = namedColors();
    ASSERT_EQ(colors.size(), 140u);
    EXPECT_EQ(colors[0].name, "black");
    EXPECT_EQ(colors[17].name, "white");
    EXPECT_EQ(colors[17].color, (Rgb{255, 255, 255}));
    EXPECT_EQ(colors[60].name, "green(dark)");
    EXPECT_EQ(colors[60].color, (Rgb{0, 100, 0}));
    EXPECT_EQ(colors[84].name, "blue(royal)");
    EXPECT_EQ(colors[84].color, (Rgb{4, 22, 144}));
    EXPECT_EQ(colors[138].name, "azure");
    EXPECT_EQ(colors[kCustomColorIndex].name, "custom");

    std::set<std::string_view> names;
    for (const NamedColor& c : colors) names.insert(c.name);
    EXPECT_EQ(names.size(), 140u) << "names are unique";

    // The first entry with the value wins: "fuchsia" before "magenta", "aqua" before "cyan";
    // black is "black", never "custom".
    EXPECT_EQ(colors[*findNamedColor(Rgb{255, 0, 255})].name, "fuchsia");
    EXPECT_EQ(colors[*findNamedColor(Rgb{0, 255, 255})].name, "aqua");
    EXPECT_EQ(findNamedColor(Rgb{0, 0, 0}), 0u);
    // The defaults of a theme that have no name go to "custom".
    EXPECT_EQ(findNamedColor(Rgb{204, 255, 102}), std::nullopt);
    EXPECT_EQ(findNamedColor(Rgb{0, 0, 200}), std::nullopt);
}

}  // namespace
}  // namespace qm::macro
