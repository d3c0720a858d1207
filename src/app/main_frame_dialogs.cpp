// The main window's dialogs: the option dialogs of the Option menu, the Project Information
// dialog of the Info menu, and the About box. Each menu entry opens its dialog; what a dialog
// changed reaches the views, the code window and the title here.
#include "app/main_frame.h"

#include "app/code_window_dialog.h"
#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/dialogs/about_dialog.h"
#include "app/dialogs/general_options_dialog.h"
#include "app/dialogs/include_directory_dialog.h"
#include "app/dialogs/macro_setting_dialog.h"
#include "app/dialogs/predefined_word_dialog.h"
#include "app/dialogs/project_info_dialog.h"
#include "app/total_view.h"

#include <QAction>
#include <QCheckBox>

namespace qm::app {

namespace {

// Applies the General options' changes to the window as they are made.
class FrameOptionsHost final : public session::GeneralOptionsHost {
public:
    FrameOptionsHost(CMainFrame& frame, settings::SettingValues& values) : m_frame(frame), m_values(values) {}

    void macroViewSettingsChanged() override
    {
        macro::MacroViewSettings& view = m_frame.totalView()->model().settings();
        view.sortKey = macro::sortKeyFromSetting(m_values.macroViewSort);
        view.fixedSize = m_values.fixedSizeArrange;
        // The dialog bar's "Auto Resize" shows the same setting.
        if (m_frame.controlBar()->autoResize->isChecked() != m_values.autoResizeMacroView) {
            m_frame.controlBar()->autoResize->setChecked(m_values.autoResizeMacroView);
        }
        view.autoResize = m_values.autoResizeMacroView;
        m_frame.totalView()->model().setRelayoutPending();
        m_frame.totalView()->viewport()->repaint();
    }
    void detailViewSettingsChanged() override { m_frame.detailView()->viewport()->update(); }
    void codeWindowSettingsChanged() override { emit m_frame.codeWindowSettingsChanged(); }

private:
    CMainFrame& m_frame;
    settings::SettingValues& m_values;
};

}  // namespace

void CMainFrame::connectDialogCommands()
{
    connect(m_generalAction, &QAction::triggered, this, &CMainFrame::showGeneralOptions);
    connect(m_directoryAction, &QAction::triggered, this, &CMainFrame::showIncludeDirectories);
    connect(m_predefinedAction, &QAction::triggered, this, &CMainFrame::showPredefinedWords);
    connect(m_visualSettingAction, &QAction::triggered, this, &CMainFrame::showVisualSetting);
    connect(m_infoAction, &QAction::triggered, this, &CMainFrame::showProjectInfo);
    // The General options' code font and edit button reach the code window as they change.
    connect(this, &CMainFrame::codeWindowSettingsChanged, m_codeWindow, [this] { m_codeWindow->applySettings(); });
}

void CMainFrame::showGeneralOptions()
{
    FrameOptionsHost host(*this, m_settings.values);
    CGeneralOptionsDialog dialog(m_settings.values, host, m_prompts, this);
    dialog.exec();
}

void CMainFrame::showIncludeDirectories()
{
    CIncludeDirectoryDialog dialog(m_settings.includeLists, m_settings.values.includeDirectory, m_prompts, this);
    dialog.exec();
}

void CMainFrame::showPredefinedWords()
{
    CPredefinedWordDialog dialog(m_settings.predefinedWords, session().project().defines(), m_prompts, this);
    if (dialog.exec() == QDialog::Accepted && dialog.projectDefinesChanged()) {
        // The defines are kept in the project file.
        session().project().setModified(true);
        refreshTitle();
    }
}

void CMainFrame::showVisualSetting()
{
    CDialogMacroSetting dialog(m_totalView->model().theme(), m_settings.values, m_prompts,
                               ThemeDialogPaths::standard(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    m_totalView->model().takeTheme(dialog.working().fonts, dialog.working().colors);
    m_totalView->viewport()->update();
    m_detailView->viewport()->update();
}

void CMainFrame::showProjectInfo()
{
    CProjectInfoDialog dialog(session(), m_prompts, [this] { appendFiles(); }, this);
    dialog.exec();
    refreshTitle();
}

void CMainFrame::showAbout()
{
    auto* about = new CAboutDialog(this);
    about->setAttribute(Qt::WA_DeleteOnClose);
    about->open();
}

}  // namespace qm::app
