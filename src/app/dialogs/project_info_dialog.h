// CProjectInfoDialog: "Project Information". The project's files with their check boxes (which
// files runs analyse), "Show Full Path", "Select All", "Unselect All", "Add Files", "Add Folder"
// (a folder browser with "Recurse subdirectories"), "Remove" with its question, and files dropped
// on the dialog; the project is marked modified when the dialog ends changed (ProjectInfo).
#pragma once

#include "session/project_info.h"

#include <QDialog>

#include <functional>

class QCheckBox;
class QListView;
class QPushButton;

namespace qm::app {

class ProjectFileModel;
class UserPrompts;

class CProjectInfoDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCheckBoxError = "Error";

    // `appendFiles` runs the main window's append command ("Add Files"). `session` and
    // `prompts` must outlive the dialog.
    CProjectInfoDialog(session::Session& session, UserPrompts& prompts, std::function<void()> appendFiles,
                       QWidget* parent = nullptr);

    QListView* files() const noexcept { return m_list; }
    ProjectFileModel* model() const noexcept { return m_model; }
    QCheckBox* showFullPath() const noexcept { return m_fullPath; }
    QPushButton* selectAllButton() const noexcept { return m_selectAll; }
    QPushButton* unselectAllButton() const noexcept { return m_unselectAll; }
    QPushButton* addFilesButton() const noexcept { return m_addFiles; }
    QPushButton* addFolderButton() const noexcept { return m_addFolder; }
    QPushButton* removeButton() const noexcept { return m_remove; }
    // Whether the dialog changed the project (known once it has ended).
    bool changedProject() const noexcept { return m_info.changed(); }

    // Files dropped on the dialog, as a drop would give them.
    void dropPaths(const QStringList& paths);

    void done(int result) override;

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void addFiles();
    void addFolder();
    void removeHighlighted();

    session::Session& m_session;
    session::ProjectInfo m_info;
    UserPrompts& m_prompts;
    std::function<void()> m_appendFiles;
    ProjectFileModel* m_model = nullptr;
    QListView* m_list = nullptr;
    QCheckBox* m_fullPath = nullptr;
    QPushButton* m_selectAll = nullptr;
    QPushButton* m_unselectAll = nullptr;
    QPushButton* m_addFiles = nullptr;
    QPushButton* m_addFolder = nullptr;
    QPushButton* m_remove = nullptr;
};

}  // namespace qm::app
