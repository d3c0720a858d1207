#include "app/main_frame.h"

#include "app/code_window_dialog.h"
#include "app/code_wnd.h"
#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/help_window.h"
#include "app/info_view.h"
#include "app/pane_splitter.h"
#include "app/print/diagram_printer.h"
#include "app/total_view.h"

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>

#include <algorithm>

namespace qm::app {

namespace {

// The status bar's layout: U and D buttons in a first pane of 36 pixels, the message pane a
// seventh of the width, then the progress bar.
constexpr int kPaneButtonWidth = 19;

// The part of a menu text before the tab, and the shortcut after it: "&Draw\tF5".
QString menuText(const QString& text)
{
    return text.section(QLatin1Char('\t'), 0, 0);
}

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
    createCodeWindow();
    m_printer = new DiagramPrinter(m_prompts, this);
    // Printing and export act on the diagram view that was clicked or focused last.
    for (QAbstractScrollArea* view : {static_cast<QAbstractScrollArea*>(m_totalView), static_cast<QAbstractScrollArea*>(m_detailView)}) {
        view->installEventFilter(this);
        view->viewport()->installEventFilter(this);
    }
    createActions();
    createMenus();
    createToolBars();
    createStatusBar();
    connectControlBar();
    connectDialogCommands();
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

void CMainFrame::createCodeWindow()
{
    m_codeWindow = new CodeWindowDialog(m_settings, [this](const QString& text) { m_prompts.message(text); }, this);
    connect(m_totalView, &CTotalView::codeFileRequested, this,
            [this](const std::string& path) { m_codeWindow->openFile(path); });
    connect(m_totalView, &CTotalView::codeLinesRequested, this,
            [this](int first, int last) { m_codeWindow->selectLines(first, last, false); });
    connect(m_totalView, &CTotalView::codeResetRequested, this, [this] { m_codeWindow->clear(false); });
    // The statement under the mouse in the flowchart lights up in the code window.
    connect(m_detailView, &CDetailView::codeLinesHovered, this,
            [this](int first, int last) { m_codeWindow->selectLines(first, last, true); });
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
    m_printAction = makeAction(QStringLiteral("&Print..."), "Ctrl+P", &CMainFrame::printDiagram);
    m_printPreviewAction = makeAction(QStringLiteral("Print Pre&view"), QString(), &CMainFrame::printPreview);
    m_printSetupAction = makeAction(QStringLiteral("P&rint Setup..."), QString(), &CMainFrame::printSetup);
    m_exportAction = makeAction(QStringLiteral("Export &Picture..."), QString(), &CMainFrame::exportPicture);
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
    connect(m_codeAction, &QAction::triggered, this, [this](bool on) { showCodeWindow(on); });

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

    // Connected to their dialogs by connectDialogCommands().
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
    m_fileMenu->addActions({m_printAction, m_printPreviewAction, m_printSetupAction, m_exportAction});
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
    connect(c.code, &QCheckBox::clicked, this, [this](bool on) { showCodeWindow(on); });

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

bool CMainFrame::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::MouseButtonPress) {
        if (watched == m_detailView || watched == m_detailView->viewport()) {
            m_lastDiagram = m_detailView;
        } else if (watched == m_totalView || watched == m_totalView->viewport()) {
            m_lastDiagram = m_totalView;
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

void CMainFrame::showCodeWindow(bool shown)
{
    m_settings.values.showCode = shown;
    m_codeWindow->setVisible(shown);
    m_codeAction->setChecked(shown);
    m_controlBar->code->setChecked(shown);
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
