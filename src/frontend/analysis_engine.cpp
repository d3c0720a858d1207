#include "frontend/analysis_engine.h"

#include "frontend/parse_pool.h"
#include "frontend/preprocessor.h"
#include "frontend/read_ahead.h"
#include "frontend/source_language.h"
#include "frontend/tokenize_file.h"
#include "model/symbol_table_builder.h"

#include <algorithm>
#include <cassert>
#include <optional>
#include <set>
#include <system_error>
#include <unordered_set>

#include <sys/resource.h>
#include <unistd.h>

namespace qm::frontend {

using model::SourceUnit;

namespace {

// How many project files past the one being preprocessed are read ahead on the pool (with the
// files they include, within ReadAhead's bounds).
constexpr std::size_t kFilesAhead = 8;

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

// The set of macro lookups of one unit's preprocessing (MacroTable::beginReads), closed when
// asked or when the unit's work ends. Only an included unit's outcome is kept for others, so a
// project file (depth 0) opens none.
class ReadSet {
public:
    ReadSet(MacroTable& table, int depth) : m_table(table), m_open(depth > 0)
    {
        if (m_open) m_table.beginReads();
    }
    ReadSet(const ReadSet&) = delete;
    ReadSet& operator=(const ReadSet&) = delete;
    ~ReadSet()
    {
        if (m_open) m_table.endReads();
    }
    std::vector<std::pair<std::string, std::uint64_t>> close()
    {
        if (!m_open) return {};
        m_open = false;
        return m_table.endReads();
    }

private:
    MacroTable& m_table;
    bool m_open;
};

}  // namespace

AnalysisEngine::AnalysisEngine(LogSink& log) : m_log(log), m_fileLog(&log) {}

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
        m_mergeQueue.clear();  // the pool that would have merged them is gone
        m_mergeFailure = nullptr;
        m_building.reset();
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
    m_foundIncludes.clear();  // the file system may have changed since the last run
    // Each file's table starts layered on its language's seeded one.
    for (const SourceLanguage language : {SourceLanguage::C, SourceLanguage::Cpp}) {
        auto seeded = std::make_shared<MacroTable>();
        for (const auto& seed : m_settings.macroSeeds) {
            if (wordAppliesTo(seed.name, language)) seeded->defineValue(seed.name, seed.value);
        }
        seeded->clearJournal();
        m_seededTables[language == SourceLanguage::Cpp ? 1 : 0] = std::move(seeded);
    }
    dropUnselectedAndChangedFiles();
    m_previous = std::move(m_files);
    m_files.clear();
    // The last result names nodes of files just destroyed; nobody reads it during a run, so the
    // next one is built in its place.
    m_building.emplace(m_root, m_counters);
    m_merged = 0;

    // Sources first, headers after them: a header that a source includes is analysed as part of
    // that source, with the macros the source defines before including it.
    const auto& list = m_settings.files;
    const std::size_t n = list.size();
    std::vector<std::size_t> order;
    order.reserve(n);
    for (const bool headers : {false, true}) {
        for (std::size_t i = 0; i < n; ++i) {
            if (isHeaderPath(list[i].path) == headers) order.push_back(i);
        }
    }
    // With more than one job, files are parsed on a pool while the next ones are preprocessed.
    // The workers also read the next files ahead.
    const int jobs = effectiveJobs(m_settings.jobs);
    m_readAheadCounts = {};
    if (jobs > 1 && m_parser) {
        m_pool = std::make_unique<ParsePool>(jobs, m_parser, m_stopRequested, writeDiagnosticsToStderr);
        m_readAhead = std::make_unique<ReadAhead>([pool = m_pool.get()](std::function<void()> task) { pool->post(std::move(task)); },
                                                  m_stopRequested, m_settings.includeDirectories,
                                                  !m_settings.preprocessSameFile, &m_foundIncludes,
                                                  m_settings.followAngleIncludes);
        m_readAhead->setAfterRead(m_afterReading);
        m_readAheadEnd = 0;
        // Files taken from the last run are not read, nor mostly the files they include: those
        // are preprocessed already.
        m_cachedPaths.clear();
        for (const auto& file : m_previous) {
            m_cachedPaths.insert(file->path);
            forEachUnit(*file->rootUnit, [this](SourceUnit& unit) { m_readAhead->markKnown(unit.fileName); });
        }
    }
    try {
        for (std::size_t k = 0; k < n; ++k) {
            if (m_stopRequested) {
                m_progress = 0;
                break;
            }
            const ProjectEntry& entry = list[order[k]];
            if (entry.selected) {
                m_position = k;
                if (m_readAhead) readAheadFrom(k, order);
                getOrCreateFile(entry.path);
                mergeParsedFiles();
                if (m_readAhead) m_readAhead->release(k + 1);
                m_progress = static_cast<int>(100.0 * static_cast<double>(k) / static_cast<double>(n));
            }
        }
        if (m_pool) m_pool->commit(m_log, true);
    } catch (...) {
        finishPool();
        throw;
    }
    finishPool();
    // A stop noticed at any point (even during the last file) means the run did not complete.
    if (!m_stopRequested) {
        m_log.writeLine(kParsingComplete);
    }
    // Cached files that a stopped run did not reach are analysed afresh next time.
    discardWorkList();
    finishResult();
    if (m_stopRequested) {
        m_log.writeLine(kEngineStopped);
    }
    m_running = false;
}

// Asks the pool to read the project files after position `position` of the run's order. A
// header that a source included already is left out: it is not analysed on its own.
void AnalysisEngine::readAheadFrom(std::size_t position, const std::vector<std::size_t>& order)
{
    const auto& list = m_settings.files;
    const std::size_t end = std::min(order.size(), position + 1 + kFilesAhead);
    for (std::size_t j = std::max(m_readAheadEnd, position + 1); j < end; ++j) {
        const ProjectEntry& entry = list[order[j]];
        if (!entry.selected || m_cachedPaths.count(entry.path)) continue;
        if (isHeaderPath(entry.path)) {
            const auto stamp = m_foundIncludes.stamp(entry.path);
            if (stamp && m_registry.contains(entry.path, *stamp)) continue;
        }
        if (!m_readAhead->request(entry.path, j)) {
            m_readAheadEnd = j;  // no room now: asked for again when the run moves on
            return;
        }
    }
    m_readAheadEnd = std::max(m_readAheadEnd, end);
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
    const SourceLanguage language = languageOfPath(path);
    if (isHeaderPath(path)) {
        // A header that a source of the project includes was analysed as part of that source,
        // with the macros the source defines before it; it is not analysed a second time alone.
        const auto stamp = m_foundIncludes.stamp(path);
        if (stamp && m_registry.contains(path, *stamp)) return;
    }
    auto file = std::make_unique<SourceFile>();
    file->path = path;
    file->rootUnit = std::make_unique<SourceUnit>();
    SourceUnit& root = *file->rootUnit;
    root.fileName = path;
    root.userFile = 1;
    file->macros = MacroTable::layeredOn(m_seededTables[language == SourceLanguage::Cpp ? 1 : 0]);
    if (m_pool) {
        preprocessForPool(std::move(file));
        return;
    }
    try {
        processUnit(root, *file, 0, "Parsing: " + path);
        // The table has done its work: nothing reads it once the file is preprocessed, and a
        // table per file of everything its headers define adds up over a project.
        file->macros = MacroTable();
        parseUnits(root);
    } catch (...) {
        destroyFile(std::move(file));  // its units are registered already
        throw;
    }
    file->complete = !m_stopRequested;
    m_files.push_back(std::move(file));
}

// The pool's half of getOrCreateFile: the file is preprocessed here with its log lines kept
// aside, then handed to the pool, which parses it and writes its lines in project order.
void AnalysisEngine::preprocessForPool(std::unique_ptr<SourceFile> file)
{
    LogSink fileLog;
    std::vector<std::pair<std::size_t, std::string>> diagnostics;
    m_fileLog = &fileLog;
    m_fileDiagnostics = &diagnostics;
    try {
        processUnit(*file->rootUnit, *file, 0, "Parsing: " + file->path);
    } catch (...) {
        m_fileLog = &m_log;
        m_fileDiagnostics = nullptr;
        m_pool->commit(m_log, true);  // the files before it first, as one thread would have it
        HeldOutput{fileLog.takeLines(), std::move(diagnostics)}.replay(
            [this](std::string_view line) { m_log.writeLine(line); }, writeDiagnosticsToStderr);
        destroyFile(std::move(file));
        throw;
    }
    m_fileLog = &m_log;
    m_fileDiagnostics = nullptr;
    file->macros = MacroTable();
    SourceFile* handed = file.get();
    handed->awaitingParse = true;
    m_files.push_back(std::move(file));
    m_pool->submit(*handed->rootUnit, HeldOutput{fileLog.takeLines(), std::move(diagnostics)}, [handed](bool complete) {
        handed->complete = complete;
        handed->awaitingParse = false;
    });
    m_pool->commit(m_log, false);
}

void AnalysisEngine::finishPool()
{
    if (!m_pool) return;
    try {
        m_pool->commit(m_log, true);
    } catch (...) {
        // A failed parse was reported by the loop, or the run is ending for another failure.
    }
    m_pool.reset();  // before the reader, whose tasks the workers run
    m_readAhead.reset();
}

int AnalysisEngine::effectiveJobs(int jobs)
{
    if (jobs > 0) return jobs;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : static_cast<int>(cores);
}

// Brings one unit (a project file's or an included file's) to its preprocessed tokens and applies
// what it does to the file's macro table. A file version already preprocessed in the same macro
// state gives its known result; with "Preprocessing Same Name File" off, a version met before in
// another state only has its directive lines replayed (its declarations come from the unit that
// first read it); otherwise the file is read and preprocessed, and a content equal to one already
// held refers to that unit instead of keeping its tokens. `announce` is written once the file
// has been read, before it is preprocessed.
void AnalysisEngine::processUnit(SourceUnit& unit, SourceFile& file, int depth, std::string_view announce)
{
    auto say = [&] {
        if (!announce.empty()) m_fileLog->writeLine(announce);
    };
    const auto stamp = m_foundIncludes.stamp(unit.fileName);
    if (!stamp) {
        readUnit(unit, nullptr, nullptr);  // writes why it cannot be read
        say();
        return;
    }
    unit.stamp = *stamp;
    const std::uint64_t state = file.macros.fingerprint();
    const bool sameFile = m_settings.preprocessSameFile;
    const bool seen = m_registry.contains(unit.fileName, unit.stamp);
    if (seen) {
        const auto* known = m_registry.outcome(unit.fileName, unit.stamp, state);
        if (!known && !sameFile) known = m_registry.agreeingOutcome(unit.fileName, unit.stamp, file.macros);
        if (known && (known->holder || !sameFile)) {
            say();
            file.macros.noteReads(known->reads);  // before the definitions, which would hide them
            for (const auto& definition : known->changes) file.macros.define(definition);
            if (sameFile) unit.canonical = known->holder;
            return;
        }
        const auto* lines = sameFile ? nullptr : m_registry.directives(unit.fileName, unit.stamp);
        if (lines) {
            say();
            replayDirectives(unit, file, depth, *lines);
            return;
        }
    }

    std::vector<model::Token> lines;
    bool haveLines = false;
    if (!readUnit(unit, sameFile ? nullptr : &lines, &haveLines)) {
        say();
        return;
    }
    if (unit.stamp != *stamp) m_foundIncludes.noteRead(unit.fileName, unit.stamp);
    if (depth > 0) file.includedTokens += unit.tokens.size();
    say();
    if (!sameFile && !haveLines) lines = directiveLines(unit.tokens, m_settings.followAngleIncludes);
    const std::size_t mark = file.macros.journalMark();
    ReadSet reads(file.macros, depth);
    preprocessFramed(unit, file, depth);
    if (m_stopRequested) return;  // cut short: nothing of it is kept for other units
    if (!sameFile && seen) {
        // Read only for its macros: its declarations are shown by the unit that holds it.
        unit.dropTokens();
        m_registry.setDirectives(unit.fileName, unit.stamp, std::move(lines));
        if (depth > 0 && m_registry.hasRoomForOutcome(unit.fileName, unit.stamp)) {
            m_registry.recordOutcome(unit.fileName, unit.stamp, state, {nullptr, file.macros.changesSince(mark), {}},
                                     reads.close());
        }
        return;
    }
    unit.tokens.shrink_to_fit();
    SourceUnit* holder = m_registry.sameContent(unit, !sameFile);
    if (holder) {
        unit.canonical = holder;
        unit.dropTokens();
    } else {
        m_registry.addHolder(unit, !sameFile);
        holder = &unit;
    }
    if (!sameFile && !m_registry.directives(unit.fileName, unit.stamp)) {
        m_registry.setDirectives(unit.fileName, unit.stamp, std::move(lines));
    }
    // A project file's own table state is the seeds alone, which another file including it
    // hardly ever has: its definitions are not worth keeping for that.
    if (depth > 0 && m_registry.hasRoomForOutcome(unit.fileName, unit.stamp)) {
        m_registry.recordOutcome(unit.fileName, unit.stamp, state, {holder, file.macros.changesSince(mark), {}},
                                 reads.close());
    }
}

// Reads the unit's file into its tokens as tokenizeFile does, writing what that writes where the
// file's lines go. What a worker read ahead is taken when the file is still as it was read; with
// `directives`, the directive lines it took out come too (`haveDirectives` says so).
bool AnalysisEngine::readUnit(SourceUnit& unit, std::vector<model::Token>* directives, bool* haveDirectives)
{
    if (m_readAhead) {
        std::optional<EarlyRead> early = m_readAhead->take(unit.fileName);
        if (m_beforeUse) m_beforeUse(unit.fileName);
        if (early) {
            const auto now = statSourceFile(unit.fileName);
            if (now && *now == early->stamp) {
                ++m_readAheadCounts.used;
                unit.tokens = std::move(early->tokens);
                unit.stamp = early->stamp;
                early->output.replay([this](std::string_view line) { m_fileLog->writeLine(line); },
                                     [this](std::string_view text) { writeDiagnostics(text); });
                if (directives && early->hasDirectives) {
                    *directives = std::move(early->directives);
                    *haveDirectives = true;
                }
                return early->read;
            }
            ++m_readAheadCounts.stale;
        }
    }
    bool opened = false;
    const TokenizeTarget target{[this](std::string_view line) { m_fileLog->writeLine(line); },
                                [this](std::string_view text) { writeDiagnostics(text); }, {}};
    const bool read = tokenizeFileTo(unit.fileName, unit.tokens, unit.stamp, opened, target) == FileRead::Read;
    // What it includes can still be read ahead while it is preprocessed.
    if (read && m_readAhead) m_readAhead->requestIncludes(unit.fileName, quotedIncludeNames(unit.tokens), m_position);
    return read;
}

// An unknown-character message: held with the file's lines while a pool parses files, so that
// it comes out between the same lines as on one thread; else written at once.
void AnalysisEngine::writeDiagnostics(std::string_view text)
{
    if (m_fileDiagnostics) {
        m_fileDiagnostics->emplace_back(m_fileLog->lineCount(), std::string(text));
    } else {
        writeDiagnosticsToStderr(text);
    }
}

// Runs the preprocessor over the directive lines of a file version read before: the macro table
// ends up as if the whole file had been preprocessed in the current state; the unit keeps no
// tokens. Units of nested includes are kept only when they hold something new.
void AnalysisEngine::replayDirectives(SourceUnit& unit, SourceFile& file, int depth,
                                      const std::vector<model::Token>& directives)
{
    const std::uint64_t state = file.macros.fingerprint();
    const std::size_t mark = file.macros.journalMark();
    ReadSet reads(file.macros, depth);
    file.includedTokens += directives.size();
    unit.tokens = directives;
    preprocessFramed(unit, file, depth);
    unit.dropTokens();
    std::erase_if(unit.includedUnits, [this](const std::unique_ptr<SourceUnit>& nested) {
        if (nested->hasTokens() || !nested->includedUnits.empty() || nested->canonical) return false;
        m_registry.eraseUnit(*nested);  // an empty file may hold its version: it goes with it
        return true;
    });
    if (m_stopRequested || depth == 0 || !m_registry.hasRoomForOutcome(unit.fileName, unit.stamp)) return;
    m_registry.recordOutcome(unit.fileName, unit.stamp, state, {nullptr, file.macros.changesSince(mark), {}},
                             reads.close());
}

// Runs the preprocessor over one unit; a failure that ends it is logged and the run goes on
// with what the unit holds.
void AnalysisEngine::preprocessFramed(SourceUnit& unit, SourceFile& file, int depth)
{
    try {
        PreprocessEnvironment env{file.macros, m_settings.includeDirectories, m_settings.followAngleIncludes,
                                  m_stopRequested, *m_fileLog,
                                  [this, &file](const std::string& path, int userFile, int nested) {
                                      return includeFile(file, path, userFile, nested);
                                  },
                                  &m_foundIncludes};
        preprocessUnit(unit, env, depth);
    } catch (const std::exception&) {
        m_fileLog->writeLine(unit.fileName + ": Preprocessing Error");
    }
}

std::unique_ptr<SourceUnit> AnalysisEngine::includeFile(SourceFile& file, const std::string& path, int userFile,
                                                        int depth)
{
    if (file.includeBudgetSpent) return nullptr;
    if (file.includes >= m_settings.maxIncludes || file.includedTokens >= m_settings.maxIncludedTokens) {
        file.includeBudgetSpent = true;
        m_fileLog->writeLine(file.path + ": too many included files or tokens; no further files are included");
        return nullptr;
    }
    ++file.includes;
    auto unit = std::make_unique<SourceUnit>();
    unit->fileName = path;
    unit->userFile = userFile;
    processUnit(*unit, file, depth, {});
    return unit;
}

void AnalysisEngine::parseUnits(SourceUnit& root)
{
    if (!m_parser) return;
    forEachUnit(root, [this](SourceUnit& unit) {
        if (!m_stopRequested) m_parser(unit, m_stopRequested, *m_fileLog);
    });
}

void AnalysisEngine::destroyFile(std::unique_ptr<SourceFile> file)
{
    if (!file) return;
    // The result refers to the file's nodes; it is rebuilt before anyone reads it again.
    if (file->rootUnit) {
        forEachUnit(*file->rootUnit, [this](SourceUnit& unit) { m_registry.eraseUnit(unit); });
    }
}

void AnalysisEngine::discardWorkList()
{
    while (!m_previous.empty()) {
        destroyFile(std::move(m_previous.back()));
        m_previous.pop_back();
    }
}

// Adds to the next result the files at the front of m_files that are parsed, in order. With a
// pool, a worker does the adding (the run's own thread is the one the run waits for): the files
// go into a queue that a posted task empties.
void AnalysisEngine::mergeParsedFiles()
{
    bool queued = false;
    while (m_merged < m_files.size() && !m_files[m_merged]->awaitingParse) {
        SourceUnit& root = *m_files[m_merged]->rootUnit;
        ++m_merged;
        if (m_pool) {
            std::lock_guard lock(m_mergeQueueMutex);
            m_mergeQueue.push_back(&root);
            queued = true;
        } else {
            m_building->add(root);
        }
    }
    if (queued) m_pool->post([this] { mergeQueued(); });
}

// Adds the queued files to the next result. Whoever merges holds m_mergeMutex from taking the
// files to adding the last of them, so that files are added in their queue's order however many
// workers run this at once.
void AnalysisEngine::mergeQueued() noexcept
{
    std::lock_guard merging(m_mergeMutex);
    std::vector<SourceUnit*> roots;
    {
        std::lock_guard lock(m_mergeQueueMutex);
        roots.swap(m_mergeQueue);
    }
    if (m_mergeFailure) return;
    try {
        for (SourceUnit* root : roots) m_building->add(*root);
    } catch (...) {
        m_mergeFailure = std::current_exception();  // reported when the run ends
    }
}

void AnalysisEngine::finishResult()
{
    // The pool is gone: what no worker got to first, then the files committed last.
    mergeQueued();
    mergeParsedFiles();
    assert(m_merged == m_files.size());
    if (m_mergeFailure) std::rethrow_exception(std::exchange(m_mergeFailure, nullptr));
    m_building.reset();
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

void AnalysisEngine::forgetFiles(const std::vector<std::string>& paths)
{
    if (m_active || paths.empty()) return;
    const std::unordered_set<std::string> forgotten(paths.begin(), paths.end());
    std::vector<std::unique_ptr<SourceFile>> kept;
    kept.reserve(m_files.size());
    for (auto& file : m_files) {
        if (forgotten.count(file->path)) {
            destroyFile(std::move(file));
        } else {
            kept.push_back(std::move(file));
        }
    }
    m_files = std::move(kept);
}

void AnalysisEngine::rebuildResult()
{
    if (m_active) return;
    buildResult();
}

}  // namespace qm::frontend
