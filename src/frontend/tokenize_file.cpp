#include "frontend/tokenize_file.h"

#include "frontend/token_scanner.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

using model::Token;
namespace tok = model::tok;

void foldCrLf(std::string& bytes)
{
    const std::size_t first = bytes.find("\r\n");
    if (first == std::string::npos) {
        return;
    }
    std::size_t out = first;
    for (std::size_t in = first; in < bytes.size(); ++in) {
        if (bytes[in] == '\r' && in + 1 < bytes.size() && bytes[in + 1] == '\n') {
            continue;
        }
        bytes[out++] = bytes[in];
    }
    bytes.resize(out);
}

void writeDiagnosticsToStderr(std::string_view text)
{
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fflush(stderr);
}

namespace {

std::atomic<std::size_t> g_unknownCharacterLimit{kDefaultUnknownCharacterLimit};

}  // namespace

void setUnknownCharacterLimit(std::size_t limit) noexcept
{
    g_unknownCharacterLimit.store(limit, std::memory_order_relaxed);
}

std::size_t unknownCharacterLimit() noexcept
{
    return g_unknownCharacterLimit.load(std::memory_order_relaxed);
}

CappedDiagnostics::CappedDiagnostics(std::string path, std::size_t limit, DiagnosticsWriter target)
    : m_path(std::move(path)), m_limit(limit), m_target(std::move(target))
{
}

void CappedDiagnostics::write(std::string_view text)
{
    if (m_limit == 0) {
        m_target(text);
        return;
    }
    // Lines up to the limit go through as one piece; the others are only counted.
    std::size_t end = 0;
    while (end < text.size() && m_written < m_limit) {
        const std::size_t lineEnd = text.find('\n', end);
        end = lineEnd == std::string_view::npos ? text.size() : lineEnd + 1;
        ++m_written;
    }
    if (end > 0) {
        m_target(text.substr(0, end));
    }
    m_leftOut += static_cast<std::size_t>(std::count(text.begin() + static_cast<std::ptrdiff_t>(end), text.end(), '\n'));
}

void CappedDiagnostics::finish()
{
    if (m_leftOut > 0) {
        m_target(m_path + " : " + std::to_string(m_leftOut) + " more unknown-character messages left out\n");
        m_leftOut = 0;
    }
}

bool tokenizeBytes(std::string& bytes, std::vector<Token>& tokens, const DiagnosticsWriter& diagnostics,
                   std::size_t maxTokens)
{
    // A UTF-8 byte order mark at the start says how the file is encoded, as compilers read it: it
    // is no token (three unknown characters before the first declaration would fuse with it).
    std::string_view text(bytes);
    constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(kByteOrderMark)) text.remove_prefix(kByteOrderMark.size());
    // Folding CR LF into LF would change what the scanner sees only where a backslash stands right
    // before the line end inside a literal (blanks, comments and line ends treat CR alike). The
    // scanner reads that case as folded itself, which saves a pass over the bytes.
    return scanTokens(text, CrLf::AsLineFeed, tokens, diagnostics, ScanMode::Fastest, maxTokens);
}

namespace {

// Reads the whole regular file behind `fd` into `bytes`. One byte more than `expected` is asked
// for at first, so that a file that did not grow is read without moving what was read, and in
// one call: a read that gives all `expected` bytes and not the one after them has met the end.
bool readAll(int fd, std::string& bytes, std::size_t expected)
{
    bytes.resize(expected + 1);
    std::size_t done = 0;
    for (;;) {
        if (done == bytes.size()) {
            bytes.resize(bytes.size() + 4096);  // the file may have grown since fstat
        }
        const std::size_t asked = bytes.size() - done;
        const ssize_t n = ::read(fd, bytes.data() + done, asked);
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
        if (done == expected && static_cast<std::size_t>(n) < asked) break;
        if (done > static_cast<std::size_t>(kMaxSourceFileBytes)) return false;
    }
    bytes.resize(done);
    return true;
}

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : m_fd(fd) {}
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    ~FileDescriptor()
    {
        if (m_fd >= 0) ::close(m_fd);
    }
    int get() const { return m_fd; }

private:
    int m_fd;
};

}  // namespace

namespace {

FileStamp stampOf(const struct stat& st)
{
    return FileStamp{static_cast<std::int64_t>(st.st_size), static_cast<std::int64_t>(st.st_mtim.tv_sec),
                     static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

}  // namespace

std::optional<FileStamp> statSourceFile(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return std::nullopt;
    }
    return stampOf(st);
}

FileRead tokenizeFileTo(const std::string& path, std::vector<Token>& tokens, FileStamp& stamp, bool& opened,
                        const TokenizeTarget& target)
{
    tokens.clear();
    opened = false;
    auto fail = [&](const char* why) {
        target.line(path + why);
        return FileRead::Failed;
    };
    // Without O_NONBLOCK a FIFO named like a source would wait for a writer; fstat rejects it below.
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK));
    struct stat st {};
    if (fd.get() < 0 || ::fstat(fd.get(), &st) != 0 || !S_ISREG(st.st_mode)) {
        return fail(" : cannot open file");
    }
    stamp = stampOf(st);
    opened = true;
    if (target.admit && !target.admit(stamp)) {
        return FileRead::Declined;
    }
    if (st.st_size > kMaxSourceFileBytes) {
        return fail(" : file too large");
    }
    std::string bytes;
    if (!readAll(fd.get(), bytes, static_cast<std::size_t>(st.st_size))) {
        return fail(" : cannot open file");
    }
    CappedDiagnostics diagnostics(path, unknownCharacterLimit(), target.diagnostics);
    const bool whole =
        tokenizeBytes(bytes, tokens, [&diagnostics](std::string_view text) { diagnostics.write(text); }, kMaxUnitTokens);
    diagnostics.finish();
    if (!whole) {
        target.line(path + " : too many tokens; the rest of the file is left out");
    }
    return FileRead::Read;
}

bool tokenizeFile(const std::string& path, std::vector<Token>& tokens, FileStamp& stamp, LogSink& log)
{
    bool opened = false;
    const TokenizeTarget target{[&log](std::string_view line) { log.writeLine(line); }, writeDiagnosticsToStderr, {}};
    return tokenizeFileTo(path, tokens, stamp, opened, target) == FileRead::Read;
}

}  // namespace qm::frontend
