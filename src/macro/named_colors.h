// The named colours of the colour drop-down lists: 139 fixed colours and a last "custom" entry
// that starts as black and holds a colour the user picked.
#pragma once

#include "macro/theme.h"

#include <cstddef>
#include <optional>
#include <span>
#include <string_view>

namespace qm::macro {

struct NamedColor {
    std::string_view name;
    Rgb color;
};

inline constexpr std::size_t kNamedColorCount = 140;
inline constexpr std::size_t kCustomColorIndex = kNamedColorCount - 1;

// Every entry in list order, "black" first and "custom" last.
std::span<const NamedColor, kNamedColorCount> namedColors();

// The position of the first fixed entry (not "custom") whose colour is exactly `color`; nothing
// when none has it, and a list then shows the colour as its "custom" entry.
std::optional<std::size_t> findNamedColor(Rgb color);

}  // namespace qm::macro
