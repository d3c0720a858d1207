#include "macro/theme_file.h"

#include "frontend/atomic_file.h"
#include "frontend/file_descriptor.h"
#include "model/error.h"

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::macro {

namespace {

// "r g b"
void appendColor(std::string& out, Rgb color)
{
    out += std::to_string(color.r);
    out += ' ';
    out += std::to_string(color.g);
    out += ' ';
    out += std::to_string(color.b);
}

void appendLine(std::string& out, std::string_view key, std::int32_t value)
{
    out += key;
    out += ' ';
    out += std::to_string(value);
    out += "\r\n";
}

void appendLine(std::string& out, std::string_view key, Rgb color)
{
    out += key;
    out += ' ';
    appendColor(out, color);
    out += "\r\n";
}

// "<key> r g b r g b r g b" with a blank before the line end unless `lastLine`.
void appendElementColors(std::string& out, std::string_view keyPrefix, const ElementColors& colors, bool lastLine)
{
    out += keyPrefix;
    out += "Color ";
    appendColor(out, colors.font);
    out += ' ';
    appendColor(out, colors.border);
    out += ' ';
    appendColor(out, colors.background);
    out += lastLine ? "\r\n" : " \r\n";
}

void appendElementFont(std::string& out, std::string_view keyPrefix, const ElementFont& font)
{
    out += keyPrefix;
    out += "Font\r\n";
    for (const char c : font.faceName) {
        out += (c == '\n') ? ' ' : c;
    }
    out += "\r\n";
    out += std::to_string(font.size);
    out += font.bold ? " 1\r\n" : " 0\r\n";
}

std::int32_t toInt(ColorTarget target) { return static_cast<std::int32_t>(target); }

bool isBlank(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Walks theme file text the way the file is read: whole lines for the fonts' key and face-name
// lines, blank-separated words for everything else. Running out of text throws.
class ThemeScanner {
public:
    explicit ThemeScanner(std::string_view text) : m_text(text) {}

    // The rest of the current line without its LF or CR LF; the line end is passed.
    std::string_view line()
    {
        if (m_pos >= m_text.size()) {
            fail();
        }
        const std::size_t end = m_text.find('\n', m_pos);
        const std::size_t stop = end == std::string_view::npos ? m_text.size() : end;
        std::string_view result = m_text.substr(m_pos, stop - m_pos);
        m_pos = end == std::string_view::npos ? m_text.size() : end + 1;
        if (!result.empty() && result.back() == '\r') {
            result.remove_suffix(1);
        }
        return result;
    }

    // The next run of non-blank characters; blanks and line ends before it are passed.
    std::string_view word()
    {
        while (m_pos < m_text.size() && isBlank(m_text[m_pos])) {
            ++m_pos;
        }
        if (m_pos >= m_text.size()) {
            fail();
        }
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !isBlank(m_text[m_pos])) {
            ++m_pos;
        }
        return m_text.substr(start, m_pos - start);
    }

    // The next word's leading integer ("12", "-3", "+7px" gives 7); nothing when the word does
    // not start with one or its value does not fit 32 bits.
    std::optional<std::int32_t> integer()
    {
        const std::string_view w = word();
        std::size_t i = 0;
        const bool negative = w[0] == '-';
        if (w[0] == '-' || w[0] == '+') {
            ++i;
        }
        if (i >= w.size() || w[i] < '0' || w[i] > '9') {
            return std::nullopt;
        }
        std::int64_t value = 0;
        for (; i < w.size() && w[i] >= '0' && w[i] <= '9'; ++i) {
            value = value * 10 + (w[i] - '0');
            if (value > std::int64_t{INT32_MAX} + 1) {
                return std::nullopt;
            }
        }
        value = negative ? -value : value;
        if (value > INT32_MAX) {
            return std::nullopt;
        }
        return static_cast<std::int32_t>(value);
    }

private:
    [[noreturn]] static void fail() { throw model::Error(std::string(kThemeLoadFailMessage)); }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

void readNumber(ThemeScanner& in, std::int32_t& field, std::int32_t low, std::int32_t high)
{
    const std::optional<std::int32_t> value = in.integer();
    if (value && *value >= low && *value <= high) {
        field = *value;
    }
}

void readTarget(ThemeScanner& in, ColorTarget& field)
{
    std::int32_t value = toInt(field);
    readNumber(in, value, 0, kMaxColorTarget);
    field = static_cast<ColorTarget>(value);
}

// Three integers; the colour is stored only once all three were there. A component that does
// not scan keeps its value.
void readColor(ThemeScanner& in, Rgb& field)
{
    const std::optional<std::int32_t> red = in.integer();
    const std::optional<std::int32_t> green = in.integer();
    const std::optional<std::int32_t> blue = in.integer();
    const auto lowByte = [](std::int32_t v) { return static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) & 0xFF); };
    if (red) field.r = lowByte(*red);
    if (green) field.g = lowByte(*green);
    if (blue) field.b = lowByte(*blue);
}

// "<key> r g b r g b r g b" into font, border and background colours.
void readElementColors(ThemeScanner& in, ElementColors& colors)
{
    in.word();
    readColor(in, colors.font);
    readColor(in, colors.border);
    readColor(in, colors.background);
}

// The rest of the previous line, the key line, the face-name line, then "size bold". The font
// is changed only when its "size bold" line was reached.
void readElementFont(ThemeScanner& in, ElementFont& font)
{
    in.line();
    in.line();
    const std::string_view face = in.line();
    const std::optional<std::int32_t> size = in.integer();
    const std::optional<std::int32_t> bold = in.integer();
    font.faceName.assign(face);
    if (size && *size >= kMinFontSize && *size <= kMaxFontSize) {
        font.size = *size;
    }
    if (bold) {
        font.bold = *bold == 1;
    }
}

// Reads up to kMaxThemeFileBytes of a regular file; nothing when it cannot be opened or is no
// regular file (a folder, a pipe or a device is no theme). Throws model::Error with
// kThemeLoadFailMessage when reading fails part way.
std::optional<std::string> readThemeBytes(const std::filesystem::path& path)
{
    const frontend::FileDescriptor file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat info {};
    if (!file.isOpen() || ::fstat(file.get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        return std::nullopt;
    }
    std::string bytes;
    char buffer[65536];
    while (bytes.size() < kMaxThemeFileBytes) {
        const std::size_t want = std::min(sizeof buffer, kMaxThemeFileBytes - bytes.size());
        const ssize_t n = ::read(file.get(), buffer, want);
        if (n < 0) {
            if (errno == EINTR) continue;
            throw model::Error(std::string(kThemeLoadFailMessage));
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

}  // namespace

std::string formatTheme(const Theme& theme)
{
    const ThemeColors& c = theme.colors;
    std::string out;
    out.reserve(1024);
    out += kThemeFileTitle;
    out += "\r\n";
    appendLine(out, "HighColorShading", c.shadingType);
    appendLine(out, "UnitSpace", c.unitSpace);
    appendLine(out, "BackGroundColor", c.background);
    appendLine(out, "ContentType", toInt(c.contentType));
    appendLine(out, "ContentColor", c.contentColor);
    appendLine(out, "PublicType", toInt(c.publicType));
    appendLine(out, "PubllcColor", c.publicColor);
    appendLine(out, "ProtectedType", toInt(c.protectedType));
    appendLine(out, "ProtectedColor", c.protectedColor);
    appendLine(out, "PrivateType", toInt(c.privateType));
    appendLine(out, "PrivateColor", c.privateColor);
    appendElementColors(out, "Default", c.defaultColors, false);
    for (std::size_t i = 0; i < kThemeElements.size(); ++i) {
        const ThemeElement& element = kThemeElements[i];
        appendElementColors(out, element.caption, c.colorsOf(element.category), i + 1 == kThemeElements.size());
    }
    appendElementFont(out, "Default", theme.fonts.defaultFont);
    for (const ThemeElement& element : kThemeElements) {
        appendElementFont(out, element.caption, theme.fonts.fontOf(element.category));
    }
    return out;
}

void parseTheme(std::string_view text, Theme& theme)
{
    ThemeColors& c = theme.colors;
    ThemeScanner in(text);
    in.line();
    in.word();
    readNumber(in, c.shadingType, 0, kMaxShadingType);
    in.word();
    readNumber(in, c.unitSpace, 0, kMaxUnitSpace);
    in.word();
    readColor(in, c.background);
    const std::pair<ColorTarget*, Rgb*> extras[] = {{&c.contentType, &c.contentColor},
                                                    {&c.publicType, &c.publicColor},
                                                    {&c.protectedType, &c.protectedColor},
                                                    {&c.privateType, &c.privateColor}};
    for (const auto& [type, color] : extras) {
        in.word();
        readTarget(in, *type);
        in.word();
        readColor(in, *color);
    }
    readElementColors(in, c.defaultColors);
    for (const ThemeElement& element : kThemeElements) {
        // Read into a copy so that an entry is only created once its line was there.
        ElementColors colors = c.colorsOf(element.category);
        readElementColors(in, colors);
        c.colorsFor(element.category) = colors;
    }
    readElementFont(in, theme.fonts.defaultFont);
    for (const ThemeElement& element : kThemeElements) {
        ElementFont font = theme.fonts.fontOf(element.category);
        readElementFont(in, font);
        theme.fonts.fontFor(element.category) = font;
    }
}

bool loadTheme(const std::filesystem::path& path, Theme& theme, project::MessageReporter& messages)
{
    try {
        const std::optional<std::string> bytes = readThemeBytes(path);
        if (!bytes) {
            return false;
        }
        parseTheme(*bytes, theme);
        return true;
    } catch (const model::Error& e) {
        messages.show(e.what());
        return false;
    }
}

void saveTheme(const std::filesystem::path& path, const Theme& theme)
{
    frontend::writeFileAtomically(path, formatTheme(theme));
}

}  // namespace qm::macro
