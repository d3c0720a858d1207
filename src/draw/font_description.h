// FontSpec: the description of a font that layout measures with and drawing draws with.
#pragma once

#include <string>
#include <utility>

namespace qm::draw {

// How FontSpec::size is meant.
enum class FontUnit {
    CellPixels,  // height of a text line in pixels, ascent + descent (the diagrams' "font of height h")
    CharPixels,  // height of the characters in pixels (the em size), without the line's leading
    Points,      // typographic points, 1/72 inch, at 96 pixels per inch (theme fonts, code font)
};

struct FontSpec {
    std::string face = "Arial";
    int size = 13;
    FontUnit unit = FontUnit::CellPixels;
    bool bold = false;
    bool italic = false;
    bool underline = false;

    // "Arial" of a line height of 18 pixels: FontSpec::cellPixels("Arial", 18).
    static FontSpec cellPixels(std::string face, int height, bool bold = false)
    {
        return FontSpec{std::move(face), height, FontUnit::CellPixels, bold, false, false};
    }
    static FontSpec charPixels(std::string face, int height, bool bold = false)
    {
        return FontSpec{std::move(face), height, FontUnit::CharPixels, bold, false, false};
    }
    // A theme font of 10 points: FontSpec::points("Arial", 10, true).
    static FontSpec points(std::string face, int points, bool bold = false)
    {
        return FontSpec{std::move(face), points, FontUnit::Points, bold, false, false};
    }

    // The size in pixels at 96 pixels per inch: a cell or character height as given, points
    // converted and rounded (10 points -> 13 pixels). Never below 1.
    int pixelSize() const
    {
        const int pixels = unit == FontUnit::Points ? (size * 96 + 36) / 72 : size;
        return pixels < 1 ? 1 : pixels;
    }

    friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

}  // namespace qm::draw
