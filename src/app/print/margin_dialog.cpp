#include "app/print/margin_dialog.h"

#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>

namespace qm::app {

namespace {

QDoubleSpinBox* marginField(const QString& name, double value, QWidget* parent)
{
    auto* field = new QDoubleSpinBox(parent);
    field->setObjectName(name);
    field->setAccessibleName(name);
    field->setRange(0, 9999);
    field->setDecimals(2);
    field->setSuffix(QStringLiteral(" mm"));
    field->setValue(detail::roundMargin(value));
    return field;
}

}  // namespace

MarginDialog::MarginDialog(const detail::PrintMargins& margins, QWidget* parent) : QDialog(parent), m_margins(margins)
{
    setObjectName(QStringLiteral("Margin"));
    setWindowTitle(QStringLiteral("Margin"));
    auto* form = new QFormLayout(this);
    m_top = marginField(QStringLiteral("Top"), margins.top, this);
    m_bottom = marginField(QStringLiteral("Bottom"), margins.bottom, this);
    m_left = marginField(QStringLiteral("Left"), margins.left, this);
    m_right = marginField(QStringLiteral("Right"), margins.right, this);
    form->addRow(QStringLiteral("Top"), m_top);
    form->addRow(QStringLiteral("Bottom"), m_bottom);
    form->addRow(QStringLiteral("Left"), m_left);
    form->addRow(QStringLiteral("Right"), m_right);
    for (QDoubleSpinBox* field : {m_top, m_bottom, m_left, m_right}) {
        connect(field, &QDoubleSpinBox::editingFinished, this, &MarginDialog::clampFields);
    }
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, [this] {
        clampFields();
        accept();
    });
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    form->addRow(buttons);
}

void MarginDialog::clampFields()
{
    m_margins.top = m_top->value();
    m_margins.bottom = m_bottom->value();
    m_margins.left = m_left->value();
    m_margins.right = m_right->value();
    detail::clampMargins(m_margins);
    m_top->setValue(m_margins.top);
    m_bottom->setValue(m_margins.bottom);
    m_left->setValue(m_margins.left);
    m_right->setValue(m_margins.right);
}

detail::PrintMargins MarginDialog::margins() const
{
    detail::PrintMargins result = m_margins;
    result.top = m_top->value();
    result.bottom = m_bottom->value();
    result.left = m_left->value();
    result.right = m_right->value();
    detail::clampMargins(result);
    return result;
}

}  // namespace qm::app
