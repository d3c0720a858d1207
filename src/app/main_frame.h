// CMainFrame: the main window. It holds the macro view and the detail view side by side above
// the log pane (two PaneSplitters), the standard tool bar, the dialog bar ("Control Bar") and
// the status bar with the progress bar; it routes every menu, key and bar command, keeps the
// commands' enabled states in step with the analysis run, and saves the window layout, the
// recent files and the theme when it closes.
#pragma once

#include "app/help_window.h"
#include "app/quillmarsh_document.h"
#include "app/user_prompts.h"
#include "settings/app_settings.h"
#include "settings/recent_files.h"
#include "settings/settings_store.h"
#include "settings/window_placement.h"

#include <QMainWindow>
#include <QPointer>

#include <optional>
#include <string>
#include <vector>

class QAction;
class QLabel;
class QMenu;
class QProgressBar;
class QPushButton;
class QToolBar;

namespace qm::app {

class CDetailView;
class CodeWindowDialog;
class DiagramPrinter;
class PrintableView;
class CInfoView;
class CTotalView;
class ControlBar;
class PaneSplitter;

// What the command line asks for at start.
struct StartOptions {
    std::string project;  // a project file, source, folder or Visual C++ file; empty for none
    bool draw = false;    // start a run once the project is open
};

class CMainFrame : public QMainWindow {
    Q_OBJECT

public:
    // `settings`, `profile` (where placements and recent files are kept) and `prompts` must
    // outlive the frame.
    CMainFrame(settings::AppSettings& settings, settings::SettingsStore& profile, UserPrompts& prompts,
               QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Start-up: the window placement restored (or the window shown normally), the project of the
    // command line opened, a run started when asked for, and the tutorial shown when the "Show
    // Tutorial" setting is on.
    void start(const StartOptions& options);

    CQuillmarshDoc& document() noexcept { return *m_doc; }
    session::Session& session() noexcept { return m_doc->session(); }
    const session::Session& session() const noexcept { return m_doc->session(); }
    CTotalView* totalView() const noexcept { return m_totalView; }
    CDetailView* detailView() const noexcept { return m_detailView; }
    CInfoView* infoView() const noexcept { return m_infoView; }
    PaneSplitter* outerSplitter() const noexcept { return m_outer; }
    PaneSplitter* innerSplitter() const noexcept { return m_inner; }
    ControlBar* controlBar() const noexcept { return m_controlBar; }
    QToolBar* controlBarToolBar() const noexcept { return m_controlToolBar; }
    QProgressBar* progressBar() const noexcept { return m_progress; }
    QLabel* statusLabel() const noexcept { return m_status; }
    const settings::RecentFiles& recentFiles() const noexcept { return m_recent; }
    CodeWindowDialog* codeWindow() const noexcept { return m_codeWindow; }
    HelpWindow* helpWindow() const noexcept { return m_help; }
    HelpWindow* tutorialWindow() const noexcept { return m_tutorial; }

    // --- commands ---------------------------------------------------------------------------
    void draw();
    void clearAllAndRedraw();
    void stop();
    void foldAll();
    void unfoldAll();
    void sortOnce();
    void setAutoSort(bool on);
    void setAutoResize(bool on);
    void setScale(int scale);
    // Shows or hides the code window; "Show Code" and the "Code" check follow.
    void showCodeWindow(bool shown);

    void newProject();
    void openProject();
    // Opens `path` as a project file (after the save question when the project changed is the
    // caller's business); false when it could not be opened.
    bool openProjectFile(const QString& path);
    // The same with the open's messages going to `messages`.
    bool openProjectFile(const QString& path, project::MessageReporter& messages);
    bool saveProject();
    bool saveProjectAs();
    project::OverwriteChangedQuestion overwriteChangedQuestion();
    void appendFiles();
    void openFromWorkspace();
    // Files dropped on the window.
    void dropPaths(const QStringList& paths);

    // Printing and picture export of the diagram view that was clicked or focused last (the
    // macro view when neither was).
    void printDiagram();
    void printPreview();
    void printSetup();
    void exportPicture();
    PrintableView& activeDiagram();
    DiagramPrinter& diagramPrinter() noexcept { return *m_printer; }

    void showHelp();
    void showTutorial();
    void showAbout();

    // --- the dialogs (main_frame_dialogs.cpp) -------------------------------------------------
    // "Project Option": its changes apply at once; Cancel puts them back.
    void showGeneralOptions();
    // "Include File Directory" and "Predefined Word": stored on OK.
    void showIncludeDirectories();
    void showPredefinedWords();
    // The theme dialog; on OK the macro view takes its theme and both diagrams are drawn again.
    void showVisualSetting();
    // "Project Information"; the project is marked modified when the dialog changed it.
    void showProjectInfo();

    // Greys and enables the commands for the run's state.
    void updateCommandStates();
    void refreshTitle();

signals:
    // The code font or the edit button's setting changed (General options): the code window
    // follows them.
    void codeWindowSettingsChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void createPanes();
    void createCodeWindow();
    void createActions();
    void createMenus();
    void createToolBars();
    void createStatusBar();
    void connectControlBar();
    void connectDialogCommands();
    void applyMacroViewSettings();
    void layoutStatusBar();
    void rebuildRecentMenu();
    void restorePlacements();
    void savePlacements();
    void openFromCommandLine(const std::string& path);
    void focusNextPane(int step);
    void storeLayoutInSettings();
    // Asks whether to save a changed project first; false when the user cancelled.
    bool confirmDiscardChanges();
    QString displayName() const;
    QString lastFolder() const;
    QAction* makeAction(const QString& text, const QString& shortcut, void (CMainFrame::*slot)());

    settings::AppSettings& m_settings;
    settings::SettingsStore& m_profile;
    UserPrompts& m_prompts;
    PromptReporter m_reporter;
    CQuillmarshDoc* m_doc;

    PaneSplitter* m_outer = nullptr;
    PaneSplitter* m_inner = nullptr;
    CTotalView* m_totalView = nullptr;
    CDetailView* m_detailView = nullptr;
    CInfoView* m_infoView = nullptr;
    ControlBar* m_controlBar = nullptr;
    QToolBar* m_standardToolBar = nullptr;
    QToolBar* m_controlToolBar = nullptr;
    QProgressBar* m_progress = nullptr;
    QLabel* m_status = nullptr;
    QPushButton* m_upButton = nullptr;
    QPushButton* m_downButton = nullptr;
    CodeWindowDialog* m_codeWindow = nullptr;
    DiagramPrinter* m_printer = nullptr;
    QPointer<QWidget> m_lastDiagram;  // the diagram view that was clicked or focused last
    QPointer<HelpWindow> m_help;
    QPointer<HelpWindow> m_tutorial;

    QMenu* m_fileMenu = nullptr;
    QMenu* m_runMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_optionMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QMenu* m_recentMenuAnchor = nullptr;
    std::vector<QAction*> m_recentActions;
    QAction* m_recentSeparator = nullptr;

    QAction* m_newAction = nullptr;
    QAction* m_openAction = nullptr;
    QAction* m_openWorkspaceAction = nullptr;
    QAction* m_appendAction = nullptr;
    QAction* m_saveAction = nullptr;
    QAction* m_saveAsAction = nullptr;
    QAction* m_printAction = nullptr;
    QAction* m_printPreviewAction = nullptr;
    QAction* m_printSetupAction = nullptr;
    QAction* m_exportAction = nullptr;
    QAction* m_exitAction = nullptr;
    QAction* m_cutAction = nullptr;
    QAction* m_copyAction = nullptr;
    QAction* m_pasteAction = nullptr;
    QAction* m_drawAction = nullptr;
    QAction* m_clearAllAction = nullptr;
    QAction* m_stopAction = nullptr;
    QAction* m_controlBarAction = nullptr;
    QAction* m_statusBarAction = nullptr;
    QAction* m_codeAction = nullptr;
    std::vector<QAction*> m_paneActions;
    QAction* m_generalAction = nullptr;
    QAction* m_directoryAction = nullptr;
    QAction* m_predefinedAction = nullptr;
    QAction* m_visualSettingAction = nullptr;
    QAction* m_infoAction = nullptr;
    QAction* m_helpAction = nullptr;
    QAction* m_tutorialAction = nullptr;
    QAction* m_aboutAction = nullptr;

    settings::RecentFiles m_recent;
    bool m_closing = false;
};

}  // namespace qm::app
