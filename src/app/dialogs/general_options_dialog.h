// CGeneralOptionsDialog: the General option dialog, "Project Option". Its controls show the
// options of GeneralOptions and hand every change to it at once (it applies them); "Default"
// sets the defaults, Cancel puts back and applies what the dialog opened with, and "Browse..."
// picks the editor program with a file dialog.
#pragma once

#include "session/general_options.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;

namespace qm::app {

class UserPrompts;

class CGeneralOptionsDialog : public QDialog {
    Q_OBJECT

public:
    // `values` are the program's settings and `host` applies their changes; `prompts` answers
    // the "Browse..." file dialog. All must outlive the dialog.
    CGeneralOptionsDialog(settings::SettingValues& values, session::GeneralOptionsHost& host, UserPrompts& prompts,
                          QWidget* parent = nullptr);

    QCheckBox* skipSameFile() const noexcept { return m_skipSameFile; }
    QCheckBox* autoResize() const noexcept { return m_autoResize; }
    QCheckBox* alwaysShowDetail() const noexcept { return m_alwaysShowDetail; }
    QCheckBox* fixedSize() const noexcept { return m_fixedSize; }
    QComboBox* sortList() const noexcept { return m_sortList; }
    QComboBox* fontNameList() const noexcept { return m_fontName; }
    QComboBox* fontSizeList() const noexcept { return m_fontSize; }
    QCheckBox* showEditButton() const noexcept { return m_showEditButton; }
    QLineEdit* editProgram() const noexcept { return m_editProgram; }
    QPushButton* browseButton() const noexcept { return m_browse; }
    QPushButton* defaultButton() const noexcept { return m_default; }

    void reject() override;

private:
    void buildControls();
    // Shows what the options hold, without handing anything back to them.
    void showOptions();
    void browse();

    session::GeneralOptions m_options;
    UserPrompts& m_prompts;
    bool m_showing = false;

    QCheckBox* m_skipSameFile = nullptr;
    QCheckBox* m_autoResize = nullptr;
    QCheckBox* m_alwaysShowDetail = nullptr;
    QCheckBox* m_fixedSize = nullptr;
    QComboBox* m_sortList = nullptr;
    QComboBox* m_fontName = nullptr;
    QComboBox* m_fontSize = nullptr;
    QCheckBox* m_showEditButton = nullptr;
    QLineEdit* m_editProgram = nullptr;
    QPushButton* m_browse = nullptr;
    QPushButton* m_default = nullptr;
};

}  // namespace qm::app
