// Where included files are found. Names taken from source files may use `\` as a separator,
// as Windows sources do; it is turned into `/` before use. The process working directory is
// never changed.
#pragma once

#include "model/source_unit.h"

#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm::frontend {

// `name` with every backslash turned into a slash.
std::string toSlashes(std::string name);

// The path of a quoted include `name` (slashes only) written in the file `includer`:
// - the includer's folder is its path up to the last `/`; a path without `/` gives "";
// - a plain file name lies in that folder;
// - a name with folders is resolved from the includer's folder: when that folder exists, the
//   result is its absolute, normalised form and the file part; when it does not, the includer's
//   folder, `/` and the whole name; when the includer's folder itself does not exist, that folder.
// So `../inc/a.h` in /p/src/x.cpp is /p/inc/a.h when /p/inc exists, else /p/src/../inc/a.h.
std::string resolveQuotedInclude(const std::string& includer, const std::string& name);

// Where a quoted include `name` written in `includer` is found, as compilers look: the path
// resolveQuotedInclude gives when that file exists, else the first `directory/name` of
// `directories` that exists, else (nothing exists) the resolveQuotedInclude path, so that the
// failure names the includer's folder.
std::string findQuotedInclude(const std::string& includer, const std::string& name,
                              const std::vector<std::string>& directories);

// The first `directory/name` that exists, trying `directories` in order; none when no candidate
// exists.
std::optional<std::string> findAngleInclude(const std::vector<std::string>& directories, const std::string& name);

// What findQuotedInclude and findAngleInclude answered during one run, so that the file system
// is asked once per includer folder and name however many files and threads ask (the run's
// preprocessing and the threads that read files ahead share one), and each file's change key as
// first seen in the run. Answers are looked up with no lock held, so two threads may both ask the
// file system about a name; they get the same answer.
class FoundIncludes {
public:
    FoundIncludes() = default;
    FoundIncludes(const FoundIncludes&) = delete;
    FoundIncludes& operator=(const FoundIncludes&) = delete;

    std::string quoted(const std::string& includer, const std::string& name,
                       const std::vector<std::string>& directories);
    std::optional<std::string> angle(const std::vector<std::string>& directories, const std::string& name);
    // The change key of the regular file at `path` (statSourceFile) when first asked in this run:
    // a header is met once per file that includes it, and all of them read the same version.
    std::optional<model::FileStamp> stamp(const std::string& path);
    // The file at `path` was read as `read`: later questions get that key, so that a file that
    // changed between the first question and the read is met as the version that was read.
    void noteRead(const std::string& path, const model::FileStamp& read);
    // Forgets every answer (the file system may have changed since).
    void clear();

private:
    // Whether `path` is a folder and its absolute form, as resolveQuotedInclude asks: many
    // includer folders and names lead to the same few folders.
    std::optional<std::string> folder(const std::string& path);

    std::mutex m_mutex;
    // "folder\0name" for a quoted include, "<name" for an angle one ("" when found nowhere).
    std::unordered_map<std::string, std::string> m_found;
    // Folder path -> none (no folder), "" (a folder without an absolute form) or its absolute form.
    std::unordered_map<std::string, std::optional<std::string>> m_folders;
    std::unordered_map<std::string, std::optional<model::FileStamp>> m_stamps;  // none: no regular file
};

}  // namespace qm::frontend
