#include "macro/named_colors.h"

#include <array>

namespace qm::macro {

namespace {

constexpr std::array kNamedColors = {
#define NAMED_COLOR(name, red, green, blue) NamedColor{name, Rgb{red, green, blue}},
#include "macro/named_colors.def"
};

static_assert(kNamedColors.size() == kNamedColorCount);
static_assert(kNamedColors.front().name == "black" && kNamedColors.back().name == "custom");
static_assert(kNamedColors.back().color == Rgb{0, 0, 0}, "the custom entry starts as black");

}  // namespace

std::span<const NamedColor, kNamedColorCount> namedColors()
{
    return kNamedColors;
}

std::optional<std::size_t> findNamedColor(Rgb color)
{
    for (std::size_t i = 0; i < kCustomColorIndex; ++i) {
        if (kNamedColors[i].color == color) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace qm::macro
