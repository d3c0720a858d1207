#include "session/session.h"

#include "frontend/option_files.h"
#include "parser/make_analysis_engine.h"
#include "project/file_kind.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace qm::session {

namespace fs = std::filesystem;

Session::Session(settings::AppSettings& settings, project::MessageReporter& messages)
    : m_settings(settings), m_messages(messages), m_engine(parser::makeAnalysisEngine(m_log))
{
}

Session::~Session()
{
    m_engine->stopAndWait();
}

void Session::addObserver(SessionObserver& observer)
{
    m_observers.push_back(&observer);
}

void Session::removeObserver(SessionObserver& observer)
{
    m_observers.erase(std::remove(m_observers.begin(), m_observers.end(), &observer), m_observers.end());
}

template <typename Call>
void Session::notify(Call call)
{
    // A copy: an observer may remove itself while it is told.
    const std::vector<SessionObserver*> observers = m_observers;
    for (SessionObserver* observer : observers) {
        call(*observer);
    }
}

frontend::AnalysisEngine::StartResult Session::startRun(bool followAngleIncludes)
{
    if (m_engine->isActive()) {
        return frontend::AnalysisEngine::StartResult::AlreadyRunning;
    }
    frontend::RunSettings run;
    run.files = m_project.runEntries();
    run.includeDirectories = m_settings.selectedIncludeList();
    run.macroSeeds = frontend::buildMacroSeeds(m_settings.predefinedWords, m_project.defines());
    run.followAngleIncludes = followAngleIncludes;
    run.preprocessSameFile = m_settings.values.preprocessSameNameFile;
    run.jobs = m_settings.values.analysisJobs;

    // Nothing may point into the old result once the engine's thread starts freeing it.
    forgetResult();
    notify([](SessionObserver& o) { o.runStarting(); });
    return m_engine->startRun(std::move(run));
}

void Session::forgetResult()
{
    forgetSelection();
    m_hasResult = false;
}

bool Session::requestStop()
{
    if (!m_engine->isActive()) {
        return false;
    }
    m_engine->requestStop();
    return true;
}

void Session::stopAndWait()
{
    m_engine->stopAndWait();
}

bool Session::pollRunFinished()
{
    if (m_engine->isActive() || !m_engine->takeRunFinished()) {
        return false;
    }
    m_hasResult = true;
    const model::SymbolEntry& root = m_engine->result();
    notify([&root](SessionObserver& o) { o.runFinished(root); });
    return true;
}

std::optional<int> Session::pollProgress()
{
    int position = 0;
    if (m_engine->isActive() && !m_engine->stopRequested()) {
        position = m_engine->progressPercent();
    }
    if (position == m_progressShown) {
        return std::nullopt;
    }
    m_progressShown = position;
    return position;
}

const model::SymbolEntry* Session::result() const noexcept
{
    if (!m_hasResult || m_engine->isActive()) {
        return nullptr;
    }
    return &m_engine->result();
}

void Session::forgetSelection()
{
    m_selection.definition = nullptr;
    m_selection.entry = nullptr;
    m_selection.classRoot = nullptr;
    m_selection.changed = true;
}

void Session::clearResults()
{
    m_engine->stopAndWait();
    m_engine->takeRunFinished();  // a run that ended unseen has nothing left to show
    forgetResult();
    notify([](SessionObserver& o) { o.resultCleared(); });
    m_engine->clearAll();
}

void Session::newProject()
{
    clearResults();
    m_project.newProject();
    m_projectPath.clear();
}

bool Session::openProject(const std::string& path)
{
    return openProject(path, m_messages);
}

bool Session::openProject(const std::string& path, project::MessageReporter& messages)
{
    clearResults();
    const bool opened = m_project.open(path, messages);
    m_projectPath = opened ? path : std::string();
    if (!opened) {
        m_project.setModified(false);
    }
    return opened;
}

bool Session::saveProject(const std::string& path, const project::OverwriteChangedQuestion& overwriteChanged)
{
    if (!m_project.save(path, m_messages, overwriteChanged)) {
        return false;
    }
    m_projectPath = path;
    return true;
}

void Session::addPath(const std::string& path)
{
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
        m_project.addFolder(path, true, m_log);
        return;
    }
    if (m_project.addByKind(path, m_log) == project::AddOutcome::Ignored) {
        m_log.writeLine(path + ": skipped (not a C or C++ source file)");
    }
}

void Session::appendFiles(const std::vector<std::string>& paths)
{
    m_project.appendFiles(paths, m_log);
}

void Session::dropFiles(const std::vector<std::string>& paths)
{
    m_project.drop(paths, m_log);
}

bool Session::removeFiles(const std::vector<std::size_t>& rows)
{
    if (m_engine->isActive()) {
        return false;
    }
    const std::vector<std::string>& paths = m_project.files().normalized();
    std::vector<std::size_t> removed;
    std::vector<std::string> removedPaths;
    for (std::size_t row : rows) {
        if (row < paths.size()) {
            removed.push_back(row);
            removedPaths.push_back(paths[row]);
        }
    }
    if (removed.empty()) {
        return true;
    }
    forgetSelection();
    m_engine->forgetFiles(removedPaths);
    m_project.files().removeAt(removed);
    if (m_hasResult) {
        m_engine->rebuildResult();
        const model::SymbolEntry& root = m_engine->result();
        notify([&root](SessionObserver& o) { o.resultReplaced(root); });
    }
    return true;
}

}  // namespace qm::session
