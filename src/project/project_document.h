// ProjectDocument: the one project of the program — its files with their selection flags and
// include directories, its own defines, and whether it changed since it was last saved or opened.
// It adds files by their kind (sources directly, Visual C++ workspaces and projects through the
// importers), adds folders, takes dropped files, and reads and writes the project file.
//
// Messages that the desktop program shows in a message box go to a MessageReporter; log lines
// (the importers' and the drop's) go to a LogSink.
#pragma once

#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "frontend/option_files.h"
#include "project/file_kind.h"
#include "project/message_reporter.h"
#include "project/project_file_list.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::project {

// The project's own predefined words, in order; duplicates are allowed (a later one wins in a
// run). Same record as the global predefined words.
using ProjectDefine = frontend::PredefinedWord;
using ProjectDefineList = frontend::PredefinedWordList;

inline constexpr std::string_view kProjectSaved = "Project Saved.";
inline constexpr std::string_view kProjectOpenError = "Project File Open Error.";
inline constexpr std::string_view kProjectOpenedButBroken = "Project File Opened but Broken.";
inline constexpr std::string_view kProjectHasNoFile = "This project has no file.";
inline constexpr std::string_view kGettingFileList = "Getting the file list.";

// "<path> : changed by another program since it was opened; not saved"
std::string projectChangedOnDiskMessage(const std::string& path);

// Asked before a save would replace a project file that another program changed since this
// document opened or saved it; true to save over it.
using OverwriteChangedQuestion = std::function<bool(const std::string& path)>;

// "Project open success - <count> file(s) in project."
std::string projectOpenSuccessMessage(std::size_t fileCount);

// What addByKind did with a path.
enum class AddOutcome {
    SourceAdded,   // a source file or a header, added to the list
    Imported,      // a workspace or project whose files and defines were added
    ImportFailed,  // a workspace or project that could not be read; nothing was added
    Ignored,       // a project file (.qmp) or anything else: nothing was added
};

class ProjectDocument {
public:
    ProjectFileList& files() noexcept { return m_files; }
    const ProjectFileList& files() const noexcept { return m_files; }
    ProjectDefineList& defines() noexcept { return m_defines; }
    const ProjectDefineList& defines() const noexcept { return m_defines; }

    bool isModified() const noexcept { return m_modified; }
    void setModified(bool modified) noexcept { m_modified = modified; }

    // "New Project": no files, no defines, include directories reset, not modified.
    void newProject();

    // Classifies `path` and adds it: a source file or a header goes to the list; a .dsp, .dsw or .vcproj is
    // imported (the importer writes its lines to `log`) and then every define it found is
    // appended in set order with value 0 and every source it could open is added. Anything else
    // is ignored without a message. Marks the document modified when something was added.
    AddOutcome addByKind(const std::string& path, frontend::LogSink& log);

    // addByKind for every file of `folder` in the order the file system lists them; with
    // `recurse` each subfolder is entered where it is listed. Links to folders are not entered
    // (a link cycle would never end); folders that cannot be read are passed over. Deep trees use
    // no recursion of the call stack.
    void addFolder(const std::string& folder, bool recurse, frontend::LogSink& log);

    // The files chosen in the append dialog: resets the include directories, marks the document
    // modified and adds each path by its kind, in order.
    void appendFiles(const std::vector<std::string>& paths, frontend::LogSink& log);

    // Files dropped on the window: writes "Getting the file list." to the log, then for each
    // path in drop order the path itself followed by what adding it writes. Folders are ignored.
    void drop(const std::vector<std::string>& paths, frontend::LogSink& log);

    // Opens a project file. The project is emptied first (files, defines, include directories
    // reset); a path that does not end in .qmp fails there without a message. A file that
    // cannot be read shows "Project File Open Error." and fails, leaving the project empty.
    // Otherwise the files and defines are loaded ("Project File Opened but Broken." when the file
    // ends inside a section, keeping what was read), then "This project has no file." or
    // "Project open success - N file(s) in project." is shown, and the document is unmodified.
    bool open(const std::string& path, MessageReporter& reporter);

    // Saves the project in the project file format: the list is normalised and written in that
    // order with the defines. On success shows "Project Saved." and clears the modified flag.
    // On failure the old file at `path` is left whole, the reason is shown (for example
    // "<path> : cannot write file") and false is returned.
    //
    // When `path` is the file this document was opened from or last saved to and another
    // program changed it since (its size, time or identity differ), `overwriteChanged` is asked
    // first: no answer (an empty function) refuses with projectChangedOnDiskMessage, a "no"
    // returns false without a message.
    bool save(const std::string& path, MessageReporter& reporter, const OverwriteChangedQuestion& overwriteChanged = {});

    // The normalised list as a run takes it.
    std::vector<frontend::ProjectEntry> runEntries() const { return m_files.runEntries(); }

private:
    // The file as this document last read or wrote it.
    struct DiskState {
        std::string path;  // absolute, lexically normal
        std::uint64_t device = 0;
        std::uint64_t inode = 0;
        std::int64_t size = 0;
        std::int64_t seconds = 0;
        std::int64_t nanoseconds = 0;
        bool operator==(const DiskState&) const = default;
    };
    static std::optional<DiskState> diskState(const std::string& path);

    ProjectFileList m_files;
    ProjectDefineList m_defines;
    bool m_modified = false;
    std::optional<DiskState> m_disk;
};

}  // namespace qm::project
