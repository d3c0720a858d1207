#include "project/workspace_import.h"

#include "frontend/file_descriptor.h"

#include <cerrno>
#include <cstddef>
#include <filesystem>
#include <string_view>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::project {

namespace fs = std::filesystem;

namespace {

constexpr std::string_view kFileOpenError = "File Open Error";
constexpr std::string_view kFolderOpenError = "Folder Open Error";
constexpr std::string_view kDspSourceOpenError = " Project File Open Error";       // after the path
constexpr std::string_view kVcprojSourceOpenError = "Project File Open Error: ";   // before the path
constexpr std::string_view kTooLarge = " : file too large";
constexpr std::string_view kWorkspaceRepeated = " : workspace already imported";

// Project files are a few hundred kilobytes at most; anything far larger is not one, and reading it
// whole would only exhaust memory.
constexpr off_t kMaxImportFileBytes = off_t{64} * 1024 * 1024;

// The opened-files report is sent in pieces of this many characters, each path counted with the
// two characters of a CR LF line end.
constexpr std::size_t kReportChunk = 64000;

using frontend::FileDescriptor;

// Opens `path` for reading when it names a regular file. A name with a NUL byte in it would be cut
// short by the system call and could open some other file, so it never opens. O_NONBLOCK keeps a
// FIFO from stalling the import; it is refused by the regular-file test anyway.
int openRegularFile(const std::string& path, struct stat& st)
{
    if (path.empty() || path.find('\0') != std::string::npos) return -1;
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return -1;
    }
    return fd;
}

bool canOpenForReading(const std::string& path)
{
    struct stat st {};
    FileDescriptor fd(openRegularFile(path, st));
    return fd.get() >= 0;
}

struct ImportFile {
    std::string text;  // the whole file
    fs::path folder;   // absolute, lexically normal: where relative names in the file start
    dev_t device = 0;  // identity of the file, so a workspace is read once however it is named
    ino_t inode = 0;
};

// The opening step every reader shares: reads `path` and finds its folder. Writes "File Open Error"
// or "Folder Open Error" and returns false when either is not to be had.
bool openImportFile(const std::string& path, ImportFile& file, frontend::LogSink& log)
{
    struct stat st {};
    FileDescriptor fd(openRegularFile(path, st));
    if (fd.get() < 0) {
        log.writeLine(kFileOpenError);
        return false;
    }
    if (st.st_size > kMaxImportFileBytes) {
        log.writeLine(kFileOpenError);
        log.writeLine(path + std::string(kTooLarge));
        return false;
    }
    file.text.assign(static_cast<std::size_t>(st.st_size), '\0');
    std::size_t done = 0;
    for (;;) {
        if (done == file.text.size()) {
            if (file.text.size() > static_cast<std::size_t>(kMaxImportFileBytes)) {
                log.writeLine(kFileOpenError);
                log.writeLine(path + std::string(kTooLarge));
                return false;
            }
            file.text.resize(file.text.size() + 4096);  // the file may have grown since fstat
        }
        const ssize_t n = ::read(fd.get(), file.text.data() + done, file.text.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            log.writeLine(kFileOpenError);
            return false;
        }
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    file.text.resize(done);
    file.device = st.st_dev;
    file.inode = st.st_ino;

    std::error_code ec;
    const fs::path full = fs::absolute(fs::path(path), ec);
    if (ec) {
        log.writeLine(kFolderOpenError);
        return false;
    }
    file.folder = full.lexically_normal().parent_path();
    return true;
}

// Calls `visit` for each line of `text` without its LF or CR LF ending. A UTF-8 byte order mark in
// front of the first line is passed over.
template <typename Visit>
void forEachLine(std::string_view text, Visit&& visit)
{
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view{} : text.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        visit(line);
    }
}

bool startsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}


// The text between the first double quote at or after `from` and the next one; false when `line`
// has fewer than two quotes there.
bool quotedAfter(std::string_view line, std::size_t from, std::string_view& inside)
{
    const std::size_t open = line.find('"', from);
    if (open == std::string_view::npos) return false;
    const std::size_t close = line.find('"', open + 1);
    if (close == std::string_view::npos) return false;
    inside = line.substr(open + 1, close - open - 1);
    return true;
}

// The full path of `written`, a name taken from a project file, relative to `folder` unless it is
// absolute. Backslashes are folder separators in these files.
fs::path fullPathOf(const fs::path& folder, std::string_view written)
{
    std::string name(written);
    for (char& c : name) {
        if (c == '\\') c = '/';
    }
    return (folder / fs::path(name)).lexically_normal();
}

// Tries every entry of `result.sourcePaths` and keeps the full paths of those that open. A source
// that does not open is reported at once with `failureLine`; the opened paths are held back and
// written in pieces of at most kReportChunk characters, one log line per path, so the log shows
// them in the order (and with the same interleaving of failures) the pane's chunked report gives.
template <typename FailureLine>
void resolveSources(const fs::path& folder, ImportResult& result, frontend::LogSink& log, FailureLine failureLine)
{
    std::vector<std::string> pending;
    std::size_t pendingChars = 0;
    auto flush = [&] {
        for (const auto& line : pending) log.writeLine(line);
        pending.clear();
        pendingChars = 0;
    };
    for (const auto& written : result.sourcePaths) {
        std::string full = fullPathOf(folder, written).string();
        if (!canOpenForReading(full)) {
            log.writeLine(failureLine(written));
            continue;
        }
        result.resolvedPaths.push_back(full);
        pendingChars += full.size() + 2;
        pending.push_back(std::move(full));
        if (pendingChars > kReportChunk) flush();
    }
    flush();
}

// SOURCE=.\main.cpp   or   SOURCE=".\two words.c"
void scanDspSource(std::string_view line, ImportResult& result)
{
    if (!endsWithFolded(line, ".CPP\"") && !endsWithFolded(line, ".CPP") && !endsWithFolded(line, ".C\"")
        && !endsWithFolded(line, ".C")) {
        return;
    }
    std::string_view path = line.substr(7);
    if (!path.empty() && path.front() == '"') {
        // Only quotes that are there are dropped: an unclosed quote must not cost the last letter.
        path.remove_prefix(1);
        if (!path.empty() && path.back() == '"') path.remove_suffix(1);
    }
    result.sourcePaths.emplace_back(path);
}

// # ADD CPP /nologo /D "WIN32" /D "_DEBUG" /YX   gives WIN32 and _DEBUG. Runs of blanks count as
// one separator. The resource compiler's lower-case /d and unquoted words are not defines.
void scanDspAdd(std::string_view line, ImportResult& result)
{
    bool afterD = false;
    std::size_t pos = 0;
    while (pos < line.size()) {
        if (line[pos] == ' ' || line[pos] == '\t') {
            ++pos;
            continue;
        }
        const std::size_t end = line.find_first_of(" \t", pos);
        std::string_view token = line.substr(pos, end == std::string_view::npos ? std::string_view::npos : end - pos);
        pos = end == std::string_view::npos ? line.size() : end;
        if (afterD && token.front() == '"') {
            token.remove_prefix(1);
            if (!token.empty() && token.back() == '"') token.remove_suffix(1);
            if (!token.empty()) result.defines.emplace(token);
        }
        afterD = token == "/D";
    }
}

bool readDsp(const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    ImportFile file;
    if (!openImportFile(path, file, log)) return false;
    forEachLine(file.text, [&](std::string_view line) {
        if (line.size() < 8) return;
        if (startsWith(line, "SOURCE=")) {
            scanDspSource(line, result);
        } else if (startsWith(line, "# ADD")) {
            scanDspAdd(line, result);
        }
    });
    resolveSources(file.folder, result, log,
                   [](const std::string& written) { return written + std::string(kDspSourceOpenError); });
    return true;
}

bool readVcproj(const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    static constexpr std::string_view kRelativePath = "RelativePath=";
    static constexpr std::string_view kDefinitions = "PreprocessorDefinitions=";
    ImportFile file;
    if (!openImportFile(path, file, log)) return false;
    forEachLine(file.text, [&](std::string_view line) {
        std::string_view inside;
        if (const std::size_t at = line.find(kRelativePath); at != std::string_view::npos) {
            // RelativePath=".\main.cpp"
            if (quotedAfter(line, at + kRelativePath.size(), inside)
                && (endsWithFolded(inside, ".CPP") || endsWithFolded(inside, ".C"))) {
                result.sourcePaths.emplace_back(inside);
            }
        } else if (const std::size_t def = line.find(kDefinitions); def != std::string_view::npos) {
            // PreprocessorDefinitions="WIN32;_DEBUG;_WINDOWS"
            if (!quotedAfter(line, def + kDefinitions.size(), inside)) return;
            while (!inside.empty()) {
                const std::size_t semi = inside.find(';');
                const std::string_view name = inside.substr(0, semi);
                if (!name.empty()) result.defines.emplace(name);
                inside = semi == std::string_view::npos ? std::string_view{} : inside.substr(semi + 1);
            }
        }
    });
    resolveSources(file.folder, result, log,
                   [](const std::string& written) { return std::string(kVcprojSourceOpenError) + written; });
    return true;
}

// Project: "name"=".\name.dsp" - Package Owner=<4>   gives .\name.dsp
std::vector<std::string> workspaceProjects(std::string_view text)
{
    std::vector<std::string> projects;
    forEachLine(text, [&](std::string_view line) {
        if (line.size() <= 12 || !startsWith(line, "Project:")) return;
        const std::size_t equals = line.find('=', 7);
        std::string_view inside;
        if (equals == std::string_view::npos || equals < 9 || !quotedAfter(line, equals + 1, inside)) return;
        projects.emplace_back(inside);
    });
    return projects;
}

void merge(ImportResult& into, ImportResult&& from)
{
    for (auto& p : from.sourcePaths) into.sourcePaths.push_back(std::move(p));
    for (auto& p : from.resolvedPaths) into.resolvedPaths.push_back(std::move(p));
    into.defines.merge(from.defines);
}

}  // namespace

bool importDsp(const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    result = {};
    return readDsp(path, result, log);
}

bool importVcproj(const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    result = {};
    return readVcproj(path, result, log);
}

// Each project a workspace names is read by the reader for its kind: a workspace named in a
// workspace is read as a workspace, a .vcproj as a .vcproj, anything else as a .dsp. A workspace
// that was read before in this import (itself, or one naming another that names it back) is not
// read again, so every import ends. Nested workspaces are walked with an explicit stack; the
// result holds the source paths, opened paths and defines of every project read.
bool importDsw(const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    result = {};
    struct Workspace {
        fs::path folder;
        std::vector<std::string> projects;  // as written
        std::size_t next = 0;
    };
    std::vector<std::pair<dev_t, ino_t>> seen;
    std::vector<Workspace> stack;

    auto open = [&](const std::string& wsPath, const std::string& written) {
        ImportFile file;
        if (!openImportFile(wsPath, file, log)) return false;
        for (const auto& [device, inode] : seen) {
            if (device == file.device && inode == file.inode) {
                log.writeLine(written + std::string(kWorkspaceRepeated));
                return true;
            }
        }
        seen.emplace_back(file.device, file.inode);
        stack.push_back({std::move(file.folder), workspaceProjects(file.text), 0});
        return true;
    };
    if (!open(path, path)) return false;

    while (!stack.empty()) {
        Workspace& ws = stack.back();
        if (ws.next == ws.projects.size()) {
            stack.pop_back();
            continue;
        }
        const std::string written = ws.projects[ws.next++];
        log.writeLine(written);
        const std::string full = fullPathOf(ws.folder, written).string();
        const FileKind kind = classifyPath(full);
        if (kind == FileKind::Dsw) {
            open(full, written);  // may reallocate `stack`; `ws` is not used after this
            continue;
        }
        ImportResult project;
        const bool read = kind == FileKind::Vcproj ? readVcproj(full, project, log) : readDsp(full, project, log);
        if (read) merge(result, std::move(project));
    }
    return true;
}

bool importByKind(FileKind kind, const std::string& path, ImportResult& result, frontend::LogSink& log)
{
    switch (kind) {
    case FileKind::Dsp: return importDsp(path, result, log);
    case FileKind::Dsw: return importDsw(path, result, log);
    case FileKind::Vcproj: return importVcproj(path, result, log);
    default: return false;
    }
}

}  // namespace qm::project
