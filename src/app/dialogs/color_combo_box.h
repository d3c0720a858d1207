// ColorComboBox: the drop-down list of every colour control of the theme dialog. It holds the
// 140 named colours in their fixed order, the last one, "custom", a colour the user picked; each
// entry shows a swatch in the left quarter and its name beside it. Showing a colour selects the
// first entry that has exactly that colour, else "custom" takes it. A right click opens the
// colour dialog; its choice becomes the "custom" entry. colorChosen() reports what the user
// picked, by either way.
#pragma once

#include "macro/theme.h"

#include <QComboBox>
#include <QStyledItemDelegate>

namespace qm::app {

class UserPrompts;

class ColorComboBox : public QComboBox {
    Q_OBJECT

public:
    // `prompts` runs the colour dialog; it must outlive the list.
    explicit ColorComboBox(UserPrompts& prompts, QWidget* parent = nullptr);

    // The colour of the selected entry; black when none is selected.
    macro::Rgb color() const;
    // Selects the first entry of exactly `color`, or gives "custom" that colour and selects it.
    // colorChosen() is not sent.
    void setColor(macro::Rgb color);
    // The colour the "custom" entry holds.
    macro::Rgb customColor() const;

    // What a right click does: the colour dialog at the current colour; on OK the colour goes to
    // "custom", is selected and reported, and the list takes the focus.
    void chooseCustomColor();

    // Draws one entry — swatch and name — into `rect`.
    static void paintEntry(QPainter& painter, const QRect& rect, const QColor& color, const QString& name,
                           bool enabled);

signals:
    void colorChosen(macro::Rgb color);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    UserPrompts& m_prompts;
};

// Paints the entries of a ColorComboBox's open list, the highlighted one in the system's
// highlight colours.
class ColorItemDelegate : public QStyledItemDelegate {
    Q_OBJECT

public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
};

}  // namespace qm::app
