// The small value types every drawing shares: points, sizes, rectangles in device pixels and
// colours as red/green/blue bytes.
#pragma once

#include <cstdint>
#include <stdexcept>

namespace qm::draw {

// Failures of the drawing layer (an unknown picture format, an export that cannot start).
class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Point {
    int x = 0;
    int y = 0;

    friend bool operator==(const Point&, const Point&) = default;
};

struct Size {
    int width = 0;
    int height = 0;

    friend bool operator==(const Size&, const Size&) = default;
};

// A rectangle that covers the pixels left .. left + width - 1 and top .. top + height - 1;
// right() and bottom() are the first coordinates past it.
struct Rect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;

    constexpr int right() const { return left + width; }
    constexpr int bottom() const { return top + height; }
    constexpr bool isEmpty() const { return width <= 0 || height <= 0; }
    // The rectangle from (left, top) up to, not including, (right, bottom).
    static constexpr Rect fromEdges(int left, int top, int right, int bottom)
    {
        return Rect{left, top, right - left, bottom - top};
    }
    // The common part of both rectangles; empty (width or height 0) when they do not overlap.
    constexpr Rect intersected(const Rect& other) const
    {
        const int l = left > other.left ? left : other.left;
        const int t = top > other.top ? top : other.top;
        const int r = right() < other.right() ? right() : other.right();
        const int b = bottom() < other.bottom() ? bottom() : other.bottom();
        return Rect{l, t, r > l ? r - l : 0, b > t ? b - t : 0};
    }

    friend bool operator==(const Rect&, const Rect&) = default;
};

// A colour. value() is the packed form red + 256 * green + 65536 * blue that theme files and
// settings keep; fromValue() reads it back, ignoring the top byte.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    constexpr std::uint32_t value() const
    {
        return std::uint32_t{r} | (std::uint32_t{g} << 8) | (std::uint32_t{b} << 16);
    }
    static constexpr Rgb fromValue(std::uint32_t value)
    {
        return Rgb{static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>((value >> 8) & 0xFF),
                   static_cast<std::uint8_t>((value >> 16) & 0xFF)};
    }

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Builds a colour from three ints; each is cut to its low 8 bits.
constexpr Rgb rgb(int r, int g, int b)
{
    return Rgb{static_cast<std::uint8_t>(r & 0xFF), static_cast<std::uint8_t>(g & 0xFF),
               static_cast<std::uint8_t>(b & 0xFF)};
}

inline constexpr Rgb kBlack{0, 0, 0};
inline constexpr Rgb kWhite{255, 255, 255};

}  // namespace qm::draw
