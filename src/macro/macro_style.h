// The theme's colours and fonts in the form the drawing layer takes them.
#pragma once

#include "draw/draw_types.h"
#include "draw/font_description.h"
#include "macro/theme.h"

namespace qm::macro {

constexpr draw::Rgb drawColor(Rgb color) noexcept
{
    return draw::Rgb{color.r, color.g, color.b};
}

// A theme font: `size` points, bold when asked, of the named face.
inline draw::FontSpec fontSpec(const ElementFont& font)
{
    return draw::FontSpec::points(font.faceName, font.size, font.bold);
}

}  // namespace qm::macro
