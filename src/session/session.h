// Session: the one open project of the desktop program and everything that belongs to it while
// the program runs — the project document, the analysis engine (made with its parser), the log
// the engine and the commands write to, the latest analysis result and the element picked in
// the macro diagram. It starts and stops runs, hands the result to the views only while no run
// is writing it, and tells every view before a run starts, after it ends and when the result is
// thrown away.
//
// No window system here: the desktop program polls the session from its timers (the log every
// 50 ms, progress every 200 ms), so everything but the engine's own thread runs on the
// user-interface thread.
#pragma once

#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "macro/detail_selection.h"
#include "model/symbol_table.h"
#include "project/message_reporter.h"
#include "project/project_document.h"
#include "settings/app_settings.h"

#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace qm::session {

// What a view does when the analysis result comes and goes. The result a view was given stays
// valid until the next runStarting() or resultCleared().
class SessionObserver {
public:
    virtual ~SessionObserver() = default;
    // A run is about to start and will free the nodes and entries of the previous result: drop
    // every pointer into it and draw nothing from it until runFinished().
    virtual void runStarting() = 0;
    // A run has ended (finished or stopped); `root` is its symbol table.
    virtual void runFinished(const model::SymbolEntry& root) = 0;
    // The result is gone (Clear All, a new or opened project): drop every pointer into it.
    virtual void resultCleared() = 0;
    // Files were removed from the project and `root` was rebuilt from the rest. The entries of
    // the previous result are gone already: drop every pointer into it without reading it, then
    // take the new one. By default that is resultCleared() followed by runFinished().
    virtual void resultReplaced(const model::SymbolEntry& root)
    {
        resultCleared();
        runFinished(root);
    }
};

class Session {
public:
    static constexpr std::string_view kAlreadyRunning = frontend::AnalysisEngine::kAlreadyRunning;
    static constexpr std::string_view kThreadFailed = frontend::AnalysisEngine::kThreadFailed;

    // `settings` gives the include directories, the predefined words and the run flags of every
    // run; `messages` shows the project's messages ("Project Saved.", ...). Both must outlive the
    // session.
    Session(settings::AppSettings& settings, project::MessageReporter& messages);
    // Stops a running analysis and waits for it.
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    project::ProjectDocument& project() noexcept { return m_project; }
    const project::ProjectDocument& project() const noexcept { return m_project; }
    frontend::LogSink& log() noexcept { return m_log; }
    macro::DetailSelection& selection() noexcept { return m_selection; }
    settings::AppSettings& settings() noexcept { return m_settings; }

    // Observers are told in the order they were added; each must stay alive until removed.
    void addObserver(SessionObserver& observer);
    void removeObserver(SessionObserver& observer);

    // --- analysis runs ----------------------------------------------------------------------
    bool isRunActive() const noexcept { return m_engine->isActive(); }
    // True from a stop request until the run has ended.
    bool isStopping() const noexcept { return m_engine->isActive() && m_engine->stopRequested(); }

    // Starts a run over the project's selected files with the include list, the predefined words
    // (global, then the project's) and the flags the settings give; `followAngleIncludes` is the
    // "Parsing VC Header" switch. A run already active is left alone (AlreadyRunning). Otherwise
    // the selection is cleared and every observer hears runStarting() before the engine's thread
    // starts.
    frontend::AnalysisEngine::StartResult startRun(bool followAngleIncludes);
    // Asks the active run to stop ("Stop request accpet" in the log); false when none is active.
    bool requestStop();
    // Stops an active run and waits until it has ended; the run's end is then reported by the
    // next pollRunFinished().
    void stopAndWait();

    // Called by the user-interface thread's timer: when the engine's thread has ended a run since
    // the last call, the result is taken over, every observer hears runFinished() and the answer
    // is true.
    bool pollRunFinished();
    // The progress bar's next position, when it should change: while a run is active (and no stop
    // was asked for) its percentage whenever that differs from the last one given; after a run or
    // a stop request 0 once, when anything else had been given.
    std::optional<int> pollProgress();

    // The symbol table of the last run; null while a run is active and before the first run.
    const model::SymbolEntry* result() const noexcept;

    // Throws the analysis away (the engine's cache of unchanged files included): every observer
    // hears resultCleared(). Waits for a run that is stopping.
    void clearResults();

    // --- the project ------------------------------------------------------------------------
    // The project file the project was opened from or saved to; empty for a new project.
    const std::string& projectPath() const noexcept { return m_projectPath; }
    bool isModified() const noexcept { return m_project.isModified(); }

    // A new, empty project; the analysis is thrown away.
    void newProject();
    // Opens a project file (see ProjectDocument::open) and throws the analysis away. On failure
    // the project is empty and has no file name.
    bool openProject(const std::string& path);
    // The same, with the open's messages going to `messages` instead.
    bool openProject(const std::string& path, project::MessageReporter& messages);
    // Saves the project to `path`, which becomes its file name when the save succeeded. When
    // another program changed that file since the project was opened or saved, `overwriteChanged`
    // decides (without it the save is refused with a message).
    bool saveProject(const std::string& path, const project::OverwriteChangedQuestion& overwriteChanged = {});
    // Adds what a path names: a folder with its subfolders, or a file by its kind (sources, Visual
    // C++ workspaces and projects). Anything else is written to the log as skipped.
    void addPath(const std::string& path);
    // The append dialog's files (ProjectDocument::appendFiles).
    void appendFiles(const std::vector<std::string>& paths);
    // Files dropped on the window (ProjectDocument::drop).
    void dropFiles(const std::vector<std::string>& paths);
    // Removes the entries at `rows` of the normalised file list (any order) together with what
    // the last run kept of them; the result is rebuilt from the other files and every observer
    // hears resultReplaced(). Refused (false, nothing changed) while a run is active, since the
    // run holds the files' results. Rows out of range are ignored.
    bool removeFiles(const std::vector<std::size_t>& rows);

private:
    template <typename Call>
    void notify(Call call);
    // The picked element is forgotten (its nodes are about to go).
    void forgetSelection();
    // The pick and the result are forgotten: the result is about to be freed.
    void forgetResult();

    settings::AppSettings& m_settings;
    project::MessageReporter& m_messages;
    project::ProjectDocument m_project;
    std::string m_projectPath;
    frontend::LogSink m_log;
    std::unique_ptr<frontend::AnalysisEngine> m_engine;
    macro::DetailSelection m_selection;
    std::vector<SessionObserver*> m_observers;
    bool m_hasResult = false;  // a run has ended since the result was last thrown away
    int m_progressShown = 0;   // the progress bar's position as last given
};

}  // namespace qm::session
