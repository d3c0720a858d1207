// ParsePool: parses preprocessed project files on worker threads while the engine's thread goes
// on preprocessing the next ones. Preprocessing stays on one thread, in project order (what one
// file's headers define decides what the next file sees); parsing a file touches nothing but its
// own units, so any number of files can be parsed at once.
//
// Every file's log lines (those of its preprocessing, handed over with it, and those of its
// parse) are held until the lines of every file handed over before it have been written, so that
// the log reads line for line as a run on one thread writes it. Its unknown-character messages
// are held with them, so that standard error reads the same too.
//
// The workers also run small tasks posted to them (reading files ahead for the preprocessing
// thread), before any parse: the preprocessing thread is the one the whole run waits for.
#pragma once

#include "frontend/log_sink.h"
#include "model/source_unit.h"

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace qm::frontend {

class ParsePool {
public:
    // Parses one unit, polling `stop`, writing its messages to the log it is given.
    using Parser = std::function<void(model::SourceUnit& unit, const std::atomic<bool>& stop, LogSink& log)>;
    // Called on the committing thread once a file's lines are written: whether its parse ran to
    // its end.
    using Finished = std::function<void(bool complete)>;

    // Where the held unknown-character messages are written.
    using DiagnosticsWriter = std::function<void(std::string_view text)>;

    // `workers` threads (at least 1) parse with `parser`; both `parser` and `stop` must outlive
    // the pool.
    ParsePool(int workers, const Parser& parser, const std::atomic<bool>& stop, DiagnosticsWriter diagnostics);
    // Waits for every file handed over, then ends the workers.
    ~ParsePool();
    ParsePool(const ParsePool&) = delete;
    ParsePool& operator=(const ParsePool&) = delete;

    // Hands over the root unit of a preprocessed file with the output its preprocessing wrote.
    // Its units, and every unit they include, are parsed in the order a run on one thread parses
    // them (nothing once a stop was asked for); `finished` hears how it went when it is committed.
    void submit(model::SourceUnit& root, HeldOutput output, Finished finished);

    // Runs `task` on a worker, before the parses waiting then. Tasks not started when the pool
    // is destroyed are dropped unrun.
    void post(std::function<void()> task);

    // Writes to `log`, in the order they were handed over, the lines of the files at the front
    // whose parse has ended; with `waitForAll`, parses on the calling thread the files no worker
    // has taken yet and waits until every file handed over has been written. A parse that failed
    // has its failure rethrown here, after the lines before it.
    void commit(LogSink& log, bool waitForAll);

private:
    struct Job {
        model::SourceUnit* root = nullptr;
        HeldOutput output;
        Finished finished;
        LogSink parseLog;
        bool done = false;
        bool complete = false;
        std::exception_ptr failure;
    };

    void work();
    // Parses the job's units; a failure is kept in it.
    void parse(Job& job) noexcept;
    // Takes the next job no worker has taken, parses it with the lock released and marks it done.
    void parseNext(std::unique_lock<std::mutex>& lock);

    const Parser& m_parser;
    const std::atomic<bool>& m_stop;
    DiagnosticsWriter m_diagnostics;
    std::deque<std::function<void()>> m_tasks;
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::unique_ptr<Job>> m_jobs;  // handed over and not yet written, in order
    std::size_t m_next = 0;                   // index in m_jobs of the first job no worker took
    bool m_quit = false;
    std::vector<std::thread> m_workers;
};

}  // namespace qm::frontend
