// TextMetrics: how big a text is in a given font. Layout code measures through this interface so
// that it runs and is tested without a window system.
#pragma once

#include "draw/draw_types.h"
#include "draw/font_description.h"

#include <string_view>

namespace qm::draw {

// Line-level facts about a font, all in pixels.
struct FontInfo {
    int height = 0;            // ascent + descent: the height textSize() reports
    int ascent = 0;            // from the top of a line to its baseline
    int externalLeading = 0;   // extra space the font suggests between lines
    int averageCharWidth = 0;
    int maxCharWidth = 0;

    friend bool operator==(const FontInfo&, const FontInfo&) = default;
};

class TextMetrics {
public:
    virtual ~TextMetrics() = default;

    // Width and height of `text` (UTF-8) drawn on one line in `font`. The empty text has width 0
    // and the font's line height.
    virtual Size textSize(const FontSpec& font, std::string_view text) const = 0;
    virtual FontInfo fontInfo(const FontSpec& font) const = 0;
};

// Every byte is `charWidth` wide and every line `lineHeight` high, whatever the font: layout
// results become exact numbers in tests and in the command-line program.
class FixedTextMetrics final : public TextMetrics {
public:
    FixedTextMetrics(int charWidth, int lineHeight);

    Size textSize(const FontSpec& font, std::string_view text) const override;
    FontInfo fontInfo(const FontSpec& font) const override;

    int charWidth() const { return m_charWidth; }
    int lineHeight() const { return m_lineHeight; }

private:
    int m_charWidth;
    int m_lineHeight;
};

}  // namespace qm::draw
