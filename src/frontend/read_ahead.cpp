#include "frontend/read_ahead.h"

#include "frontend/include_paths.h"
#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"

#include <algorithm>

namespace qm::frontend {

namespace tok = model::tok;

std::vector<std::string> quotedIncludeNames(const std::vector<model::Token>& tokens)
{
    std::vector<std::string> names;
    const std::size_t n = tokens.size();
    for (std::size_t i = 0; i + 2 < n; ++i) {
        if (tokens[i].code != '#' || (i > 0 && tokens[i - 1].code != tok::Newline)) continue;
        if (tokens[i + 1].code != tok::Include) continue;
        const model::TokenCode code = tokens[i + 2].code;
        if (code == tok::StringLiteral || code == tok::QuotedHeaderName) {
            names.push_back(toSlashes(tokens[i + 2].text.str()));
        }
    }
    return names;
}

ReadAhead::ReadAhead(Post post, const std::atomic<bool>& stop, const std::vector<std::string>& includeDirectories,
                     bool directives, FoundIncludes* found, bool angleIncludes)
    : m_post(std::move(post)), m_stop(stop), m_includeDirectories(includeDirectories), m_directives(directives),
      m_angleIncludes(angleIncludes), m_found(found)
{
}

ReadAhead::Enqueued ReadAhead::enqueue(const std::string& path, std::size_t owner)
{
    if (owner < m_released || m_known.count(path)) return Enqueued::Known;
    if (m_entries.size() >= kMaxEntries) return Enqueued::NoRoom;
    m_known.insert(path);
    Entry entry;
    entry.owner = owner;
    entry.order = m_nextOrder++;
    m_waiting.emplace(QueueKey{owner, entry.order}, path);
    m_entries.emplace(path, std::move(entry));
    return Enqueued::Added;
}

bool ReadAhead::request(const std::string& path, std::size_t owner)
{
    Enqueued enqueued;
    {
        std::lock_guard lock(m_mutex);
        enqueued = enqueue(path, owner);
    }
    if (enqueued == Enqueued::Added) m_post([this] { readOne(); });
    return enqueued != Enqueued::NoRoom;
}

void ReadAhead::requestIncludes(const std::string& includer, std::vector<std::string> names, std::size_t owner)
{
    if (names.empty()) return;
    {
        std::lock_guard lock(m_mutex);
        if (owner < m_released) return;
        m_scans.push_back(Scan{includer, std::move(names), owner});
    }
    m_post([this] { readOne(); });
}

std::size_t ReadAhead::enqueueIncludes(const std::string& includer, const std::vector<std::string>& names,
                                       std::size_t owner)
{
    std::vector<std::string> paths;
    paths.reserve(names.size());
    for (const std::string& name : names) {
        paths.push_back(m_found ? m_found->quoted(includer, name, m_includeDirectories)
                                : findQuotedInclude(includer, name, m_includeDirectories));
    }
    std::size_t added = 0;
    std::lock_guard lock(m_mutex);
    for (std::string& path : paths) {
        switch (enqueue(path, owner)) {
        case Enqueued::Added: ++added; break;
        case Enqueued::Known: break;
        case Enqueued::NoRoom:
            // Asked for again as soon as a read is taken or dropped.
            if (owner >= m_released) m_deferred[owner].push_back(std::move(path));
            break;
        }
    }
    return added;
}

std::size_t ReadAhead::admitDeferred()
{
    std::size_t added = 0;
    while (m_entries.size() < kMaxEntries && !m_deferred.empty()) {
        auto first = m_deferred.begin();
        if (first->first >= m_released && !first->second.empty()) {
            if (enqueue(first->second.front(), first->first) == Enqueued::Added) ++added;
            first->second.pop_front();
        }
        if (first->first < m_released || first->second.empty()) m_deferred.erase(first);
    }
    return added;
}

void ReadAhead::postReads(std::size_t count)
{
    for (; count > 0; --count) m_post([this] { readOne(); });
}

void ReadAhead::markKnown(const std::string& path)
{
    std::lock_guard lock(m_mutex);
    m_known.insert(path);
}

void ReadAhead::erase(std::unordered_map<std::string, Entry>::iterator it)
{
    m_bytes -= it->second.bytes;
    m_entries.erase(it);
}

std::optional<EarlyRead> ReadAhead::take(const std::string& path)
{
    std::unique_lock lock(m_mutex);
    m_known.insert(path);
    auto it = m_entries.find(path);
    if (it == m_entries.end()) return std::nullopt;
    switch (it->second.state) {
    case State::Waiting: {
        m_waiting.erase(QueueKey{it->second.owner, it->second.order});
        erase(it);
        const std::size_t admitted = admitDeferred();
        lock.unlock();
        postReads(admitted);
        return std::nullopt;
    }
    case State::Done: {
        std::optional<EarlyRead> result(std::move(*it->second.result));
        erase(it);
        const std::size_t admitted = admitDeferred();
        lock.unlock();
        postReads(admitted);
        return result;
    }
    case State::Reading:
        // The caller does not wait: a worker shares its core with the other workers (and with
        // whatever else the machine runs), so it is seldom done sooner than the caller would be.
        it->second.state = State::Dropped;
        break;
    case State::Dropped:  // its worker throws the result away when done
        break;
    }
    return std::nullopt;
}

void ReadAhead::release(std::size_t owner)
{
    std::unique_lock lock(m_mutex);
    m_released = std::max(m_released, owner);
    for (auto it = m_entries.begin(); it != m_entries.end();) {
        Entry& entry = it->second;
        if (entry.owner >= owner) {
            ++it;
            continue;
        }
        switch (entry.state) {
        case State::Waiting:
            m_waiting.erase(QueueKey{entry.owner, entry.order});
            m_bytes -= entry.bytes;
            it = m_entries.erase(it);
            continue;
        case State::Done:
            m_bytes -= entry.bytes;
            it = m_entries.erase(it);
            continue;
        case State::Reading:
            entry.state = State::Dropped;
            break;
        case State::Dropped:
            break;
        }
        ++it;
    }
    const std::size_t admitted = admitDeferred();
    lock.unlock();
    postReads(admitted);
}

void ReadAhead::readOne() noexcept
{
    std::unique_lock lock(m_mutex);
    if (m_stop) return;
    // The includes of a file being preprocessed now are needed soonest.
    if (!m_scans.empty()) {
        Scan scan = std::move(m_scans.front());
        m_scans.pop_front();
        lock.unlock();
        try {
            postReads(enqueueIncludes(scan.includer, scan.names, scan.owner));
        } catch (...) {
            // Out of memory: the files are read when they are needed.
        }
        return;
    }
    if (m_waiting.empty()) return;
    auto first = m_waiting.begin();
    auto it = m_entries.find(first->second);
    m_waiting.erase(first);
    Entry& entry = it->second;  // stays in place: only this worker erases it now
    entry.state = State::Reading;
    read(it->first, entry, lock);
}

void ReadAhead::read(const std::string& path, Entry& entry, std::unique_lock<std::mutex>& lock)
{
    lock.unlock();
    std::int64_t reserved = 0;
    bool usable = false;
    std::unique_ptr<EarlyRead> result;
    std::vector<std::string> includes;  // their names
    try {
        result = std::make_unique<EarlyRead>();
        HeldOutput& output = result->output;
        const TokenizeTarget target{
            [&output](std::string_view line) { output.lines.emplace_back(line); },
            [&output](std::string_view text) { output.diagnostics.emplace_back(output.lines.size(), std::string(text)); },
            [this, &reserved](const model::FileStamp& stamp) {
                // A file too large to be read costs nothing to hold.
                const std::int64_t size = stamp.size > kMaxSourceFileBytes ? 0 : stamp.size;
                std::lock_guard guard(m_mutex);
                if (m_stop || (m_bytes > 0 && m_bytes + size > kMaxBytes)) return false;
                m_bytes += size;
                reserved = size;
                return true;
            }};
        const FileRead outcome = tokenizeFileTo(path, result->tokens, result->stamp, result->opened, target);
        result->read = outcome == FileRead::Read;
        // Without a stamp the taker could not tell the result is still the file's.
        usable = outcome != FileRead::Declined && result->opened;
        if (usable && result->read && !m_stop) {
            includes = quotedIncludeNames(result->tokens);
            if (m_directives) {
                result->directives = directiveLines(result->tokens, m_angleIncludes);
                result->hasDirectives = true;
            }
        }
    } catch (...) {
        usable = false;  // out of memory: the taker reads the file itself
    }

    lock.lock();
    entry.bytes = reserved;
    if (!usable || entry.state == State::Dropped) {
        erase(m_entries.find(path));
        const std::size_t admitted = admitDeferred();
        lock.unlock();
        postReads(admitted);
        return;
    }
    entry.result = std::move(result);
    entry.state = State::Done;
    const std::size_t owner = entry.owner;
    std::string includer = path;  // the entry may be taken and go once the lock is let go
    lock.unlock();
    if (m_afterRead) m_afterRead(includer);
    try {
        postReads(enqueueIncludes(includer, includes, owner));
    } catch (...) {
        // Out of memory: the files left waiting are read by their taker.
    }
}

}  // namespace qm::frontend
