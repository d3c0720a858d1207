// The "Margin" dialog: the four print margins in millimetres, each shown with two decimals and
// kept, when its field is left, between the printer's unprintable band on that side and what
// leaves 10 mm of page between the opposite margins.
#pragma once

#include "detail/print_pagination.h"

#include <QDialog>

class QDoubleSpinBox;

namespace qm::app {

class MarginDialog : public QDialog {
    Q_OBJECT

public:
    MarginDialog(const detail::PrintMargins& margins, QWidget* parent = nullptr);

    // The fields' values, clamped.
    detail::PrintMargins margins() const;

    QDoubleSpinBox* top() const noexcept { return m_top; }
    QDoubleSpinBox* bottom() const noexcept { return m_bottom; }
    QDoubleSpinBox* left() const noexcept { return m_left; }
    QDoubleSpinBox* right() const noexcept { return m_right; }

private:
    void clampFields();

    detail::PrintMargins m_margins;
    QDoubleSpinBox* m_top;
    QDoubleSpinBox* m_bottom;
    QDoubleSpinBox* m_left;
    QDoubleSpinBox* m_right;
};

}  // namespace qm::app
