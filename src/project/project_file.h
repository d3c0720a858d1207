// The project file (.qmp): a text file with CR LF line ends that stores the project's defines
// and its files:
//
//   Quill Marsh Project File
//   V0.6
//   <Option>
//   </Option>
//   <Define>
//   <number of defines>
//   <name>            } once per define
//   <value>           }
//   </Define>
//   <File>
//   <path>            once per file, in normalised order
//   </File>
//
// Selection flags are not stored. Reading is forgiving: lines outside the three sections are
// ignored (no version check), the define count is read and not used, and a file that ends inside
// a section keeps what was read.
#pragma once

#include "frontend/option_files.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::project {

inline constexpr std::string_view kProjectFileTitle = "Quill Marsh Project File";
inline constexpr std::string_view kProjectFileVersion = "V0.6";

struct ProjectFileContents {
    std::vector<std::string> paths;         // the file section's lines, in file order
    frontend::PredefinedWordList defines;   // the define section's pairs, in file order
    bool broken = false;                    // the file ended inside a section
};

// Reads a project file. Returns nothing when it cannot be opened (missing, unreadable, or not a
// regular file, so a folder or a pipe never blocks or loops). A file of more than
// frontend::kMaxSmallFileBytes is not read: model::Error "<path> : file too large" is thrown.
//
// Lines end at LF; a CR before it is dropped, and a line is cut at its first NUL byte (a name
// cannot hold one). In the define section the first line is the count, then lines alternate
// name and value (atol's rules, clamped to 32 bits); a name without its value is dropped. In the
// file section every line longer than 2 characters is a file. A relative file line resolves
// against the project file's own folder, so a project folder with relative lines can be moved;
// absolute lines are kept exactly as written.
std::optional<ProjectFileContents> readProjectFile(const std::filesystem::path& path);

// The text of a project file holding `paths` (written in the order given) and `defines`.
// Throws model::Error "<text> : cannot be stored in a project file" when a path or a name would
// not read back as itself: one holding a line break or a NUL byte, a path of 2 characters or
// fewer or equal to "</File>", a name equal to "</Define>".
std::string formatProjectFile(const std::vector<std::string>& paths, const frontend::PredefinedWordList& defines);

// formatProjectFile written with writeFileAtomically: a failed save leaves the old file whole.
// Throws model::Error.
void writeProjectFile(const std::filesystem::path& path, const std::vector<std::string>& paths,
                      const frontend::PredefinedWordList& defines);

}  // namespace qm::project
