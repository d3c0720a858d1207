// QtTextMetrics implements TextMetrics with the installed fonts (QFontMetrics); qtFont() turns a
// FontSpec into the QFont that QtCanvas draws with, so measuring and drawing agree.
#pragma once

#include "draw/text_metrics.h"

#include <QFont>

namespace qm::draw {

// The QFont for `font`, sized in pixels. "Arial" and "Courier New" are asked for by name and
// resolved by fontconfig (to metric-compatible fonts where the named ones are not installed).
// A cell height is met by the largest character size whose line is not higher. Needs a
// QGuiApplication.
QFont qtFont(const FontSpec& font);

class QtTextMetrics final : public TextMetrics {
public:
    Size textSize(const FontSpec& font, std::string_view text) const override;
    FontInfo fontInfo(const FontSpec& font) const override;
};

}  // namespace qm::draw
