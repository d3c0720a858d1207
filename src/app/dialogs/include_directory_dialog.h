// CIncludeDirectoryDialog: "Include File Directory". The drop-down list picks one of the four
// include-directory lists, the list below shows it; "Append" adds a folder chosen in a folder
// browser, "Remove" the highlighted lines, "Default" starts again from the stored lists, "Reset
// Path" refills the compilers' lists, and OK stores everything (IncludeDirectoryEditor).
#pragma once

#include "session/include_directory_editor.h"

#include <QDialog>

class QComboBox;
class QListView;
class QPushButton;
class QStringListModel;

namespace qm::app {

class UserPrompts;

class CIncludeDirectoryDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr const char* kCannotGetFolder = "Cannot Get Folder";

    // `lists` and `selected` are the stored lists and the "Include Directory" setting, written
    // on OK; `prompts` answers the folder browser and shows messages. All must outlive the dialog.
    CIncludeDirectoryDialog(frontend::IncludeDirectoryLists& lists, std::int32_t& selected, UserPrompts& prompts,
                            QWidget* parent = nullptr,
                            session::IncludeDirectoryEditor::ProductSource products =
                                frontend::installedProductDirectories);

    QComboBox* listChoice() const noexcept { return m_choice; }
    QListView* directories() const noexcept { return m_list; }
    QStringList lines() const;
    QPushButton* appendButton() const noexcept { return m_append; }
    QPushButton* removeButton() const noexcept { return m_remove; }
    QPushButton* defaultButton() const noexcept { return m_default; }
    QPushButton* resetPathButton() const noexcept { return m_resetPath; }

    void accept() override;

private:
    void refill();
    void appendFolder();
    void removeHighlighted();

    session::IncludeDirectoryEditor m_editor;
    UserPrompts& m_prompts;
    QComboBox* m_choice = nullptr;
    QListView* m_list = nullptr;
    QStringListModel* m_lines = nullptr;
    QPushButton* m_append = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_default = nullptr;
    QPushButton* m_resetPath = nullptr;
    bool m_showing = false;
};

}  // namespace qm::app
