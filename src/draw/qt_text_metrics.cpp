// Fonts for QPainter and their measurements, from the installed fonts.
#include "draw/qt_text_metrics.h"

#include <QFontMetrics>
#include <QString>

#include <algorithm>
#include <map>
#include <mutex>
#include <tuple>

namespace qm::draw {

namespace {

QFont makeFont(const FontSpec& wanted, int pixelSize)
{
    QFont font(QString::fromStdString(wanted.face));
    font.setPixelSize(pixelSize);
    font.setBold(wanted.bold);
    font.setItalic(wanted.italic);
    font.setUnderline(wanted.underline);
    // Whole-pixel glyph positions keep measured widths and drawn widths the same on every device.
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// The character size whose line height is `cellHeight`, or the largest below it.
int charSizeForCell(const FontSpec& wanted, int cellHeight)
{
    const int probe = QFontMetrics(makeFont(wanted, cellHeight)).height();
    int size = probe > 0 ? (cellHeight * cellHeight + probe / 2) / probe : cellHeight;
    size = std::max(size, 1);
    // Rounding may land one off either way; settle on the largest size that fits.
    while (size > 1 && QFontMetrics(makeFont(wanted, size)).height() > cellHeight) {
        --size;
    }
    while (QFontMetrics(makeFont(wanted, size + 1)).height() <= cellHeight && size < cellHeight) {
        ++size;
    }
    return size;
}

using FontKey = std::tuple<std::string, int, bool, bool, bool>;

}  // namespace

QFont qtFont(const FontSpec& wanted)
{
    if (wanted.unit != FontUnit::CellPixels) {
        return makeFont(wanted, wanted.pixelSize());
    }
    // Finding the size for a cell height measures the font a few times: remember the answer.
    static std::mutex mutex;
    static std::map<FontKey, int> charSizes;
    const FontKey key{wanted.face, wanted.pixelSize(), wanted.bold, wanted.italic, wanted.underline};
    const std::lock_guard lock(mutex);
    auto found = charSizes.find(key);
    if (found == charSizes.end()) {
        found = charSizes.emplace(key, charSizeForCell(wanted, wanted.pixelSize())).first;
    }
    return makeFont(wanted, found->second);
}

Size QtTextMetrics::textSize(const FontSpec& font, std::string_view text) const
{
    const QFontMetrics metrics(qtFont(font));
    const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
    return Size{metrics.horizontalAdvance(qtext), metrics.height()};
}

FontInfo QtTextMetrics::fontInfo(const FontSpec& font) const
{
    const QFontMetrics metrics(qtFont(font));
    return FontInfo{metrics.height(), metrics.ascent(), std::max(0, metrics.leading()),
                    metrics.averageCharWidth(), metrics.maxWidth()};
}

}  // namespace qm::draw
