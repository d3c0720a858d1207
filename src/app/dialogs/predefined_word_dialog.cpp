#include "app/dialogs/predefined_word_dialog.h"

#include "app/dialogs/predefined_word_model.h"
#include "app/user_prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <vector>

namespace qm::app {

namespace {

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

CPredefinedWordDialog::CPredefinedWordDialog(frontend::PredefinedWordList& globalWords,
                                             frontend::PredefinedWordList& projectDefines, UserPrompts& prompts,
                                             QWidget* parent)
    : QDialog(parent), m_editor(globalWords, projectDefines), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Predefined Word"));
    setAccessibleName(QStringLiteral("Predefined Word"));
    setWindowTitle(QStringLiteral("Predefined Word"));
    auto* column = new QVBoxLayout(this);
    column->addWidget(makeGroup(session::WordGroup::Global, QStringLiteral("Global Defined")));
    column->addWidget(makeGroup(session::WordGroup::Project, QStringLiteral("This Project Defined")));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    m_default = buttons->addButton(QStringLiteral("Default"), QDialogButtonBox::ResetRole);
    column->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CPredefinedWordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CPredefinedWordDialog::reject);
    connect(m_default, &QPushButton::clicked, this, [this] {
        m_editor.restoreDefault();
        refill();
    });
}

QWidget* CPredefinedWordDialog::makeGroup(session::WordGroup which, const QString& title)
{
    Group& g = m_groups[static_cast<std::size_t>(which)];
    auto* box = new QGroupBox(title, this);
    box->setAccessibleName(title);
    auto* grid = new QGridLayout(box);

    g.model = new PredefinedWordModel(m_editor, which, this);
    g.list = new QTreeView(box);
    g.list->setAccessibleName(title);
    g.list->setRootIsDecorated(false);
    g.list->setUniformRowHeights(true);
    g.list->setSelectionBehavior(QAbstractItemView::SelectRows);
    g.list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    g.list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    g.list->setModel(g.model);
    g.list->header()->setStretchLastSection(false);
    g.list->setColumnWidth(0, kNameColumnWidth);
    g.list->setColumnWidth(1, kValueColumnWidth);
    g.list->setMinimumWidth(kNameColumnWidth + kValueColumnWidth + 24);
    g.list->setMinimumHeight(140);

    g.name = new QLineEdit(box);
    g.name->setAccessibleName(QStringLiteral("Defined Word"));
    g.value = new QLineEdit(QStringLiteral("0"), box);
    g.value->setAccessibleName(QStringLiteral("Value"));
    g.add = new QPushButton(QStringLiteral("Add"), box);
    g.remove = new QPushButton(QStringLiteral("Remove"), box);
    g.add->setAutoDefault(false);
    g.remove->setAutoDefault(false);

    auto* fields = new QHBoxLayout;
    auto* nameLabel = new QLabel(QStringLiteral("Defined Word"), box);
    nameLabel->setBuddy(g.name);
    auto* valueLabel = new QLabel(QStringLiteral("Value"), box);
    valueLabel->setBuddy(g.value);
    fields->addWidget(nameLabel);
    fields->addWidget(g.name, 3);
    fields->addWidget(valueLabel);
    fields->addWidget(g.value, 1);
    fields->addWidget(g.add);
    fields->addWidget(g.remove);
    grid->addWidget(g.list, 0, 0);
    grid->addLayout(fields, 1, 0);

    connect(g.add, &QPushButton::clicked, this, [this, which] { add(which); });
    connect(g.name, &QLineEdit::returnPressed, this, [this, which] { add(which); });
    connect(g.value, &QLineEdit::returnPressed, this, [this, which] { add(which); });
    connect(g.remove, &QPushButton::clicked, this, [this, which] { removeHighlighted(which); });
    connect(g.list, &QTreeView::doubleClicked, this,
            [this, which](const QModelIndex& index) { editRow(which, index.row()); });
    return box;
}

void CPredefinedWordDialog::refill()
{
    for (Group& g : m_groups) {
        g.model->refresh();
    }
}

void CPredefinedWordDialog::add(session::WordGroup which)
{
    Group& g = m_groups[static_cast<std::size_t>(which)];
    if (std::optional<std::string> refusal =
            m_editor.add(which, g.name->text().toStdString(), g.value->text().toStdString())) {
        m_prompts.message(fromUtf8(*refusal));
        return;
    }
    g.model->refresh();
    g.list->scrollToBottom();
    g.name->clear();
    g.value->setText(QStringLiteral("0"));
    g.name->setFocus();
}

void CPredefinedWordDialog::removeHighlighted(session::WordGroup which)
{
    Group& g = m_groups[static_cast<std::size_t>(which)];
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : g.list->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    if (rows.empty()) {
        return;
    }
    m_editor.remove(which, rows);
    g.model->refresh();
}

void CPredefinedWordDialog::editRow(session::WordGroup which, int row)
{
    const frontend::PredefinedWordList& rows = m_editor.rows(which);
    if (row < 0 || row >= static_cast<int>(rows.size())) {
        return;
    }
    const frontend::PredefinedWord& word = rows[static_cast<std::size_t>(row)];
    CSetPredefinedWordDialog edit(fromUtf8(word.name), QString::number(word.value), m_prompts, this);
    if (edit.exec() != QDialog::Accepted) {
        return;
    }
    m_editor.replace(which, static_cast<std::size_t>(row), edit.name()->text().toStdString(),
                     edit.value()->text().toStdString());
    m_groups[static_cast<std::size_t>(which)].model->refresh();
}

void CPredefinedWordDialog::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && qobject_cast<QLineEdit*>(focusWidget())) {
        event->accept();  // the field's returnPressed() has added the word
        return;
    }
    QDialog::keyPressEvent(event);
}

void CPredefinedWordDialog::accept()
{
    m_projectChanged = m_editor.accept();
    QDialog::accept();
}

// --- "Set Predefined Word" -----------------------------------------------------------------------

CSetPredefinedWordDialog::CSetPredefinedWordDialog(const QString& name, const QString& value, UserPrompts& prompts,
                                                   QWidget* parent)
    : QDialog(parent), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Set Predefined Word"));
    setAccessibleName(QStringLiteral("Set Predefined Word"));
    setWindowTitle(QStringLiteral("Set Predefined Word"));
    auto* form = new QFormLayout(this);
    m_name = new QLineEdit(name, this);
    m_name->setAccessibleName(QStringLiteral("Defined Word"));
    m_name->setMinimumWidth(220);
    m_value = new QLineEdit(value, this);
    m_value->setAccessibleName(QStringLiteral("Value"));
    form->addRow(QStringLiteral("Defined Word"), m_name);
    form->addRow(QStringLiteral("Value"), m_value);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &CSetPredefinedWordDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSetPredefinedWordDialog::reject);
}

void CSetPredefinedWordDialog::accept()
{
    const session::CheckedWord checked = session::checkWord(m_name->text().toStdString(), m_value->text().toStdString());
    if (!checked.word) {
        m_prompts.message(fromUtf8(checked.message));
        return;
    }
    QDialog::accept();
}

}  // namespace qm::app
