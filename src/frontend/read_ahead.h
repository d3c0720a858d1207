// ReadAhead: reads and tokenizes files on the parse pool's workers before the preprocessing
// thread asks for them. A file's tokens depend on nothing but its bytes, so the next project
// files, and the files their quoted `#include "..."` lines name, can be scanned while the
// current one is preprocessed.
//
// What a worker read is handed over whole: the tokens, the stamp of the file as it was opened,
// and the log lines and unknown-character messages the read wrote, which the taker writes where
// it would have written them had it read the file itself. The taker checks the stamp against
// the file as it is then; a file that changed is read again.
//
// Memory stays bounded whatever the project's size: at most kMaxEntries files are asked for,
// being read or waiting to be taken, and at most kMaxBytes of their bytes; files past either
// wait (a project file refused for want of room can be asked for again later; an include is asked
// for again by the reader as soon as a read is taken or dropped).
#pragma once

#include "frontend/include_paths.h"
#include "frontend/log_sink.h"
#include "model/source_unit.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qm::frontend {

// One file as a worker read it: what tokenizeFile would have given, and what it would have
// written.
struct EarlyRead {
    bool read = false;    // what tokenizeFile would have returned
    bool opened = false;  // the file was opened: `stamp` is its stamp then
    model::FileStamp stamp;
    std::vector<model::Token> tokens;
    HeldOutput output;
    bool hasDirectives = false;
    std::vector<model::Token> directives;  // directiveLines of the tokens, when asked for
};

class ReadAhead {
public:
    static constexpr std::size_t kMaxEntries = 256;
    static constexpr std::int64_t kMaxBytes = std::int64_t{8} << 20;

    // Runs a task on some worker thread (the pool's post).
    using Post = std::function<void(std::function<void()>)>;

    // `post`, `stop` and `includeDirectories` must outlive the reader; so must the reader every
    // task it posted (destroy the pool, which drops or finishes them, first).
    // With `directives`, each file's directive lines are taken out too (directiveLines, with
    // `angleIncludes` passed on). With `found`, where includes are found is looked up there
    // (shared with the preprocessing).
    ReadAhead(Post post, const std::atomic<bool>& stop, const std::vector<std::string>& includeDirectories,
              bool directives = false, FoundIncludes* found = nullptr, bool angleIncludes = true);
    ReadAhead(const ReadAhead&) = delete;
    ReadAhead& operator=(const ReadAhead&) = delete;

    // Asks for the file at `path` to be read for the project file at position `owner` of the
    // run's order, and after it the files its quoted includes name, for the same owner. A path
    // asked for or taken before in this run is not asked for again. Files of lower owners are
    // read first. False when there was no room for it (it may be asked for again).
    bool request(const std::string& path, std::size_t owner);

    // Asks for the files that the quoted includes `names` (as quotedIncludeNames gives them) of
    // the file at `includer` name, as request does; they are looked up on a worker. For a file
    // its taker read itself.
    void requestIncludes(const std::string& includer, std::vector<std::string> names, std::size_t owner);

    // What a worker read of `path`, taken away; none when it was not read ahead, or a worker has
    // not finished reading it (the caller reads it itself).
    // The path is not read ahead again afterwards.
    std::optional<EarlyRead> take(const std::string& path);

    // Counts `path` as read already: it is not read ahead in this run.
    void markKnown(const std::string& path);

    // Forgets every file asked for by owners before `owner` that nobody took.
    void release(std::size_t owner);

    // Called on the worker after a file was read and can be taken (a test seam).
    void setAfterRead(std::function<void(const std::string& path)> hook) { m_afterRead = std::move(hook); }

private:
    enum class State { Waiting, Reading, Done, Dropped };
    struct Entry {
        std::size_t owner = 0;
        std::uint64_t order = 0;
        State state = State::Waiting;
        std::int64_t bytes = 0;  // reserved of kMaxBytes
        std::unique_ptr<EarlyRead> result;
    };
    using QueueKey = std::pair<std::size_t, std::uint64_t>;
    // Includes of a file read elsewhere, to be looked up.
    struct Scan {
        std::string includer;
        std::vector<std::string> names;
        std::size_t owner = 0;
    };

    enum class Enqueued { Added, Known, NoRoom };
    // Adds `path` as waiting, with the lock held.
    Enqueued enqueue(const std::string& path, std::size_t owner);
    // Looks up where the includes `names` of `includer` are and asks for them; with the lock
    // not held. How many were added.
    std::size_t enqueueIncludes(const std::string& includer, const std::vector<std::string>& names, std::size_t owner);
    void postReads(std::size_t count);
    // Moves includes that found no room (m_deferred) into the queue while there is room; with the
    // lock held. How many were added.
    std::size_t admitDeferred();
    void erase(std::unordered_map<std::string, Entry>::iterator it);
    // A worker's task: reads the waiting file of the lowest owner, if any.
    void readOne() noexcept;
    void read(const std::string& path, Entry& entry, std::unique_lock<std::mutex>& lock);

    Post m_post;
    const std::atomic<bool>& m_stop;
    const std::vector<std::string>& m_includeDirectories;
    const bool m_directives;
    const bool m_angleIncludes;  // see the constructor
    FoundIncludes* m_found;
    std::function<void(const std::string& path)> m_afterRead;

    std::mutex m_mutex;
    std::unordered_map<std::string, Entry> m_entries;
    std::map<QueueKey, std::string> m_waiting;  // by owner, then by when asked for
    std::deque<Scan> m_scans;
    // Includes refused for want of room, by owner, asked for again as room comes free.
    std::map<std::size_t, std::deque<std::string>> m_deferred;
    std::unordered_set<std::string> m_known;   // asked for or taken in this run
    std::uint64_t m_nextOrder = 0;
    std::size_t m_released = 0;  // owners before this one were released
    std::int64_t m_bytes = 0;  // reserved by entries being read or waiting to be taken
};

// The names of the quoted includes (`# include "name"` at the start of a line) among `tokens`,
// in order, backslashes turned into slashes.
std::vector<std::string> quotedIncludeNames(const std::vector<model::Token>& tokens);

}  // namespace qm::frontend
