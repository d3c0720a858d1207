// Reading a source file into its token sequence.
#pragma once

#include "frontend/log_sink.h"
#include "model/source_unit.h"
#include "model/token.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>
#include <string>
#include <vector>

namespace qm::frontend {

using model::FileStamp;

// Files larger than this are not read: their token sequence would not fit in memory.
constexpr std::int64_t kMaxSourceFileBytes = std::int64_t{512} * 1024 * 1024;
// A file gives at most this many tokens (about 100 MB of them); the rest of a larger one is left
// out with a log line. A file of punctuators makes a token of every byte, so the byte limit alone
// would let one file cost many gigabytes once parsed.
constexpr std::size_t kMaxUnitTokens = std::size_t{4} << 20;

// Scans `text` (line ends already plain line feeds) into `tokens`, applying line continuation:
// a backslash token directly followed by a newline token vanishes together with that newline.
// Unknown-character messages are handed to `diagnostics` in pieces of whole lines.
using DiagnosticsWriter = std::function<void(std::string_view text)>;
void tokenizeText(std::string_view text, std::vector<model::Token>& tokens, const DiagnosticsWriter& diagnostics);

// Writes unknown-character messages to standard error.
void writeDiagnosticsToStderr(std::string_view text);

// How many unknown-character messages one file may write (a binary file holds thousands of
// unknown bytes); 0 for no limit. Process-wide; 100 unless set.
inline constexpr std::size_t kDefaultUnknownCharacterLimit = 100;
void setUnknownCharacterLimit(std::size_t limit) noexcept;
std::size_t unknownCharacterLimit() noexcept;

// Passes the first `limit` message lines of one file on to `target` and counts the rest;
// finish() then writes "<path> : N more unknown-character messages left out" when there were
// more. A limit of 0 passes every line on.
class CappedDiagnostics {
public:
    CappedDiagnostics(std::string path, std::size_t limit, DiagnosticsWriter target);
    // Takes a piece of whole lines.
    void write(std::string_view text);
    void finish();
    std::size_t leftOut() const noexcept { return m_leftOut; }

private:
    std::string m_path;
    std::size_t m_limit;
    DiagnosticsWriter m_target;
    std::size_t m_written = 0;
    std::size_t m_leftOut = 0;
};

// Turns every CR LF pair of `bytes` into LF, in place.
void foldCrLf(std::string& bytes);

// Scans the bytes of a whole file as tokenizeFile does: CR LF line ends are read as LF, and a
// UTF-8 byte order mark at the start is left out. Returns false when the tokens were cut at
// `maxTokens`.
bool tokenizeBytes(std::string& bytes, std::vector<model::Token>& tokens, const DiagnosticsWriter& diagnostics,
                   std::size_t maxTokens = SIZE_MAX);

// The stamp of the regular file at `path` as it is now; none when there is no such file.
std::optional<FileStamp> statSourceFile(const std::string& path);

// Reads the file at `path` in one call, records its size and modification time in `stamp` and
// replaces `tokens` with its token sequence. A file that cannot be opened (missing, unreadable,
// not a regular file) writes "<path> : cannot open file" to `log`, leaves `tokens` empty and
// returns false; so does a file larger than kMaxSourceFileBytes, with "<path> : file too large".
// A file of more than kMaxUnitTokens tokens keeps its first kMaxUnitTokens with the line
// "<path> : too many tokens; the rest of the file is left out" and counts as read.
// Unknown-character messages go to standard error, no more than unknownCharacterLimit() of them
// per file (CappedDiagnostics).
bool tokenizeFile(const std::string& path, std::vector<model::Token>& tokens, FileStamp& stamp, LogSink& log);

// Where tokenizeFileTo writes: the log lines and the unknown-character messages (capped as
// tokenizeFile caps them), each in the order written. `admit`, when set, is asked with the stamp
// of the opened file before its bytes are read; false leaves the file unread and unreported.
struct TokenizeTarget {
    std::function<void(std::string_view line)> line;
    DiagnosticsWriter diagnostics;
    std::function<bool(const FileStamp& stamp)> admit;
};
enum class FileRead {
    Read,      // tokenizeFile returns true
    Failed,    // tokenizeFile returns false
    Declined,  // `admit` said no
};
// tokenizeFile with its output handed to `target`; `opened` tells whether the file was opened,
// which is when `stamp` was set.
FileRead tokenizeFileTo(const std::string& path, std::vector<model::Token>& tokens, FileStamp& stamp, bool& opened,
                        const TokenizeTarget& target);

}  // namespace qm::frontend
