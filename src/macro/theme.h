// Theme: the look of the macro and class diagrams — a font and three colours per element
// category, the colours that mark functions with a body and members by their access, the
// shading mode and the spacing unit — with the built-in defaults and the lookup by category.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>

namespace qm::macro {

// A colour. As one number it is red + 256 × green + 65536 × blue (red in the low byte).
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    bool operator==(const Rgb&) const = default;

    constexpr std::uint32_t value() const noexcept
    {
        return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
    }
    static constexpr Rgb fromValue(std::uint32_t value) noexcept
    {
        return Rgb{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
                   static_cast<std::uint8_t>((value >> 16) & 0xFF)};
    }
};

// Which of a box's three colours (text, border, fill) an extra colour replaces. The values are
// the positions in the dialog's type lists and the numbers in the theme file.
enum class ColorTarget : std::int32_t { Nothing = 0, Font = 1, Border = 2, Background = 3 };

// The ranges a theme keeps its numbers in; a theme file value outside them is not taken.
inline constexpr std::int32_t kMaxColorTarget = 3;
inline constexpr std::int32_t kMaxShadingType = 4;  // 0 none, 1 down darken, 2 right darken, 3 down/4 right brighten
inline constexpr std::int32_t kMaxUnitSpace = 32;
inline constexpr std::int32_t kMinFontSize = 1;     // points
inline constexpr std::int32_t kMaxFontSize = 1000;  // points

// The font, border and background colours of one element category.
struct ElementColors {
    Rgb font;
    Rgb border;
    Rgb background;

    bool operator==(const ElementColors&) const = default;
};

inline constexpr std::int32_t kBoldWeight = 800;
inline constexpr std::int32_t kNormalWeight = 400;

// The font of one element category: a point font of `size` points, heavy when bold.
struct ElementFont {
    std::string faceName = "Arial";
    std::int32_t size = 10;
    bool bold = false;

    bool operator==(const ElementFont&) const = default;

    // The height in tenths of a point: 60 for a size of 6.
    constexpr std::int32_t pointSizeTenths() const noexcept { return size * 10; }
    constexpr std::int32_t weight() const noexcept { return bold ? kBoldWeight : kNormalWeight; }
};

// One element category that a theme gives its own font and colours (the "Unknown" row of the
// dialog is the theme's default font and colours instead).
struct ThemeElement {
    std::int32_t category;
    std::string_view caption;  // dialog row, and prefix of the theme file keys
};

// The seven elements in theme-file and dialog order: Namespace, Class, Struct, Union, Variable,
// Function, Enum.
inline constexpr std::array kThemeElements = {
#define THEME_ELEMENT(Name, category, caption, ...) ThemeElement{category, caption},
#include "macro/theme_elements.def"
};

// The two group boxes of the macro diagram are looked up as what they hold: the global
// variables group (63) as a variable (12), the global functions group (64) as a function (22).
// Every other category stands for itself.
constexpr std::int32_t themeCategory(std::int32_t category) noexcept
{
    return category == 63 ? 12 : category == 64 ? 22 : category;
}

// The built-in colours of the seven elements.
std::map<std::int32_t, ElementColors> defaultCategoryColors();
// The built-in fonts of the seven elements.
std::map<std::int32_t, ElementFont> defaultCategoryFonts();

struct ThemeColors {
    // The "Unknown" colours: of every category without colours of its own.
    ElementColors defaultColors{Rgb{0, 0, 0}, Rgb{255, 255, 255}, Rgb{255, 255, 255}};
    // The diagram's background.
    Rgb background{255, 255, 255};
    // Functions with a body.
    ColorTarget contentType = ColorTarget::Border;
    Rgb contentColor{0, 0, 0};
    // Members (and global functions and variables) by their access.
    ColorTarget publicType = ColorTarget::Font;
    Rgb publicColor{0, 100, 0};
    ColorTarget privateType = ColorTarget::Font;
    Rgb privateColor{200, 0, 0};
    ColorTarget protectedType = ColorTarget::Font;
    Rgb protectedColor{0, 0, 200};
    // The shading mode of filled shapes, 0 to kMaxShadingType.
    std::int32_t shadingType = 1;
    // The spacing unit of the diagram layout in pixels, 0 to kMaxUnitSpace.
    std::int32_t unitSpace = 4;
    std::map<std::int32_t, ElementColors> categoryColors = defaultCategoryColors();

    bool operator==(const ThemeColors&) const = default;

    // The colours of `category` after themeCategory(): its own entry, else defaultColors.
    const ElementColors& colorsOf(std::int32_t category) const;
    // The entry of themeCategory(`category`) for changing; an absent entry is created with the
    // colours colorsOf() gave until then (the default colours).
    ElementColors& colorsFor(std::int32_t category);
};

struct ThemeFonts {
    // The "Unknown" font: of every category without a font of its own.
    ElementFont defaultFont;
    std::map<std::int32_t, ElementFont> categoryFonts = defaultCategoryFonts();

    bool operator==(const ThemeFonts&) const = default;

    // The font of `category` after themeCategory(): its own entry, else defaultFont.
    const ElementFont& fontOf(std::int32_t category) const;
    // The entry of themeCategory(`category`) for changing; an absent entry is created as a copy
    // of defaultFont.
    ElementFont& fontFor(std::int32_t category);
};

// A default-constructed Theme holds the built-in defaults.
struct Theme {
    ThemeFonts fonts;
    ThemeColors colors;

    bool operator==(const Theme&) const = default;
};

}  // namespace qm::macro
