#include "app/dialogs/include_directory_dialog.h"

#include "app/user_prompts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QStringListModel>
#include <QVBoxLayout>

#include <vector>

namespace qm::app {

CIncludeDirectoryDialog::CIncludeDirectoryDialog(frontend::IncludeDirectoryLists& lists, std::int32_t& selected,
                                                 UserPrompts& prompts, QWidget* parent,
                                                 session::IncludeDirectoryEditor::ProductSource products)
    : QDialog(parent), m_editor(lists, selected, std::move(products)), m_prompts(prompts)
{
    setObjectName(QStringLiteral("Include File Directory"));
    setAccessibleName(QStringLiteral("Include File Directory"));
    setWindowTitle(QStringLiteral("Include File Directory"));
    resize(560, 300);

    auto* grid = new QGridLayout(this);
    auto* label = new QLabel(QStringLiteral("Include Directory"), this);
    m_choice = new QComboBox(this);
    m_choice->setAccessibleName(QStringLiteral("Include Directory"));
    for (std::string_view title : frontend::kIncludeListTitles) {
        m_choice->addItem(QString::fromLatin1(title.data(), static_cast<qsizetype>(title.size())));
    }
    label->setBuddy(m_choice);
    m_list = new QListView(this);
    m_list->setAccessibleName(QStringLiteral("Directories"));
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->setUniformItemSizes(true);
    m_lines = new QStringListModel(this);
    m_list->setModel(m_lines);

    m_append = new QPushButton(QStringLiteral("Append"), this);
    m_remove = new QPushButton(QStringLiteral("Remove"), this);
    m_resetPath = new QPushButton(QStringLiteral("Reset Path"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, Qt::Vertical, this);
    m_default = buttons->addButton(QStringLiteral("Default"), QDialogButtonBox::ResetRole);

    auto* side = new QVBoxLayout;
    side->addWidget(m_append);
    side->addWidget(m_remove);
    side->addWidget(m_resetPath);
    side->addStretch(1);
    side->addWidget(buttons);

    grid->addWidget(label, 0, 0);
    grid->addWidget(m_choice, 0, 1);
    grid->addWidget(m_list, 1, 0, 1, 2);
    grid->addLayout(side, 0, 2, 2, 1);
    grid->setColumnStretch(1, 1);
    grid->setRowStretch(1, 1);

    connect(m_choice, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (m_showing) return;
        m_editor.select(index);
        refill();
    });
    connect(m_append, &QPushButton::clicked, this, &CIncludeDirectoryDialog::appendFolder);
    connect(m_remove, &QPushButton::clicked, this, &CIncludeDirectoryDialog::removeHighlighted);
    connect(m_default, &QPushButton::clicked, this, [this] {
        m_editor.restoreDefault();
        refill();
    });
    connect(m_resetPath, &QPushButton::clicked, this, [this] {
        m_editor.resetPath();
        refill();
    });
    connect(buttons, &QDialogButtonBox::accepted, this, &CIncludeDirectoryDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CIncludeDirectoryDialog::reject);
    refill();
}

void CIncludeDirectoryDialog::refill()
{
    m_showing = true;
    m_choice->setCurrentIndex(m_editor.currentIndex());
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(m_editor.currentLines().size()));
    for (const std::string& line : m_editor.currentLines()) {
        lines << QString::fromUtf8(line.data(), static_cast<qsizetype>(line.size()));
    }
    m_lines->setStringList(lines);
    m_showing = false;
}

QStringList CIncludeDirectoryDialog::lines() const
{
    return m_lines->stringList();
}

void CIncludeDirectoryDialog::appendFolder()
{
    const std::vector<std::string>& shown = m_editor.currentLines();
    const QString start = shown.empty() ? QDir::homePath() : QString::fromUtf8(shown.back().c_str());
    const QString folder = m_prompts.folder(QStringLiteral("Select Directory"), start);
    if (folder.isEmpty()) {
        return;
    }
    if (!QFileInfo(folder).isDir()) {
        m_prompts.message(QString::fromLatin1(kCannotGetFolder));
        return;
    }
    m_editor.append(QDir::cleanPath(folder).toStdString());
    refill();
    m_list->scrollToBottom();
}

void CIncludeDirectoryDialog::removeHighlighted()
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    if (rows.empty()) {
        return;
    }
    m_editor.remove(rows);
    refill();
}

void CIncludeDirectoryDialog::accept()
{
    m_editor.accept();
    QDialog::accept();
}

}  // namespace qm::app
