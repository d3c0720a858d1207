#include "frontend/analysis_engine.h"

#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"
#include "model/symbol_table_builder.h"

#include <set>
#include <system_error>

#include <sys/resource.h>
#include <unistd.h>

namespace qm::frontend {

using model::SourceUnit;

namespace {

// The change key of the file at `path` as it is now; (0, 0, 0) with a log line when it cannot be
// opened.
model::FileStamp currentStamp(const std::string& path, LogSink& log)
{
    if (auto stamp = statSourceFile(path)) {
        return *stamp;
    }
    log.writeLine(path + " : cannot open file");
    return {};
}

// Calls `visit` on `root` and every unit it includes, depth first in list order.
template <typename Visit>
void forEachUnit(SourceUnit& root, Visit&& visit)
{
    std::vector<SourceUnit*> pending{&root};
    while (!pending.empty()) {
        SourceUnit* unit = pending.back();
        pending.pop_back();
        visit(*unit);
        for (auto it = unit->includedUnits.rbegin(); it != unit->includedUnits.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
}

}  // namespace

AnalysisEngine::AnalysisEngine(LogSink& log) : m_log(log) {}

AnalysisEngine::~AnalysisEngine()
{
    stopAndWait();
    clearAll();
}

AnalysisEngine::StartResult AnalysisEngine::startRun(RunSettings settings)
{
    bool expected = false;
    if (!m_active.compare_exchange_strong(expected, true)) {
        return StartResult::AlreadyRunning;
    }
    if (m_thread.joinable()) {
        m_thread.join();  // the previous run's thread has finished its work already
    }
    m_settings = std::move(settings);
    resetRunFlags();
    try {
        m_thread = std::thread([this] {
            // Below the user interface's priority, so that drawing and input go first.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
            threadBody();
        });
    } catch (const std::system_error&) {
        return StartResult::ThreadFailed;  // the engine stays active, as no run can be trusted now
    }
    return StartResult::Started;
}

void AnalysisEngine::runSynchronously(RunSettings settings)
{
    bool expected = false;
    if (!m_active.compare_exchange_strong(expected, true)) {
        return;
    }
    m_settings = std::move(settings);
    resetRunFlags();
    threadBody();
}

void AnalysisEngine::resetRunFlags()
{
    // Before the thread starts: a stop asked for the moment the run was started must not be
    // forgotten when the thread gets going.
    m_runFinished = false;
    m_stopRequested = false;
    m_progress = 0;
}

void AnalysisEngine::threadBody()
{
    try {
        runBody();
    } catch (const std::exception& e) {
        // Nothing may leave the thread; a failure of the run itself is reported and the run ends.
        // The files it had not reached go with their registry entries, and the result is rebuilt
        // so that it names no destroyed node.
        m_log.writeLine(e.what());
        discardWorkList();
        buildResult();
        m_running = false;
    }
    // Finished before inactive: whoever sees the engine inactive finds the run's end there too.
    m_runFinished = true;
    m_active = false;
}

void AnalysisEngine::requestStop()
{
    m_stopRequested = true;
    m_log.writeLine(kStopAccepted);
}

void AnalysisEngine::stopAndWait()
{
    // A stop already asked for is not asked (and logged) again.
    if (m_active && !m_stopRequested) {
        requestStop();
    }
    if (m_thread.joinable()) {
        m_thread.join();
    }
}

void AnalysisEngine::runBody()
{
    m_running = true;
    dropUnselectedAndChangedFiles();
    m_previous = std::move(m_files);
    m_files.clear();

    const auto& list = m_settings.files;
    const std::size_t n = list.size();
    for (std::size_t i = 0; i < n; ++i) {
        if (m_stopRequested) {
            m_progress = 0;
            break;
        }
        if (list[i].selected) {
            getOrCreateFile(list[i].path);
            m_progress = static_cast<int>(100.0 * static_cast<double>(i) / static_cast<double>(n));
        }
    }
    // A stop noticed at any point (even during the last file) means the run did not complete.
    if (!m_stopRequested) {
        m_log.writeLine(kParsingComplete);
    }
    // Cached files that a stopped run did not reach are analysed afresh next time.
    discardWorkList();
    buildResult();
    if (m_stopRequested) {
        m_log.writeLine(kEngineStopped);
    }
    m_running = false;
}

void AnalysisEngine::dropUnselectedAndChangedFiles()
{
    std::set<std::string> selected;
    for (const auto& entry : m_settings.files) {
        if (entry.selected) selected.insert(entry.path);
    }
    std::vector<std::unique_ptr<SourceFile>> kept;
    for (auto& file : m_files) {
        if (!selected.count(file->path)) {
            destroyFile(std::move(file));
        } else {
            kept.push_back(std::move(file));
        }
    }
    m_files.clear();
    for (auto& file : kept) {
        if (!file->complete || currentStamp(file->path, m_log) != file->rootUnit->stamp) {
            destroyFile(std::move(file));
        } else {
            m_files.push_back(std::move(file));
        }
    }
}

void AnalysisEngine::getOrCreateFile(const std::string& path)
{
    for (auto it = m_previous.begin(); it != m_previous.end(); ++it) {
        if ((*it)->path == path) {
            m_files.push_back(std::move(*it));
            m_previous.erase(it);
            return;
        }
    }
    auto file = std::make_unique<SourceFile>();
    file->path = path;
    file->rootUnit = std::make_unique<SourceUnit>();
    SourceUnit& root = *file->rootUnit;
    root.fileName = path;
    root.userFile = 1;
    readUnit(root);
    for (const auto& seed : m_settings.macroSeeds) {
        file->macros.defineValue(seed.name, seed.value);
    }
    m_log.writeLine("Parsing: " + path);
    try {
        preprocessFramed(root, *file, 0);
        parseUnits(root);
    } catch (...) {
        destroyFile(std::move(file));  // its units are registered already
        throw;
    }
    file->complete = !m_stopRequested;
    m_files.push_back(std::move(file));
}

// Reads the unit's file into tokens, unless that version of the file was preprocessed already and
// its tokens would be dropped unread anyway.
void AnalysisEngine::readUnit(SourceUnit& unit)
{
    if (!m_settings.preprocessSameFile) {
        const auto stamp = statSourceFile(unit.fileName);
        if (stamp && m_registry.contains(unit.fileName, *stamp)) {
            unit.stamp = *stamp;
            return;
        }
    }
    tokenizeFile(unit.fileName, unit.tokens, unit.stamp, m_log);
}

// Preprocesses one unit: a file version met before (and still alive) contributes nothing the
// second time, and units with the same content after preprocessing share one canonical unit.
void AnalysisEngine::preprocessFramed(SourceUnit& unit, SourceFile& file, int depth)
{
    try {
        if (!m_settings.preprocessSameFile && m_registry.contains(unit.fileName, unit.stamp)) {
            unit.tokens.clear();
            return;
        }
        PreprocessEnvironment env{file.macros, m_settings.includeDirectories, m_settings.followAngleIncludes,
                                  m_stopRequested, m_log,
                                  [this, &file](const std::string& path, int userFile, int nested) {
                                      return includeFile(file, path, userFile, nested);
                                  }};
        preprocessUnit(unit, env, depth);
        const std::size_t count = unit.tokens.size();
        if (SourceUnit* registered = m_registry.lookup(unit.fileName, unit.stamp, count)) {
            unit.canonical = registered;
            if (registered != &unit) unit.tokens.clear();
        } else {
            m_registry.insert(unit.fileName, unit.stamp, count, &unit);
        }
    } catch (const std::exception&) {
        m_log.writeLine(unit.fileName + ": Preprocessing Error");
    }
}

std::unique_ptr<SourceUnit> AnalysisEngine::includeFile(SourceFile& file, const std::string& path, int userFile,
                                                        int depth)
{
    auto unit = std::make_unique<SourceUnit>();
    unit->fileName = path;
    unit->userFile = userFile;
    readUnit(*unit);
    preprocessFramed(*unit, file, depth);
    return unit;
}

void AnalysisEngine::parseUnits(SourceUnit& root)
{
    if (!m_parser) return;
    forEachUnit(root, [this](SourceUnit& unit) {
        if (!m_stopRequested) m_parser(unit, m_stopRequested, m_log);
    });
}

void AnalysisEngine::destroyFile(std::unique_ptr<SourceFile> file)
{
    if (!file) return;
    // The result refers to the file's nodes; it is rebuilt before anyone reads it again.
    if (file->rootUnit) {
        forEachUnit(*file->rootUnit, [this](SourceUnit& unit) {
            if (!unit.canonical) m_registry.eraseUnit(unit);
        });
    }
}

void AnalysisEngine::discardWorkList()
{
    while (!m_previous.empty()) {
        destroyFile(std::move(m_previous.back()));
        m_previous.pop_back();
    }
}

void AnalysisEngine::buildResult()
{
    std::vector<SourceUnit*> roots;
    roots.reserve(m_files.size());
    for (const auto& file : m_files) roots.push_back(file->rootUnit.get());
    model::buildSymbolTable(roots, m_root, m_counters);
}

void AnalysisEngine::clearAll()
{
    if (m_active) return;
    m_root = model::SymbolEntry();
    for (auto& file : m_files) destroyFile(std::move(file));
    m_files.clear();
}

void AnalysisEngine::forgetFile(const std::string& path)
{
    if (m_active) return;
    for (auto it = m_files.begin(); it != m_files.end(); ++it) {
        if ((*it)->path == path) {
            destroyFile(std::move(*it));
            m_files.erase(it);
            return;
        }
    }
}

void AnalysisEngine::rebuildResult()
{
    if (m_active) return;
    buildResult();
}

}  // namespace qm::frontend
