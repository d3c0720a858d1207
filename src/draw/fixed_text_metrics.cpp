// Text extents that do not depend on fonts: a fixed width per byte and a fixed line height.
#include "draw/text_metrics.h"

namespace qm::draw {

FixedTextMetrics::FixedTextMetrics(int charWidth, int lineHeight)
    : m_charWidth(charWidth), m_lineHeight(lineHeight)
{
}

Size FixedTextMetrics::textSize(const FontSpec&, std::string_view text) const
{
    return Size{static_cast<int>(text.size()) * m_charWidth, m_lineHeight};
}

FontInfo FixedTextMetrics::fontInfo(const FontSpec&) const
{
    // The baseline sits at four fifths of the line, a typical ratio for the diagram fonts.
    return FontInfo{m_lineHeight, m_lineHeight * 4 / 5, 0, m_charWidth, m_charWidth};
}

}  // namespace qm::draw
