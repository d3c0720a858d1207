#include "app/dialogs/project_info_dialog.h"

#include "app/dialogs/project_file_model.h"
#include "app/local_paths.h"
#include "app/user_prompts.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGridLayout>
#include <QListView>
#include <QMimeData>
#include <QPushButton>

#include <vector>

namespace qm::app {

CProjectInfoDialog::CProjectInfoDialog(session::Session& session, UserPrompts& prompts,
                                       std::function<void()> appendFiles, QWidget* parent)
    : QDialog(parent), m_session(session), m_info(session), m_prompts(prompts), m_appendFiles(std::move(appendFiles))
{
    setObjectName(QStringLiteral("Project Information"));
    setAccessibleName(QStringLiteral("Project Information"));
    setWindowTitle(QStringLiteral("Project Information"));
    setAcceptDrops(true);
    resize(620, 400);

    m_fullPath = new QCheckBox(QStringLiteral("Show Full Path"), this);
    m_selectAll = new QPushButton(QStringLiteral("Select All"), this);
    m_unselectAll = new QPushButton(QStringLiteral("Unselect All"), this);
    m_addFiles = new QPushButton(QStringLiteral("Add Files"), this);
    m_addFolder = new QPushButton(QStringLiteral("Add Folder"), this);
    m_remove = new QPushButton(QStringLiteral("Remove"), this);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok, this);

    m_model = new ProjectFileModel(m_info, this);
    m_list = new QListView(this);
    m_list->setAccessibleName(QStringLiteral("Files"));
    m_list->setModel(m_model);
    m_list->setUniformItemSizes(true);
    m_list->setSelectionMode(QAbstractItemView::ExtendedSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);

    auto* grid = new QGridLayout(this);
    grid->addWidget(m_fullPath, 0, 0);
    grid->addWidget(m_selectAll, 0, 1);
    grid->addWidget(m_unselectAll, 0, 2);
    grid->addWidget(m_addFiles, 0, 3);
    grid->addWidget(m_addFolder, 0, 4);
    grid->addWidget(m_remove, 0, 5);
    grid->addWidget(buttons, 0, 6);
    grid->addWidget(m_list, 1, 0, 1, 7);
    grid->setColumnStretch(0, 1);
    grid->setRowStretch(1, 1);
    for (QPushButton* button : {m_selectAll, m_unselectAll, m_addFiles, m_addFolder, m_remove}) {
        button->setAutoDefault(false);
    }

    connect(m_fullPath, &QCheckBox::toggled, m_model, &ProjectFileModel::setFullPath);
    connect(m_selectAll, &QPushButton::clicked, this, [this] {
        m_info.setAllChecked(true);
        m_model->refresh();
    });
    connect(m_unselectAll, &QPushButton::clicked, this, [this] {
        m_info.setAllChecked(false);
        m_model->refresh();
    });
    connect(m_addFiles, &QPushButton::clicked, this, &CProjectInfoDialog::addFiles);
    connect(m_addFolder, &QPushButton::clicked, this, &CProjectInfoDialog::addFolder);
    connect(m_remove, &QPushButton::clicked, this, &CProjectInfoDialog::removeHighlighted);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
}

void CProjectInfoDialog::addFiles()
{
    const std::size_t before = m_info.rowCount();
    const bool wasModified = m_session.isModified();
    if (m_appendFiles) {
        m_appendFiles();
    }
    // The append command marks the project modified when the user chose files.
    if (m_info.rowCount() != before || m_session.isModified() != wasModified) {
        m_info.filesAdded();
    }
    m_model->refresh();
}

void CProjectInfoDialog::addFolder()
{
    const QString start = QString::fromUtf8(m_session.settings().values.lastPath.c_str());
    const FolderChoice choice = m_prompts.folderWithRecurse(QStringLiteral(" "), start.isEmpty() ? QDir::homePath() : start);
    if (choice.checkBoxMissing) {
        m_prompts.message(QString::fromLatin1(kCheckBoxError));
    }
    if (choice.folder.isEmpty()) {
        return;
    }
    m_info.addFolder(QFile::encodeName(choice.folder).toStdString(), choice.recurse);
    m_model->refresh();
}

void CProjectInfoDialog::removeHighlighted()
{
    std::vector<std::size_t> rows;
    for (const QModelIndex& index : m_list->selectionModel()->selectedRows()) {
        rows.push_back(static_cast<std::size_t>(index.row()));
    }
    if (rows.empty()) {
        return;
    }
    if (m_session.isRunActive()) {
        m_prompts.message(QString::fromLatin1(session::kRemoveDuringRunMessage.data(),
                                              static_cast<qsizetype>(session::kRemoveDuringRunMessage.size())));
        return;
    }
    if (!m_prompts.askYesNo(QString::fromStdString(session::ProjectInfo::removeQuestion(rows.size())))) {
        return;
    }
    if (m_info.remove(rows) == session::ProjectInfo::RemoveResult::RunActive) {
        m_prompts.message(QString::fromLatin1(session::kRemoveDuringRunMessage.data(),
                                              static_cast<qsizetype>(session::kRemoveDuringRunMessage.size())));
    }
    m_model->refresh();
}

void CProjectInfoDialog::dropPaths(const QStringList& paths)
{
    if (paths.isEmpty()) {
        return;
    }
    m_info.drop(toLocalPaths(paths));
    m_model->refresh();
}

void CProjectInfoDialog::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CProjectInfoDialog::dropEvent(QDropEvent* event)
{
    dropPaths(droppedLocalFiles(*event->mimeData()));
    event->acceptProposedAction();
}

void CProjectInfoDialog::done(int result)
{
    m_info.finish();
    QDialog::done(result);
}

}  // namespace qm::app
