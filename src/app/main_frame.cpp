#include "app/main_frame.h"

#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/help_window.h"
#include "app/info_view.h"
#include "app/pane_splitter.h"
#include "app/total_view.h"
#include "macro/theme_folder.h"
#include "project/file_kind.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <system_error>

namespace qm::app {

namespace fs = std::filesystem;

namespace {

const QString kProjectFilter = QStringLiteral("Quill Marsh Project files(*.qmp) (*.qmp)");
const QString kWorkspaceFilter =
    QStringLiteral("Visual C++ Workspace Files (*.dsp;*.dsw;*.vcproj) (*.dsp *.dsw *.vcproj)");
const QString kAppendFilter = QStringLiteral(
    "All Support Type(*.vcproj;*.dsp;*.dsw;*.cpp;*.c;*.cc) (*.cpp *.c *.cc *.dsp *.dsw *.vcproj);;"
    "Visual C++ Workspace Files (*.dsp;*.dsw;*.vcproj) (*.dsp *.dsw *.vcproj);;"
    "CPP C CC Files (*.cpp;*.c;*.cc) (*.cpp *.c *.cc);;"
    "All Files (*.*) (*)");

// Show commands of a window placement.
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMinimized = 2;
constexpr std::uint32_t kShowMaximized = 3;

// The status bar's layout: U and D buttons in a first pane of 36 pixels, the message pane a
// seventh of the width, then the progress bar.
constexpr int kPaneButtonWidth = 19;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

std::vector<std::string> toPaths(const QStringList& list)
{
    std::vector<std::string> paths;
    paths.reserve(static_cast<std::size_t>(list.size()));
    for (const QString& path : list) {
        paths.push_back(QFile::encodeName(path).toStdString());
    }
    return paths;
}

// The part of a menu text before the tab, and the shortcut after it: "&Draw\tF5".
QString menuText(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

// Failures of an open go to a message box, everything else to the log.
class StartupReporter final : public project::MessageReporter {
public:
    StartupReporter(project::MessageReporter& box, frontend::LogSink& log) : m_box(box), m_log(log) {}
    void show(std::string_view message) override
    {
        if (message == project::kProjectOpenError || message == project::kProjectOpenedButBroken) {
            m_box.show(message);
        } else {
            m_log.writeLine(message);
        }
    }

private:
    project::MessageReporter& m_box;
    frontend::LogSink& m_log;
};

}  // namespace

CMainFrame::CMainFrame(settings::AppSettings& settings, settings::SettingsStore& profile, UserPrompts& prompts,
                       QWidget* parent)
    : QMainWindow(parent), m_settings(settings), m_profile(profile), m_prompts(prompts), m_reporter(prompts)
{
    setObjectName(QStringLiteral("Quillmarsh"));
    setAccessibleName(QStringLiteral("Quillmarsh"));
    setAcceptDrops(true);
    m_doc = new CQuillmarshDoc(settings, m_reporter, this);

    createPanes();
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    connectControlBar();
    applyMacroViewSettings();

    connect(m_doc, &CQuillmarshDoc::logText, m_infoView, &CInfoView::appendLog);
    connect(m_doc, &CQuillmarshDoc::logCleared, m_infoView, &CInfoView::clearLog);
    connect(m_doc, &CQuillmarshDoc::progressChanged, m_progress, &QProgressBar::setValue);
    connect(m_doc, &CQuillmarshDoc::runStateChanged, this, &CMainFrame::updateCommandStates);
    connect(m_doc, &CQuillmarshDoc::logText, this, &CMainFrame::refreshTitle);

    m_recent.load(m_profile);
    rebuildRecentMenu();
    updateCommandStates();
    refreshTitle();
}

CMainFrame::~CMainFrame()
{
    if (!m_closing) {
        session().stopAndWait();
    }
    if (m_help) delete m_help;
    if (m_tutorial) delete m_tutorial;
    // The views watch the document's session: they go before it does.
    delete m_outer;
    m_outer = nullptr;
}

// --- construction ------------------------------------------------------------------------------

void CMainFrame::createPanes()
{
    session::Session& s = session();
    m_outer = new PaneSplitter(Qt::Vertical, this);
    m_outer->setObjectName(QStringLiteral("Outer Splitter"));
    m_inner = new PaneSplitter(Qt::Horizontal, m_outer);
    m_inner->setObjectName(QStringLiteral("Inner Splitter"));
    m_totalView = new CTotalView(s, m_inner);
    m_detailView = new CDetailView(
        s, [this]() -> const macro::Theme& { return m_totalView->model().theme(); }, m_inner);
    m_infoView = new CInfoView(m_outer);
    m_infoView->setRunActiveQuery([this] { return session().isRunActive(); });
    m_inner->addWidget(m_totalView);
    m_inner->addWidget(m_detailView);
    m_outer->addWidget(m_inner);
    m_outer->addWidget(m_infoView);
    m_outer->setModeAndSize(m_settings.values.macroInfoMode, m_settings.values.macroInfoSize);
    m_inner->setModeAndSize(m_settings.values.macroDetailMode, m_settings.values.macroDetailSize);
    setCentralWidget(m_outer);

    connect(m_totalView, &CTotalView::detailRedrawRequested, this, [this] { m_detailView->viewport()->repaint(); });
    connect(m_totalView, &CTotalView::detailHoverCleared, this, [this] { m_detailView->model().clearHover(); });
}

QAction* CMainFrame::makeAction(const QString& text, const QString& shortcut, void (CMainFrame::*slot)())
{
    auto* action = new QAction(text, this);
    if (!shortcut.isEmpty()) {
        action->setShortcut(QKeySequence(shortcut));
    }
    if (slot) {
        connect(action, &QAction::triggered, this, slot);
    }
    return action;
}

void CMainFrame::createActions()
{
    m_newAction = makeAction(menuText("&New Project\tCtrl+N"), "Ctrl+N", &CMainFrame::newProject);
    m_openAction = makeAction(menuText("&Open Quillmarsh Project...\tCtrl+O"), "Ctrl+O", &CMainFrame::openProject);
    m_openWorkspaceAction = makeAction(menuText("Open From &Dsw Dsp vcproj File...\tCtrl+D"), "Ctrl+D",
                                       &CMainFrame::openFromWorkspace);
    m_appendAction = makeAction(menuText("Append Cpp C Dsw Dsp vcproj Fil&es...\tCtrl+E"), "Ctrl+E",
                                &CMainFrame::appendFiles);
    m_saveAction = makeAction(menuText("&Save Project\tCtrl+S"), "Ctrl+S", nullptr);
    connect(m_saveAction, &QAction::triggered, this, [this] { saveProject(); });
    m_saveAsAction = makeAction(menuText("Save Project &As...\tCtrl+A"), "Ctrl+A", nullptr);
    connect(m_saveAsAction, &QAction::triggered, this, [this] { saveProjectAs(); });
    // Printing comes with its own dialogs; until then the entries are there but greyed.
    m_printAction = makeAction(QStringLiteral("&Print..."), "Ctrl+P", nullptr);
    m_printPreviewAction = makeAction(QStringLiteral("Print Pre&view"), QString(), nullptr);
    m_printSetupAction = makeAction(QStringLiteral("P&rint Setup..."), QString(), nullptr);
    m_exitAction = makeAction(QStringLiteral("E&xit"), QString(), nullptr);
    connect(m_exitAction, &QAction::triggered, this, &QWidget::close);

    // The edit commands act on the focused text (the log pane can be copied from).
    m_cutAction = makeAction(QStringLiteral("Cu&t"), QString(), nullptr);
    m_copyAction = makeAction(QStringLiteral("&Copy"), QString(), nullptr);
    m_pasteAction = makeAction(QStringLiteral("&Paste"), QString(), nullptr);
    connect(m_copyAction, &QAction::triggered, this, [this] { m_infoView->copy(); });

    m_drawAction = makeAction(menuText("&Draw\tF5"), "F5", &CMainFrame::draw);
    m_clearAllAction = makeAction(menuText("Clear All and &Redraw\tCtrl+F5"), "Ctrl+F5", &CMainFrame::clearAllAndRedraw);
    m_stopAction = makeAction(menuText("&Stop\tF8"), "F8", &CMainFrame::stop);

    m_controlBarAction = makeAction(menuText("&Control Bar\tF10"), "F10", nullptr);
    m_controlBarAction->setCheckable(true);
    m_controlBarAction->setChecked(true);
    m_statusBarAction = makeAction(menuText("&Status Bar\tF11"), "F11", nullptr);
    m_statusBarAction->setCheckable(true);
    m_statusBarAction->setChecked(true);
    m_codeAction = makeAction(menuText("&Code\tF9"), "F9", nullptr);
    m_codeAction->setCheckable(true);

    struct Pane {
        const char* text;
        const char* shortcut;
        std::function<void()> run;
    };
    const Pane panes[] = {
        {"Log Pane &Larger", "Ctrl+Up", [this] { m_outer->growSecond(); }},
        {"Log Pane &Smaller", "Ctrl+Down", [this] { m_outer->shrinkSecond(); }},
        {"Flow View &Wider", "Ctrl+Left", [this] { m_inner->growSecond(); }},
        {"Flow View &Narrower", "Ctrl+Right", [this] { m_inner->shrinkSecond(); }},
        {"Flow View &Two Thirds", "Ctrl+7", [this] { m_inner->setSecondFraction(2, 3); }},
        {"Flow View &Half", "Ctrl+8", [this] { m_inner->setSecondFraction(1, 2); }},
        {"Flow View &One Third", "Ctrl+9", [this] { m_inner->setSecondFraction(1, 3); }},
        {"&Fit Flow View", "Ctrl+5",
         [this] {
             // The picture's width, and the frame and scroll bar around it so that it fits whole.
             const int picture = m_detailView->model().preferredWidth();
             const int frame = picture > 0 ? 2 * m_detailView->frameWidth() +
                                                 m_detailView->verticalScrollBar()->sizeHint().width()
                                           : 0;
             m_inner->fitSecond(picture + frame);
         }},
        {"Next Pane", "F6", [this] { focusNextPane(1); }},
        {"Previous Pane", "Shift+F6", [this] { focusNextPane(-1); }},
    };
    for (const Pane& pane : panes) {
        QAction* action = makeAction(QString::fromLatin1(pane.text), QString::fromLatin1(pane.shortcut), nullptr);
        connect(action, &QAction::triggered, this, pane.run);
        m_paneActions.push_back(action);
    }

    // Their dialogs come with the option dialogs; until then the entries are there but greyed.
    m_generalAction = makeAction(QStringLiteral("&General..."), QString(), nullptr);
    m_directoryAction = makeAction(QStringLiteral("&Directory..."), QString(), nullptr);
    m_predefinedAction = makeAction(QStringLiteral("&Predefined Word..."), QString(), nullptr);
    m_visualSettingAction = makeAction(QStringLiteral("&Macro View Visual Setting..."), QString(), nullptr);
    m_infoAction = makeAction(QStringLiteral("&Info"), QString(), nullptr);

    m_helpAction = makeAction(menuText("&Help...\tF1"), "F1", &CMainFrame::showHelp);
    m_tutorialAction = makeAction(QStringLiteral("&Tutorial..."), QString(), &CMainFrame::showTutorial);
    m_aboutAction = makeAction(QStringLiteral("&About Quillmarsh..."), QString(), &CMainFrame::showAbout);
}

void CMainFrame::createMenus()
{
    m_fileMenu = menuBar()->addMenu(QStringLiteral("&File"));
    m_fileMenu->addActions({m_newAction, m_openAction, m_openWorkspaceAction, m_appendAction});
    m_fileMenu->addSeparator();
    m_fileMenu->addActions({m_saveAction, m_saveAsAction});
    m_fileMenu->addSeparator();
    m_fileMenu->addActions({m_printAction, m_printPreviewAction, m_printSetupAction});
    m_recentSeparator = m_fileMenu->addSeparator();
    m_fileMenu->addSeparator();
    m_fileMenu->addAction(m_exitAction);

    m_runMenu = menuBar()->addMenu(QStringLiteral("&Run"));
    m_runMenu->addActions({m_drawAction, m_clearAllAction, m_stopAction});

    m_viewMenu = menuBar()->addMenu(QStringLiteral("&View"));
    m_viewMenu->addActions({m_controlBarAction, m_statusBarAction, m_codeAction});
    m_viewMenu->addSeparator();
    for (QAction* action : m_paneActions) {
        m_viewMenu->addAction(action);
    }

    m_optionMenu = menuBar()->addMenu(QStringLiteral("&Option"));
    m_optionMenu->addActions({m_generalAction, m_directoryAction, m_predefinedAction, m_visualSettingAction});

    menuBar()->addAction(m_infoAction);

    m_helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    m_helpMenu->addActions({m_helpAction, m_tutorialAction});
    m_helpMenu->addSeparator();
    m_helpMenu->addAction(m_aboutAction);
}

void CMainFrame::createToolBars()
{
    m_standardToolBar = addToolBar(QStringLiteral("Standard"));
    m_standardToolBar->setObjectName(QStringLiteral("Standard"));
    m_standardToolBar->setIconSize(QSize(16, 15));
    QStyle* s = style();
    m_newAction->setIcon(QIcon::fromTheme(QStringLiteral("document-new"), s->standardIcon(QStyle::SP_FileIcon)));
    m_openAction->setIcon(
        QIcon::fromTheme(QStringLiteral("document-open"), s->standardIcon(QStyle::SP_DialogOpenButton)));
    m_saveAction->setIcon(
        QIcon::fromTheme(QStringLiteral("document-save"), s->standardIcon(QStyle::SP_DialogSaveButton)));
    m_cutAction->setIcon(QIcon::fromTheme(QStringLiteral("edit-cut")));
    m_copyAction->setIcon(QIcon::fromTheme(QStringLiteral("edit-copy")));
    m_pasteAction->setIcon(QIcon::fromTheme(QStringLiteral("edit-paste")));
    m_printAction->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    m_aboutAction->setIcon(
        QIcon::fromTheme(QStringLiteral("help-about"), s->standardIcon(QStyle::SP_MessageBoxInformation)));
    m_standardToolBar->addActions({m_newAction, m_openAction, m_saveAction});
    m_standardToolBar->addSeparator();
    m_standardToolBar->addActions({m_cutAction, m_copyAction, m_pasteAction});
    m_standardToolBar->addSeparator();
    m_standardToolBar->addAction(m_printAction);
    m_standardToolBar->addSeparator();
    m_standardToolBar->addAction(m_aboutAction);

    addToolBarBreak();
    m_controlToolBar = addToolBar(QStringLiteral("Control Bar"));
    m_controlToolBar->setObjectName(QStringLiteral("Control Bar"));
    m_controlToolBar->setAccessibleName(QStringLiteral("Control Bar"));
    m_controlToolBar->setMovable(false);
    m_controlBar = new ControlBar(m_controlToolBar);
    m_controlToolBar->addWidget(m_controlBar);
    connect(m_controlBarAction, &QAction::toggled, m_controlToolBar, &QToolBar::setVisible);
    connect(m_controlToolBar, &QToolBar::visibilityChanged, m_controlBarAction, &QAction::setChecked);
}

void CMainFrame::createStatusBar()
{
    QStatusBar* bar = statusBar();
    m_upButton = new QPushButton(QStringLiteral("U"), bar);
    m_downButton = new QPushButton(QStringLiteral("D"), bar);
    m_upButton->setToolTip(QStringLiteral("Log pane larger (Ctrl+Up)"));
    m_downButton->setToolTip(QStringLiteral("Log pane smaller (Ctrl+Down)"));
    for (QPushButton* b : {m_upButton, m_downButton}) {
        b->setFixedWidth(kPaneButtonWidth);
        b->setFocusPolicy(Qt::NoFocus);
        bar->addWidget(b);
    }
    connect(m_upButton, &QPushButton::clicked, this, [this] { m_outer->growSecond(); });
    connect(m_downButton, &QPushButton::clicked, this, [this] { m_outer->shrinkSecond(); });
    m_status = new QLabel(QStringLiteral("Ready"), bar);
    m_status->setObjectName(QStringLiteral("Status"));
    m_status->setAccessibleName(QStringLiteral("Status"));
    bar->addWidget(m_status);
    m_progress = new QProgressBar(bar);
    m_progress->setObjectName(QStringLiteral("Progress"));
    m_progress->setAccessibleName(QStringLiteral("Progress"));
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_progress->setMaximumHeight(17);
    bar->addWidget(m_progress, 1);
    connect(m_statusBarAction, &QAction::toggled, bar, &QStatusBar::setVisible);
}

void CMainFrame::connectControlBar()
{
    ControlBar& c = *m_controlBar;
    connect(c.draw, &QPushButton::clicked, this, &CMainFrame::draw);
    connect(c.stop, &QPushButton::clicked, this, &CMainFrame::stop);
    connect(c.fold, &QPushButton::clicked, this, &CMainFrame::foldAll);
    connect(c.unfold, &QPushButton::clicked, this, &CMainFrame::unfoldAll);
    connect(c.sort, &QPushButton::clicked, this, &CMainFrame::sortOnce);
    c.autoSort->setChecked(m_settings.values.autoSort);
    connect(c.autoSort, &QCheckBox::toggled, this, &CMainFrame::setAutoSort);
    c.autoResize->setChecked(m_settings.values.autoResizeMacroView);
    connect(c.autoResize, &QCheckBox::toggled, this, &CMainFrame::setAutoResize);
    c.showVcHeader->setChecked(m_totalView->showVcHeader());
    connect(c.showVcHeader, &QCheckBox::toggled, m_totalView, &CTotalView::setShowVcHeader);
    c.fileName->setChecked(m_totalView->showFileName());
    connect(c.fileName, &QCheckBox::toggled, m_totalView, &CTotalView::setShowFileName);
    c.parseVcHeader->setChecked(false);
    // The code window comes with its own commands; until then its switch is greyed.
    c.code->setEnabled(false);
    m_codeAction->setEnabled(false);

    connect(c.flowWider, &QPushButton::clicked, m_paneActions[2], &QAction::trigger);
    connect(c.flowNarrower, &QPushButton::clicked, m_paneActions[3], &QAction::trigger);
    connect(c.oneTwo, &QPushButton::clicked, m_paneActions[4], &QAction::trigger);
    connect(c.half, &QPushButton::clicked, m_paneActions[5], &QAction::trigger);
    connect(c.twoOne, &QPushButton::clicked, m_paneActions[6], &QAction::trigger);
    connect(c.fit, &QPushButton::clicked, m_paneActions[7], &QAction::trigger);
    connect(c.scaleList, &QComboBox::currentTextChanged, this, [this](const QString& text) { setScale(text.toInt()); });
}

void CMainFrame::applyMacroViewSettings()
{
    macro::MacroViewSettings& view = m_totalView->model().settings();
    const settings::SettingValues& values = m_settings.values;
    view.sortKey = values.macroViewSort == settings::kSortBySize ? macro::MacroSortKey::Size : macro::MacroSortKey::Name;
    view.fixedSize = values.fixedSizeArrange;
    view.autoSort = values.autoSort;
    view.autoResize = values.autoResizeMacroView;
}

// --- start and close ---------------------------------------------------------------------------

void CMainFrame::start(const StartOptions& options)
{
    restorePlacements();
    if (!options.project.empty()) {
        openFromCommandLine(options.project);
    }
    if (options.draw) {
        draw();
    }
    if (m_settings.values.showTutorial) {
        showTutorial();
    }
}

void CMainFrame::restorePlacements()
{
    const std::optional<settings::WindowPlacements> placements = settings::loadWindowPlacements(m_profile);
    if (!placements) {
        resize(1200, 800);
        show();
        return;
    }
    m_codePlacement = placements->codeWindow;
    const settings::WindowPlacement& main = placements->mainWindow;
    QRect normal(QPoint(main.left, main.top), QPoint(main.right - 1, main.bottom - 1));
    // A placement from another screen, or garbage, must not put the window out of reach.
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1600, 1000);
    if (normal.width() < 200 || normal.height() < 150 || !screen.intersects(normal)) {
        normal = QRect(screen.topLeft() + QPoint(40, 40), QSize(1200, 800)).intersected(screen);
    }
    normal.setSize(normal.size().boundedTo(screen.size()));
    resize(normal.size());
    move(normal.topLeft());
    const bool maximized = main.showCommand == kShowMaximized ||
                           (main.showCommand == kShowMinimized && (main.flags & settings::kRestoreToMaximized));
    if (maximized) {
        showMaximized();
    } else {
        show();
    }
}

void CMainFrame::savePlacements()
{
    settings::WindowPlacement main;
    main.showCommand = isMaximized() ? kShowMaximized : (isMinimized() ? kShowMinimized : kShowNormal);
    main.minimizedX = main.minimizedY = main.maximizedX = main.maximizedY = -1;
    const QRect normal = normalGeometry().isValid() ? normalGeometry() : geometry();
    main.left = normal.left();
    main.top = normal.top();
    main.right = normal.left() + normal.width();
    main.bottom = normal.top() + normal.height();
    if (!settings::saveWindowPlacements(m_profile, {main, m_codePlacement}, isMaximized())) {
        // Nothing else is lost: the next start shows the window where the system puts it.
        session().log().writeLine("The window placement could not be saved.");
    }
}

void CMainFrame::storeLayoutInSettings()
{
    m_settings.values.macroInfoMode = m_outer->mode();
    m_settings.values.macroInfoSize = m_outer->secondSize();
    m_settings.values.macroDetailMode = m_inner->mode();
    m_settings.values.macroDetailSize = m_inner->secondSize();
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (!confirmDiscardChanges()) {
        event->ignore();
        return;
    }
    m_closing = true;
    savePlacements();
    // A run still going is asked to stop and waited for; its thread is never cut off.
    session().stopAndWait();
    storeLayoutInSettings();
    if (!m_recent.save(m_profile)) {
        session().log().writeLine("The list of recent files could not be saved.");
    }
    try {
        macro::saveCurrentTheme(m_totalView->model().theme());
    } catch (const std::exception& e) {
        m_prompts.message(QString::fromUtf8(e.what()));
    }
    if (m_help) m_help->close();
    if (m_tutorial) m_tutorial->close();
    event->accept();
}

void CMainFrame::openFromCommandLine(const std::string& given)
{
    std::error_code ec;
    const std::string path = fs::absolute(fs::path(given), ec).lexically_normal().string();
    if (!fs::exists(path, ec)) {
        m_prompts.message(fromUtf8(std::string(project::kProjectOpenError)));
        return;
    }
    if (!fs::is_directory(path, ec) && project::classifyPath(path) == project::FileKind::Project) {
        // A project named at start opens without waiting for a click: how many files it holds
        // goes to the log, and only a failure is shown in a box.
        StartupReporter messages(m_reporter, session().log());
        openProjectFile(QFile::decodeName(path.c_str()), messages);
        return;
    }
    session().newProject();
    session().addPath(path);
    refreshTitle();
}

// --- analysis runs -----------------------------------------------------------------------------

void CMainFrame::draw()
{
    using Start = frontend::AnalysisEngine::StartResult;
    const Start result = session().startRun(m_controlBar->parseVcHeader->isChecked());
    if (result == Start::AlreadyRunning) {
        m_prompts.message(fromUtf8(std::string(session::Session::kAlreadyRunning)));
    } else if (result == Start::ThreadFailed) {
        m_prompts.message(fromUtf8(std::string(session::Session::kThreadFailed)));
    }
    updateCommandStates();
}

void CMainFrame::clearAllAndRedraw()
{
    if (session().isRunActive()) {
        m_prompts.message(fromUtf8(std::string(session::Session::kAlreadyRunning)));
        return;
    }
    session().clearResults();
    draw();
}

void CMainFrame::stop()
{
    if (session().requestStop()) {
        m_doc->pollProgress();
    }
    updateCommandStates();
}

void CMainFrame::foldAll()
{
    m_totalView->model().foldAll();
}

void CMainFrame::unfoldAll()
{
    m_totalView->model().unfoldAll();
}

void CMainFrame::sortOnce()
{
    m_totalView->model().sortOnce();
}

void CMainFrame::setAutoSort(bool on)
{
    m_settings.values.autoSort = on;
    m_totalView->model().settings().autoSort = on;
    if (on) {
        m_totalView->model().setRelayoutPending();
        m_totalView->viewport()->update();
    }
    if (m_controlBar->autoSort->isChecked() != on) {
        m_controlBar->autoSort->setChecked(on);
    }
    updateCommandStates();
}

void CMainFrame::setAutoResize(bool on)
{
    m_settings.values.autoResizeMacroView = on;
    m_totalView->model().settings().autoResize = on;
    m_totalView->viewport()->update();
}

void CMainFrame::setScale(int scale)
{
    m_detailView->model().setScale(scale);
    const int index = m_controlBar->scaleList->findText(QString::number(scale));
    if (index >= 0 && index != m_controlBar->scaleList->currentIndex()) {
        m_controlBar->scaleList->setCurrentIndex(index);
    }
}

void CMainFrame::updateCommandStates()
{
    const bool active = session().isRunActive();
    // While a run works, the commands that would change what it reads are greyed; a stop request
    // gives them back at once, though the run takes a moment to end.
    const bool busy = active && !session().isStopping();
    for (QAction* action : {m_newAction, m_openAction, m_openWorkspaceAction, m_appendAction, m_saveAction,
                            m_saveAsAction}) {
        action->setEnabled(!busy);
    }
    for (QAction* action : m_recentActions) {
        action->setEnabled(!busy);
    }
    m_fileMenu->menuAction()->setEnabled(!busy);
    m_optionMenu->menuAction()->setEnabled(!busy);
    for (QAction* action : {m_printAction, m_printPreviewAction, m_printSetupAction, m_generalAction,
                            m_directoryAction, m_predefinedAction, m_visualSettingAction, m_infoAction,
                            m_cutAction, m_pasteAction}) {
        action->setEnabled(false);
    }
    m_drawAction->setEnabled(!busy);
    m_clearAllAction->setEnabled(!busy);
    m_stopAction->setEnabled(active);
    m_controlBar->draw->setEnabled(!active);
    m_controlBar->stop->setEnabled(active);
    m_controlBar->fold->setEnabled(!active);
    m_controlBar->unfold->setEnabled(!active);
    m_controlBar->sort->setEnabled(!m_settings.values.autoSort && !active);
    m_status->setText(!active ? QStringLiteral("Ready")
                              : (busy ? QStringLiteral("Drawing...") : QStringLiteral("Stopping...")));
}

// --- the project -------------------------------------------------------------------------------

QString CMainFrame::displayName() const
{
    const std::string& path = session().projectPath();
    if (path.empty()) {
        return QStringLiteral("Untitled");
    }
    return QFileInfo(QFile::decodeName(path.c_str())).fileName();
}

QString CMainFrame::lastFolder() const
{
    const std::string& path = session().projectPath();
    if (!path.empty()) {
        return QFileInfo(QFile::decodeName(path.c_str())).absolutePath();
    }
    if (!m_recent.files().empty()) {
        return QFileInfo(fromUtf8(m_recent.files().front())).absolutePath();
    }
    return QString();
}

void CMainFrame::refreshTitle()
{
    setWindowTitle(displayName() + QStringLiteral("[*] - Quillmarsh"));
    setWindowModified(session().isModified());
}

bool CMainFrame::confirmDiscardChanges()
{
    if (!session().isModified()) {
        return true;
    }
    switch (m_prompts.askSaveChanges(displayName())) {
    case SaveChoice::Save:
        return saveProject();
    case SaveChoice::Discard:
        return true;
    case SaveChoice::Cancel:
        break;
    }
    return false;
}

void CMainFrame::newProject()
{
    if (!confirmDiscardChanges()) {
        return;
    }
    session().newProject();
    refreshTitle();
}

void CMainFrame::openProject()
{
    if (!confirmDiscardChanges()) {
        return;
    }
    const QString path = m_prompts.openFileName(QStringLiteral("Open Quillmarsh Project"), lastFolder(), kProjectFilter);
    if (!path.isEmpty()) {
        openProjectFile(path);
    }
}

bool CMainFrame::openProjectFile(const QString& path)
{
    return openProjectFile(path, m_reporter);
}

bool CMainFrame::openProjectFile(const QString& path, project::MessageReporter& messages)
{
    const std::string file = QFile::encodeName(path).toStdString();
    const bool opened = session().openProject(file, messages);
    if (opened) {
        m_recent.add(file);
    } else {
        m_recent.remove(file);
    }
    rebuildRecentMenu();
    refreshTitle();
    return opened;
}

bool CMainFrame::saveProject()
{
    const std::string& path = session().projectPath();
    if (path.empty()) {
        return saveProjectAs();
    }
    const bool saved = session().saveProject(path);
    refreshTitle();
    return saved;
}

bool CMainFrame::saveProjectAs()
{
    QString suggested = session().projectPath().empty()
                            ? QDir(lastFolder()).filePath(QStringLiteral("Untitled.qmp"))
                            : QFile::decodeName(session().projectPath().c_str());
    QString path = m_prompts.saveFileName(QStringLiteral("Save Project As"), suggested, kProjectFilter);
    if (path.isEmpty()) {
        return false;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".qmp");
    }
    const std::string file = QFile::encodeName(path).toStdString();
    const bool saved = session().saveProject(file);
    if (saved) {
        m_recent.add(file);
        rebuildRecentMenu();
    }
    refreshTitle();
    return saved;
}

void CMainFrame::appendFiles()
{
    const QStringList paths = m_prompts.openFileNames(QStringLiteral("Append Files"), lastFolder(), kAppendFilter);
    if (paths.isEmpty()) {
        return;
    }
    session().appendFiles(toPaths(paths));
    refreshTitle();
}

void CMainFrame::openFromWorkspace()
{
    const QString path = m_prompts.openFileName(QStringLiteral("Open From Dsw Dsp vcproj File"), lastFolder(),
                                                kWorkspaceFilter);
    if (path.isEmpty() || !confirmDiscardChanges()) {
        return;
    }
    session().newProject();
    session().addPath(QFile::encodeName(path).toStdString());
    refreshTitle();
}

void CMainFrame::dropPaths(const QStringList& paths)
{
    if (paths.isEmpty()) {
        return;
    }
    session().dropFiles(toPaths(paths));
    refreshTitle();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls()) {
        event->acceptProposedAction();
    }
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            paths << url.toLocalFile();
        }
    }
    dropPaths(paths);
    event->acceptProposedAction();
}

void CMainFrame::rebuildRecentMenu()
{
    for (QAction* action : m_recentActions) {
        m_fileMenu->removeAction(action);
        action->deleteLater();
    }
    m_recentActions.clear();
    const std::vector<std::string>& files = m_recent.files();
    for (std::size_t i = 0; i < files.size(); ++i) {
        const QString path = QFile::decodeName(files[i].c_str());
        auto* action = new QAction(QStringLiteral("&%1 %2").arg(i + 1).arg(path), this);
        action->setToolTip(path);
        connect(action, &QAction::triggered, this, [this, path] {
            if (confirmDiscardChanges()) {
                openProjectFile(path);
            }
        });
        m_fileMenu->insertAction(m_recentSeparator, action);
        m_recentActions.push_back(action);
    }
}

// --- windows and layout --------------------------------------------------------------------

void CMainFrame::showHelp()
{
    if (!m_help) {
        m_help = new HelpWindow(QStringLiteral("Help"), dataDirectory() / "Help" / "index.html");
        m_help->setAttribute(Qt::WA_DeleteOnClose);
    }
    m_help->show();
    m_help->raise();
    m_help->activateWindow();
}

void CMainFrame::showTutorial()
{
    if (!m_tutorial) {
        m_tutorial = new HelpWindow(QStringLiteral("Tutorial"), dataDirectory() / "Help" / "Tutorial" / "index.html");
        m_tutorial->setAttribute(Qt::WA_DeleteOnClose);
        m_tutorial->addStartupCheck(m_settings.values.showTutorial,
                                    [this](bool on) { m_settings.values.showTutorial = on; });
    }
    m_tutorial->show();
    m_tutorial->raise();
}

void CMainFrame::showAbout()
{
    auto* box = new QMessageBox(QMessageBox::Information, QStringLiteral("About Quillmarsh"),
                                QStringLiteral("Quillmarsh %1\n\nDraws pictures of C and C++ source code: the "
                                               "whole program as nested boxes, the flowchart of a function "
                                               "and the class diagram of a class.")
                                    .arg(QStringLiteral(QM_VERSION)),
                                QMessageBox::Ok, this);
    box->setObjectName(QStringLiteral("About Quillmarsh"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

void CMainFrame::focusNextPane(int step)
{
    QWidget* const panes[] = {m_totalView, m_detailView, m_infoView};
    int current = -1;
    for (int i = 0; i < 3; ++i) {
        if (panes[i]->isAncestorOf(focusWidget()) || panes[i] == focusWidget()) {
            current = i;
        }
    }
    const int next = ((current < 0 ? 0 : current + step) % 3 + 3) % 3;
    panes[next]->setFocus(Qt::ShortcutFocusReason);
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    layoutStatusBar();
}

void CMainFrame::layoutStatusBar()
{
    const int w = width();
    m_status->setFixedWidth(std::max(0, w / 7));
    const int progressWidth = w - w / 7 - 67;
    m_progress->setVisible(progressWidth >= 10);
}

}  // namespace qm::app
