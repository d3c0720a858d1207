#include "project/project_document.h"

#include "model/error.h"
#include "project/project_file.h"
#include "project/workspace_import.h"

#include <filesystem>
#include <system_error>

#include <sys/stat.h>

namespace qm::project {

namespace fs = std::filesystem;

std::string projectOpenSuccessMessage(std::size_t fileCount)
{
    return "Project open success - " + std::to_string(fileCount) + " file(s) in project.";
}

void ProjectDocument::newProject()
{
    m_defines.clear();
    m_files.clear();
    m_files.resetIncludeDirectories();
    m_modified = false;
    m_disk.reset();
}

AddOutcome ProjectDocument::addByKind(const std::string& path, frontend::LogSink& log)
{
    const FileKind kind = classifyPath(path);
    switch (kind) {
    case FileKind::Source:
    case FileKind::Header:
        m_files.add(path);
        m_modified = true;
        return AddOutcome::SourceAdded;
    case FileKind::Dsp:
    case FileKind::Dsw:
    case FileKind::Vcproj: {
        ImportResult result;
        if (!importByKind(kind, path, result, log)) {
            return AddOutcome::ImportFailed;
        }
        for (const std::string& name : result.defines) {
            m_defines.push_back({name, 0});
        }
        for (const std::string& resolved : result.resolvedPaths) {
            m_files.add(resolved);
        }
        m_modified = true;
        return AddOutcome::Imported;
    }
    case FileKind::Project:
    case FileKind::None:
        break;
    }
    return AddOutcome::Ignored;
}

namespace {

struct FolderEntry {
    fs::path path;
    bool isFolder = false;
    bool isLink = false;
};

// The entries of one folder in the order the file system lists them; empty when it cannot be
// read. The folder is read whole and closed at once, so a deep tree holds one open folder at most.
std::vector<FolderEntry> listFolder(const fs::path& folder)
{
    std::vector<FolderEntry> entries;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        std::error_code typeError;
        FolderEntry entry;
        entry.path = it->path();
        entry.isFolder = it->is_directory(typeError);
        entry.isLink = it->is_symlink(typeError);
        entries.push_back(std::move(entry));
    }
    return entries;
}

}  // namespace

void ProjectDocument::addFolder(const std::string& folder, bool recurse, frontend::LogSink& log)
{
    // Each frame is a folder being walked; a subfolder is walked where it is listed, before the
    // entries after it, as a recursive walk would do.
    struct Frame {
        std::vector<FolderEntry> entries;
        std::size_t next = 0;
    };
    std::vector<Frame> stack;
    stack.push_back({listFolder(fs::path(folder)), 0});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.entries.size()) {
            stack.pop_back();
            continue;
        }
        const FolderEntry entry = std::move(frame.entries[frame.next++]);
        if (entry.isFolder) {
            if (recurse && !entry.isLink) {
                stack.push_back({listFolder(entry.path), 0});  // `frame` is not used after this
            }
        } else {
            addByKind(entry.path.string(), log);
        }
    }
}

void ProjectDocument::appendFiles(const std::vector<std::string>& paths, frontend::LogSink& log)
{
    m_files.resetIncludeDirectories();
    m_modified = true;
    for (const std::string& path : paths) {
        addByKind(path, log);
    }
}

void ProjectDocument::drop(const std::vector<std::string>& paths, frontend::LogSink& log)
{
    log.writeLine(kGettingFileList);
    for (const std::string& path : paths) {
        log.writeLine(path);
        addByKind(path, log);
    }
}

bool ProjectDocument::open(const std::string& path, MessageReporter& reporter)
{
    m_defines.clear();
    m_files.clear();
    m_files.resetIncludeDirectories();
    m_modified = false;
    m_disk.reset();
    if (classifyPath(path) != FileKind::Project) {
        return false;
    }
    // Taken before the read: a change made while it is read is then found at the next save.
    const auto disk = diskState(path);
    std::optional<ProjectFileContents> contents;
    try {
        contents = readProjectFile(path);
    } catch (const model::Error& e) {
        reporter.show(kProjectOpenError);
        reporter.show(e.what());
        return false;
    }
    if (!contents) {
        reporter.show(kProjectOpenError);
        return false;
    }
    for (const std::string& file : contents->paths) {
        m_files.add(file);
    }
    m_defines = std::move(contents->defines);
    m_disk = disk;
    if (contents->broken) {
        reporter.show(kProjectOpenedButBroken);
    }
    const std::size_t count = m_files.normalized().size();
    if (count == 0) {
        reporter.show(kProjectHasNoFile);
    } else {
        reporter.show(projectOpenSuccessMessage(count));
    }
    return true;
}

std::string projectChangedOnDiskMessage(const std::string& path)
{
    return path + " : changed by another program since it was opened; not saved";
}

std::optional<ProjectDocument::DiskState> ProjectDocument::diskState(const std::string& path)
{
    struct stat st {};
    if (::stat(path.c_str(), &st) != 0) return std::nullopt;
    std::error_code ec;
    fs::path absolute = fs::absolute(path, ec);
    if (ec) absolute = path;
    return DiskState{absolute.lexically_normal().string(), static_cast<std::uint64_t>(st.st_dev),
                     static_cast<std::uint64_t>(st.st_ino), static_cast<std::int64_t>(st.st_size),
                     static_cast<std::int64_t>(st.st_mtim.tv_sec), static_cast<std::int64_t>(st.st_mtim.tv_nsec)};
}

bool ProjectDocument::save(const std::string& path, MessageReporter& reporter,
                           const OverwriteChangedQuestion& overwriteChanged)
{
    if (m_disk) {
        const auto now = diskState(path);
        if (now && now->path == m_disk->path && *now != *m_disk) {
            if (!overwriteChanged) {
                reporter.show(projectChangedOnDiskMessage(path));
                return false;
            }
            if (!overwriteChanged(path)) return false;
        }
    }
    try {
        writeProjectFile(path, m_files.normalized(), m_defines);
    } catch (const model::Error& e) {
        reporter.show(e.what());
        return false;
    }
    m_disk = diskState(path);
    m_modified = false;
    reporter.show(kProjectSaved);
    return true;
}

}  // namespace qm::project
