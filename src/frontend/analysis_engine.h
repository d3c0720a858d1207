// AnalysisEngine: runs the front end and the parser over a project, on a thread of its own or
// on the caller's. Each selected file is read, seeded with the predefined words of its language,
// preprocessed with everything it includes, and parsed; its trees are merged into the symbol
// table as soon as it is parsed, in the project's order. Sources go before headers, and a header
// that a source included is not analysed again on its own. A header is read and parsed once
// however many files include it, and each of them still gets the macros it defines in that
// file's own state (PreprocessedRegistry). Files whose size and modification time did not change
// are taken from the previous run.
//
// The engine touches nothing of the window system: progress, the active and finished flags are
// atomics that the desktop program polls with timers, and every message goes to a LogSink.
#pragma once

#include "frontend/include_paths.h"
#include "frontend/log_sink.h"
#include "frontend/macro_table.h"
#include "frontend/option_files.h"
#include "frontend/preprocessed_registry.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"
#include "model/symbol_table_builder.h"

#include <atomic>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qm::frontend {

// One file of the project's normalised list.
struct ProjectEntry {
    std::string path;
    bool selected = true;
};

// The default include budget of one project file (see RunSettings).
inline constexpr std::size_t kMaxIncludesPerFile = 50'000;
inline constexpr std::size_t kMaxIncludedTokensPerFile = std::size_t{16} << 20;

// What one run works on; taken over whole when the run starts.
struct RunSettings {
    std::vector<ProjectEntry> files;              // in the project's normalised order
    std::vector<std::string> includeDirectories;  // the list selected for the run
    PredefinedWordList macroSeeds;                // global predefined words, then project defines
                                                  // (each file gets those of its language)
    bool followAngleIncludes = false;             // follow `#include <...>`
    bool preprocessSameFile = false;              // preprocess a file version again when met again
    // Threads that read the next files ahead and parse files while the next ones are
    // preprocessed; 1 reads and parses on the run's own thread, 0 means one per core. The result
    // and the log are the same for every value.
    int jobs = 1;
    // What the includes of one project file may cost together: the units they create and the
    // tokens those units read. Past either, no further file is included into that project file
    // (one log line). Nesting depth alone does not bound this: a header that includes the next one
    // twice doubles the work with each level.
    std::size_t maxIncludes = kMaxIncludesPerFile;
    std::size_t maxIncludedTokens = kMaxIncludedTokensPerFile;
};

// Parses one unit's tokens into its nodes; called for every new unit. It polls `stop` and writes
// its messages to the log.
using UnitParser = std::function<void(model::SourceUnit& unit, const std::atomic<bool>& stop, LogSink& log)>;

// One analysed project file: its unit, the units it includes, and the macros they share.
struct SourceFile {
    std::string path;
    std::unique_ptr<model::SourceUnit> rootUnit;
    MacroTable macros;  // while the file is preprocessed; empty afterwards
    bool complete = true;  // false when a stop cut its analysis short: the next run analyses it again
    bool awaitingParse = false;  // handed to the pool and not committed yet
    std::size_t includes = 0;        // units included so far, at any depth
    std::size_t includedTokens = 0;  // tokens those units read
    bool includeBudgetSpent = false;
};

class ParsePool;
class ReadAhead;

// How the files read ahead on the pool went in the last run: taken as read, or read again
// because the file had changed since.
struct ReadAheadCounts {
    std::size_t used = 0;
    std::size_t stale = 0;
};

class AnalysisEngine {
public:
    static constexpr std::string_view kAlreadyRunning = "Analysis Engine already run.";
    static constexpr std::string_view kThreadFailed = "Analysis Engine Thread run fail.";
    static constexpr std::string_view kStopAccepted = "Stop request accpet";
    static constexpr std::string_view kParsingComplete = "Parsing Complete.";
    static constexpr std::string_view kEngineStopped = "Engine stopped.";

    explicit AnalysisEngine(LogSink& log);
    AnalysisEngine(const AnalysisEngine&) = delete;
    AnalysisEngine& operator=(const AnalysisEngine&) = delete;
    ~AnalysisEngine();  // stops a running run and waits for it

    void setParser(UnitParser parser) { m_parser = std::move(parser); }

    // Test seams, for runs that read files ahead: `beforeUse` is called on the run's thread for
    // each file it reads, after taking what a worker read of it and before comparing stamps;
    // `afterReading` on a worker once a file it read ahead can be taken.
    void setReadAheadSeams(std::function<void(const std::string& path)> beforeUse,
                           std::function<void(const std::string& path)> afterReading)
    {
        m_beforeUse = std::move(beforeUse);
        m_afterReading = std::move(afterReading);
    }
    // Read only while no run is active.
    ReadAheadCounts readAheadCounts() const noexcept { return m_readAheadCounts; }

    enum class StartResult { Started, AlreadyRunning, ThreadFailed };
    // Starts a run on a background thread at lower priority. A run already active is left alone;
    // the caller shows kAlreadyRunning (or kThreadFailed) as the result says.
    StartResult startRun(RunSettings settings);

    // Runs on the calling thread and returns when the run is over.
    void runSynchronously(RunSettings settings);

    // Asks an active run to end early; it keeps what it analysed so far. Writes kStopAccepted.
    void requestStop();
    // When a run is active: requests a stop and waits until the run has ended.
    void stopAndWait();

    // Forgets every cached file (only while no run is active); the next run analyses all afresh.
    void clearAll();
    // Forgets the cached file with this exact path, if any (only while no run is active).
    void forgetFile(const std::string& path);
    // Forgets every cached file whose path is one of `paths`, in one pass (only while no run is
    // active).
    void forgetFiles(const std::vector<std::string>& paths);
    // Rebuilds the symbol table from the cached files (only while no run is active).
    void rebuildResult();

    bool isActive() const noexcept { return m_active.load(); }
    // True once after each finished run: the views rebuild their diagrams when it is set. It is
    // set before the engine stops being active.
    bool takeRunFinished() noexcept { return m_runFinished.exchange(false); }
    bool runFinished() const noexcept { return m_runFinished.load(); }
    int progressPercent() const noexcept { return m_progress.load(); }
    bool stopRequested() const noexcept { return m_stopRequested.load(); }

    // The merged result and the files of the last run; read them only while no run is active.
    const model::SymbolEntry& result() const noexcept { return m_root; }
    const std::vector<std::unique_ptr<SourceFile>>& files() const noexcept { return m_files; }

private:
    void resetRunFlags();
    void threadBody();
    void runBody();
    void dropUnselectedAndChangedFiles();
    void getOrCreateFile(const std::string& path);
    void preprocessForPool(std::unique_ptr<SourceFile> file);
    void finishPool();
    static int effectiveJobs(int jobs);
    void readAheadFrom(std::size_t position, const std::vector<std::size_t>& order);
    bool readUnit(model::SourceUnit& unit, std::vector<model::Token>* directives, bool* haveDirectives);
    void writeDiagnostics(std::string_view text);
    void processUnit(model::SourceUnit& unit, SourceFile& file, int depth, std::string_view announce);
    void preprocessFramed(model::SourceUnit& unit, SourceFile& file, int depth);
    void replayDirectives(model::SourceUnit& unit, SourceFile& file, int depth,
                          const std::vector<model::Token>& directives);
    std::unique_ptr<model::SourceUnit> includeFile(SourceFile& file, const std::string& path, int userFile, int depth);
    void parseUnits(model::SourceUnit& root);
    void destroyFile(std::unique_ptr<SourceFile> file);
    void discardWorkList();
    void mergeParsedFiles();
    void mergeQueued() noexcept;
    void finishResult();
    void buildResult();

    LogSink& m_log;
    // Where the lines of the file being analysed go: the log, or the file's own lines while a
    // pool parses files.
    LogSink* m_fileLog;
    // The unknown-character messages of the file being analysed while a pool parses files
    // (kept with its lines), else none: they go to standard error at once.
    std::vector<std::pair<std::size_t, std::string>>* m_fileDiagnostics = nullptr;
    std::unique_ptr<ParsePool> m_pool;
    // Reads the next files on the pool's workers; only while a pool is there.
    std::unique_ptr<ReadAhead> m_readAhead;
    std::size_t m_readAheadEnd = 0;  // positions of the run's order before this one were asked for
    std::size_t m_position = 0;      // in the run's order, of the project file being analysed
    std::unordered_set<std::string> m_cachedPaths;  // files of the work list, taken as they are
    ReadAheadCounts m_readAheadCounts;
    std::function<void(const std::string& path)> m_beforeUse;
    std::function<void(const std::string& path)> m_afterReading;
    UnitParser m_parser;
    RunSettings m_settings;
    std::vector<std::unique_ptr<SourceFile>> m_files;     // the project files of the last run
    std::vector<std::unique_ptr<SourceFile>> m_previous;  // work list during a run
    PreprocessedRegistry m_registry;
    // The run's seeds for C files and for C++ files, shared by every file's table.
    std::shared_ptr<const MacroTable> m_seededTables[2];
    FoundIncludes m_foundIncludes;  // shared with the reader's threads
    model::SymbolEntry m_root;
    model::NamelessCounters m_counters;
    // Builds the next result in m_root during a run from each file as soon as it is parsed, in the
    // order of m_files: when a run ends (or is stopped) little is left to merge.
    std::optional<model::SymbolTableBuilder> m_building;
    std::size_t m_merged = 0;  // files of m_files added to m_building, or queued for it
    // With a pool, the parsed files waiting for a worker to add them to m_building, in order.
    std::mutex m_mergeQueueMutex;
    std::vector<model::SourceUnit*> m_mergeQueue;
    std::mutex m_mergeMutex;            // held while files are added to m_building
    std::exception_ptr m_mergeFailure;  // of a worker's adding, rethrown at the run's end

    std::thread m_thread;
    std::atomic<bool> m_active{false};
    std::atomic<bool> m_running{false};
    std::atomic<bool> m_runFinished{false};
    std::atomic<bool> m_stopRequested{false};
    std::atomic<int> m_progress{0};
};

}  // namespace qm::frontend
