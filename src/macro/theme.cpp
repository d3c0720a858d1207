#include "macro/theme.h"

namespace qm::macro {

std::map<std::int32_t, ElementColors> defaultCategoryColors()
{
    return {
#define THEME_ELEMENT(Name, category, caption, bold, fr, fg, fb, br, bg, bb, gr, gg, gb) \
    {category, ElementColors{Rgb{fr, fg, fb}, Rgb{br, bg, bb}, Rgb{gr, gg, gb}}},
#include "macro/theme_elements.def"
    };
}

std::map<std::int32_t, ElementFont> defaultCategoryFonts()
{
    return {
#define THEME_ELEMENT(Name, category, caption, isBold, ...) {category, ElementFont{"Arial", 10, isBold}},
#include "macro/theme_elements.def"
    };
}

const ElementColors& ThemeColors::colorsOf(std::int32_t category) const
{
    const auto found = categoryColors.find(themeCategory(category));
    return found == categoryColors.end() ? defaultColors : found->second;
}

ElementColors& ThemeColors::colorsFor(std::int32_t category)
{
    return categoryColors.try_emplace(themeCategory(category), defaultColors).first->second;
}

const ElementFont& ThemeFonts::fontOf(std::int32_t category) const
{
    const auto found = categoryFonts.find(themeCategory(category));
    return found == categoryFonts.end() ? defaultFont : found->second;
}

ElementFont& ThemeFonts::fontFor(std::int32_t category)
{
    return categoryFonts.try_emplace(themeCategory(category), defaultFont).first->second;
}

}  // namespace qm::macro
