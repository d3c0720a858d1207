#include "frontend/parse_pool.h"

#include <sys/resource.h>
#include <unistd.h>

namespace qm::frontend {

namespace {

// Calls `visit` on `root` and every unit it includes, depth first in list order.
template <typename Visit>
void forEachUnit(model::SourceUnit& root, Visit&& visit)
{
    std::vector<model::SourceUnit*> pending{&root};
    while (!pending.empty()) {
        model::SourceUnit* unit = pending.back();
        pending.pop_back();
        visit(*unit);
        for (auto it = unit->includedUnits.rbegin(); it != unit->includedUnits.rend(); ++it) {
            pending.push_back(it->get());
        }
    }
}

}  // namespace

ParsePool::ParsePool(int workers, const Parser& parser, const std::atomic<bool>& stop, DiagnosticsWriter diagnostics)
    : m_parser(parser), m_stop(stop), m_diagnostics(std::move(diagnostics))
{
    const int count = workers < 1 ? 1 : workers;
    m_workers.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        m_workers.emplace_back([this] {
            // Below the user interface's priority, like the engine's own thread.
            ::setpriority(PRIO_PROCESS, static_cast<id_t>(::gettid()), 5);
            work();
        });
    }
}

ParsePool::~ParsePool()
{
    {
        std::lock_guard lock(m_mutex);
        m_quit = true;
    }
    m_changed.notify_all();
    for (std::thread& worker : m_workers) worker.join();
}

void ParsePool::submit(model::SourceUnit& root, HeldOutput output, Finished finished)
{
    auto job = std::make_unique<Job>();
    job->root = &root;
    job->output = std::move(output);
    job->finished = std::move(finished);
    {
        std::lock_guard lock(m_mutex);
        m_jobs.push_back(std::move(job));
    }
    m_changed.notify_all();
}

void ParsePool::post(std::function<void()> task)
{
    {
        std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_changed.notify_one();
}

void ParsePool::work()
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_quit || m_next < m_jobs.size() || !m_tasks.empty(); });
        if (!m_quit && !m_tasks.empty()) {
            std::function<void()> task = std::move(m_tasks.front());
            m_tasks.pop_front();
            lock.unlock();
            task();
            task = nullptr;  // whatever it holds goes before the lock is taken again
            lock.lock();
            continue;
        }
        if (m_next >= m_jobs.size()) {
            return;  // quitting, and nothing is left to parse
        }
        parseNext(lock);
    }
}

void ParsePool::parseNext(std::unique_lock<std::mutex>& lock)
{
    Job& job = *m_jobs[m_next++];
    lock.unlock();
    parse(job);
    lock.lock();
    job.done = true;
    m_changed.notify_all();
}

void ParsePool::parse(Job& job) noexcept
{
    try {
        bool complete = true;
        forEachUnit(*job.root, [&](model::SourceUnit& unit) {
            if (m_stop) {
                complete = false;
                return;
            }
            m_parser(unit, m_stop, job.parseLog);
        });
        job.complete = complete && !m_stop;
    } catch (...) {
        job.failure = std::current_exception();
    }
}

void ParsePool::commit(LogSink& log, bool waitForAll)
{
    std::unique_lock lock(m_mutex);
    for (;;) {
        while (!m_jobs.empty() && m_jobs.front()->done) {
            std::unique_ptr<Job> job = std::move(m_jobs.front());
            m_jobs.pop_front();
            --m_next;
            lock.unlock();
            job->output.replay([&log](std::string_view line) { log.writeLine(line); }, m_diagnostics);
            for (const std::string& line : job->parseLog.takeLines()) log.writeLine(line);
            if (job->failure) std::rethrow_exception(job->failure);
            if (job->finished) job->finished(job->complete);
            lock.lock();
        }
        if (!waitForAll || m_jobs.empty()) return;
        if (m_next < m_jobs.size()) {
            // A file no worker has taken yet (they are busy, or the machine's other work keeps
            // them from running): parsed here rather than waited for.
            parseNext(lock);
            continue;
        }
        m_changed.wait(lock);
    }
}

}  // namespace qm::frontend
