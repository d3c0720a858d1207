// The main window's commands: start-up and closing, analysis runs, and the project commands
// (new, open, save, append, import, drops, recent files).
#include "app/main_frame.h"

#include "app/code_window_dialog.h"
#include "app/control_bar.h"
#include "app/detail_view.h"
#include "app/info_view.h"
#include "app/local_paths.h"
#include "app/pane_splitter.h"
#include "app/print/diagram_printer.h"
#include "app/total_view.h"
#include "macro/theme_folder.h"
#include "draw/qt_picture_export.h"
#include "project/file_kind.h"

#include <QAction>
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
#include <QMimeData>
#include <QPushButton>
#include <QScreen>

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
    "C and C++ Headers (*.h;*.hpp;*.hh;*.hxx;*.inl;*.ipp) (*.h *.hpp *.hh *.hxx *.inl *.ipp);;"
    "All Files (*.*) (*)");

// Show commands of a window placement.
constexpr std::uint32_t kShowNormal = 1;
constexpr std::uint32_t kShowMinimized = 2;
constexpr std::uint32_t kShowMaximized = 3;

QString fromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
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

namespace {

// A placement's normal rectangle, kept on `screen`: a placement from another screen, or garbage,
// must not put a window out of reach.
QRect reachableRect(const settings::WindowPlacement& placement, QSize fallback)
{
    QRect normal(QPoint(placement.left, placement.top), QPoint(placement.right - 1, placement.bottom - 1));
    const QRect screen = QGuiApplication::primaryScreen() ? QGuiApplication::primaryScreen()->availableGeometry()
                                                          : QRect(0, 0, 1600, 1000);
    if (normal.width() < 200 || normal.height() < 100 || !screen.intersects(normal)) {
        normal = QRect(screen.topLeft() + QPoint(40, 40), fallback).intersected(screen);
    }
    normal.setSize(normal.size().boundedTo(screen.size()));
    return normal;
}

settings::WindowPlacement placementOf(const QWidget& window)
{
    settings::WindowPlacement placement;
    placement.showCommand = window.isMaximized() ? kShowMaximized : (window.isMinimized() ? kShowMinimized : kShowNormal);
    placement.minimizedX = placement.minimizedY = placement.maximizedX = placement.maximizedY = -1;
    const QRect normal = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    placement.left = normal.left();
    placement.top = normal.top();
    placement.right = normal.left() + normal.width();
    placement.bottom = normal.top() + normal.height();
    return placement;
}

}  // namespace

void CMainFrame::restorePlacements()
{
    const std::optional<settings::WindowPlacements> placements = settings::loadWindowPlacements(m_profile);
    if (!placements) {
        resize(1200, 800);
        show();
        return;
    }
    const settings::WindowPlacement& main = placements->mainWindow;
    const QRect normal = reachableRect(main, QSize(1200, 800));
    resize(normal.size());
    move(normal.topLeft());
    const bool maximized = main.showCommand == kShowMaximized ||
                           (main.showCommand == kShowMinimized && (main.flags & settings::kRestoreToMaximized));
    if (maximized) {
        showMaximized();
    } else {
        show();
    }
    // The code window goes where it was, and shows itself again (without taking the focus) when
    // it was open.
    const QRect code = reachableRect(placements->codeWindow, QSize(760, 400));
    m_codeWindow->resize(code.size());
    m_codeWindow->move(code.topLeft());
    if (m_settings.values.showCode) {
        m_codeWindow->setAttribute(Qt::WA_ShowWithoutActivating);
        showCodeWindow(true);
        m_codeWindow->setAttribute(Qt::WA_ShowWithoutActivating, false);
    }
}

void CMainFrame::savePlacements()
{
    if (!settings::saveWindowPlacements(m_profile, {placementOf(*this), placementOf(*m_codeWindow)}, isMaximized())) {
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
    m_codeWindow->hide();
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
    m_codeWindow->clear(true);
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
                            m_saveAsAction, m_printAction, m_printPreviewAction, m_printSetupAction, m_exportAction}) {
        action->setEnabled(!busy);
    }
    for (QAction* action : m_recentActions) {
        action->setEnabled(!busy);
    }
    m_fileMenu->menuAction()->setEnabled(!busy);
    m_optionMenu->menuAction()->setEnabled(!busy);
    for (QAction* action : {m_generalAction, m_directoryAction, m_predefinedAction, m_visualSettingAction,
                            m_infoAction}) {
        action->setEnabled(!busy);
    }
    for (QAction* action : {m_cutAction, m_pasteAction}) {
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
    m_codeWindow->clear(true);
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
    m_codeWindow->clear(true);
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
    const bool saved = session().saveProject(path, overwriteChangedQuestion());
    refreshTitle();
    return saved;
}

// Asks before a save replaces a project file that another program changed since it was opened.
project::OverwriteChangedQuestion CMainFrame::overwriteChangedQuestion()
{
    return [this](const std::string& file) {
        return m_prompts.askYesNo(QStringLiteral("%1\nwas changed by another program since it was opened.\n"
                                                 "Save over it and lose that change?")
                                      .arg(QFile::decodeName(file.c_str())));
    };
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
    const bool saved = session().saveProject(file, overwriteChangedQuestion());
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
    session().appendFiles(toLocalPaths(paths));
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
    m_codeWindow->clear(true);
    session().addPath(QFile::encodeName(path).toStdString());
    refreshTitle();
}

void CMainFrame::dropPaths(const QStringList& paths)
{
    if (paths.isEmpty()) {
        return;
    }
    session().dropFiles(toLocalPaths(paths));
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
    dropPaths(droppedLocalFiles(*event->mimeData()));
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

}  // namespace qm::app

namespace qm::app {

// --- printing and pictures ---------------------------------------------------------------------

PrintableView& CMainFrame::activeDiagram()
{
    if (m_lastDiagram == m_detailView) {
        return *m_detailView;
    }
    return *m_totalView;
}

void CMainFrame::printDiagram()
{
    m_printer->print(activeDiagram(), this);
}

void CMainFrame::printPreview()
{
    m_printer->printPreview(activeDiagram(), this);
}

void CMainFrame::printSetup()
{
    m_printer->printSetup(this);
}

void CMainFrame::exportPicture()
{
    PrintableView& view = activeDiagram();
    const draw::Size size = view.printSize();
    if (size.width <= 0 || size.height <= 0) {
        m_prompts.message(fromUtf8(std::string(view.noImageMessage())));
        return;
    }
    QString path = m_prompts.saveFileName(
        QStringLiteral("Export Picture"), QDir(lastFolder()).filePath(QStringLiteral("diagram.png")),
        QStringLiteral("PNG picture (*.png);;SVG picture (*.svg);;PDF document (*.pdf)"));
    if (path.isEmpty()) {
        return;
    }
    if (QFileInfo(path).suffix().isEmpty()) {
        path += QStringLiteral(".png");
    }
    try {
        draw::exportPicture(QFile::encodeName(path).toStdString(), size,
                            [&view](draw::Canvas& canvas) { view.printSlice(canvas); }, view.printBackground());
    } catch (const std::exception& e) {
        m_prompts.message(QString::fromUtf8(e.what()));
    }
}

}  // namespace qm::app
