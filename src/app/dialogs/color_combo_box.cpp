#include "app/dialogs/color_combo_box.h"

#include "app/user_prompts.h"
#include "macro/named_colors.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <QStylePainter>

namespace qm::app {

namespace {

constexpr int kColorRole = Qt::UserRole;
constexpr int kPopupWidth = 220;

QColor toQColor(macro::Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

macro::Rgb toRgb(const QColor& color)
{
    return macro::Rgb{static_cast<std::uint8_t>(color.red()), static_cast<std::uint8_t>(color.green()),
                      static_cast<std::uint8_t>(color.blue())};
}

}  // namespace

ColorComboBox::ColorComboBox(UserPrompts& prompts, QWidget* parent) : QComboBox(parent), m_prompts(prompts)
{
    for (const macro::NamedColor& entry : macro::namedColors()) {
        addItem(QString::fromLatin1(entry.name.data(), static_cast<qsizetype>(entry.name.size())),
                toQColor(entry.color));
    }
    setItemDelegate(new ColorItemDelegate(this));
    setMaxVisibleItems(16);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setMinimumContentsLength(12);
    view()->setMinimumWidth(kPopupWidth);
    setContextMenuPolicy(Qt::PreventContextMenu);
    connect(this, &QComboBox::activated, this, [this](int) { emit colorChosen(color()); });
}

macro::Rgb ColorComboBox::color() const
{
    if (currentIndex() < 0) {
        return macro::Rgb{};
    }
    return toRgb(currentData(kColorRole).value<QColor>());
}

macro::Rgb ColorComboBox::customColor() const
{
    return toRgb(itemData(static_cast<int>(macro::kCustomColorIndex), kColorRole).value<QColor>());
}

void ColorComboBox::setColor(macro::Rgb color)
{
    if (const std::optional<std::size_t> found = macro::findNamedColor(color)) {
        setCurrentIndex(static_cast<int>(*found));
        return;
    }
    const int custom = static_cast<int>(macro::kCustomColorIndex);
    setItemData(custom, toQColor(color), kColorRole);
    setCurrentIndex(custom);
    update();
}

void ColorComboBox::chooseCustomColor()
{
    const QColor chosen = m_prompts.color(toQColor(color()));
    if (!chosen.isValid()) {
        return;
    }
    const int custom = static_cast<int>(macro::kCustomColorIndex);
    setItemData(custom, chosen, kColorRole);
    setCurrentIndex(custom);
    update();
    setFocus(Qt::OtherFocusReason);
    emit colorChosen(toRgb(chosen));
}

void ColorComboBox::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        event->accept();
        chooseCustomColor();
        return;
    }
    QComboBox::mousePressEvent(event);
}

void ColorComboBox::paintEntry(QPainter& painter, const QRect& rect, const QColor& color, const QString& name,
                               bool enabled)
{
    const int quarter = rect.width() / 4;
    const QRect swatch(rect.left() + 1, rect.top() + 1, std::max(0, quarter - 2), std::max(0, rect.height() - 2));
    painter.save();
    painter.setPen(Qt::black);
    painter.setBrush(enabled ? color : QColor(Qt::gray));
    painter.drawRect(swatch.adjusted(0, 0, -1, -1));
    const QRect text(rect.left() + quarter + 2, rect.top() + 2, std::max(0, rect.width() - quarter - 2),
                     std::max(0, rect.height() - 2));
    painter.restore();
    painter.drawText(text, Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, name);
}

void ColorComboBox::paintEvent(QPaintEvent*)
{
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    option.currentIcon = QIcon();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    if (currentIndex() < 0) {
        return;
    }
    const QRect field = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::ButtonText));
    paintEntry(painter, field, currentData(kColorRole).value<QColor>(), currentText(), isEnabled());
}

void ColorItemDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    const bool selected = option.state & QStyle::State_Selected;
    const bool enabled = option.state & QStyle::State_Enabled;
    painter->save();
    if (selected) {
        painter->fillRect(option.rect, option.palette.brush(QPalette::Highlight));
        painter->setPen(option.palette.color(QPalette::HighlightedText));
    } else {
        painter->fillRect(option.rect, option.palette.brush(QPalette::Base));
        painter->setPen(option.palette.color(QPalette::Text));
    }
    ColorComboBox::paintEntry(*painter, option.rect, index.data(kColorRole).value<QColor>(),
                              index.data(Qt::DisplayRole).toString(), enabled);
    painter->restore();
}

QSize ColorItemDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const
{
    QSize size = QStyledItemDelegate::sizeHint(option, index);
    size.setHeight(std::max(size.height(), option.fontMetrics.height() + 4));
    return size;
}

}  // namespace qm::app
