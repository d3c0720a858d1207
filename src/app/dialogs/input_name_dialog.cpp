#include "app/dialogs/input_name_dialog.h"

#include "app/user_prompts.h"

#include <QDialogButtonBox>
#include <QLineEdit>
#include <QVBoxLayout>

namespace qm::app {

CDialogGetString::CDialogGetString(UserPrompts& prompts, QWidget* parent) : QDialog(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Input Name"));
    setAccessibleName(QStringLiteral("Input Name"));
    setWindowTitle(QStringLiteral("Input Name"));
    auto* column = new QVBoxLayout(this);
    m_edit = new QLineEdit(this);
    m_edit->setObjectName(QStringLiteral("Name"));
    m_edit->setAccessibleName(QStringLiteral("Name"));
    m_edit->setMinimumWidth(240);
    column->addWidget(m_edit);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CDialogGetString::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDialogGetString::reject);
    column->addWidget(buttons);
}

QString CDialogGetString::text() const
{
    return m_edit->text();
}

void CDialogGetString::accept()
{
    if (m_edit->text().isEmpty()) {
        m_prompts.message(QString::fromLatin1(kEmptyMessage));
        m_edit->setFocus();
        return;
    }
    QDialog::accept();
}

}  // namespace qm::app
