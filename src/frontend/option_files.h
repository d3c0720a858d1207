// The preprocessor's outside knowledge and the two files that keep it: four include-directory
// lists (Include.ini) and the global predefined words (predefined.ini), where those files live,
// how they are read and written, and what an analysis run takes from them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::frontend {

// A macro name with the integer it stands for. Global predefined words and a project's defines
// share this record.
struct PredefinedWord {
    std::string name;
    std::int32_t value = 0;

    bool operator==(const PredefinedWord&) const = default;
};
using PredefinedWordList = std::vector<PredefinedWord>;

constexpr std::size_t kIncludeListCount = 4;

// The include-directory lists by index; the setting "Include Directory" stores the index.
struct IncludeDirectoryLists {
    std::array<std::vector<std::string>, kIncludeListCount> lists;

    bool operator==(const IncludeDirectoryLists&) const = default;
};

// What the include-directory dialog's drop-down list shows for each index.
inline constexpr std::array<std::string_view, kIncludeListCount> kIncludeListTitles{
    "Use Visual C++ 6.0 Path",
    "Use Visual C++ .Net Path",
    "Use Visual C++ .Net 2003 Path",
    "Custom",
};

// The list of `index`. An index outside 0..3 (a damaged setting) selects an empty list, so a run
// then searches no include directories instead of failing.
const std::vector<std::string>& selectIncludeList(const IncludeDirectoryLists& lists, int index);

// The installation folders of the three compilers whose header folders fill lists 0, 1 and 2;
// an empty text means "not installed".
using ProductDirectories = std::array<std::string, 3>;

// Refills list i (i < 3) with product directory i followed by its header folder suffixes when
// that directory is not empty; other lists keep their content and list 3 is never touched.
// Nothing is normalised: "C:\VC\" gives "C:\VC\\INCLUDE".
void fillDefaultIncludeLists(const ProductDirectories& products, IncludeDirectoryLists& lists);

// The installed compilers' folders. This platform has none of them, so all three are empty.
ProductDirectories installedProductDirectories();

// fillDefaultIncludeLists with the installed compilers: here it leaves every list unchanged.
void defaultIncludeLists(IncludeDirectoryLists& lists);

// What a project's include directories are reset to when it is emptied, opened or appended to;
// every analysis run replaces them with the selected list.
std::vector<std::string> projectResetIncludeDirectories();

// The seeds of each file's macro table: the global words in order, then the project's defines
// in order. Seeding replaces an earlier entry of the same name, so a project define wins.
PredefinedWordList buildMacroSeeds(const PredefinedWordList& globalWords, const PredefinedWordList& projectDefines);

// The messages shown when a name is refused as a predefined word or project define.
inline constexpr std::string_view kDefinedWordEmptyMessage = "Defined Word must have at least one charater.";
inline constexpr std::string_view kDefinedWordNotNameMessage = "Defined Word must string.";

// The message refusing `name`, or nothing when it is accepted: a name must not be empty and must
// start with an ASCII letter or '_'. Only the first character counts ("_X y" is accepted).
std::optional<std::string> validatePredefinedName(std::string_view name);

// Both files are text written line by line with CR LF line ends; reading takes LF or CR LF.
//
// Include.ini holds the four lists in index order, each as a count line ("%d") followed by that
// many directory lines. loadIncludeLists fills `lists` from it: each list is emptied, its count
// is read with atoi's rules and up to that many following lines are appended unchanged, stopping
// at the end of the file; a count of 0 or less reads no lines. When the file cannot be opened (or
// is not a regular file) the lists are given defaultIncludeLists instead and false is returned.
//
// Both readers read at most kMaxSmallFileBytes: a larger file counts as one that cannot be
// opened, and `report` (when given) receives "<path> : file too large".
using OptionFileReport = std::function<void(std::string_view message)>;
bool loadIncludeLists(const std::filesystem::path& path, IncludeDirectoryLists& lists,
                      const OptionFileReport& report = {});

// The global predefined words of a user who has none yet: what this platform's compiler
// (GCC 12 on x86-64 Linux, C++17 and C17) defines and sources test most. `__cplusplus` and the
// `__cpp_` words reach only C++ files, `__STDC_VERSION__` only C files (wordAppliesTo); they are
// otherwise words like any other, shown, edited and saved with the list.
PredefinedWordList defaultPredefinedWords();

// predefined.ini holds a name line and a value line ("%ld") per word. The value is read with
// atol's rules and narrowed with narrowToInt32; a final name without its value line is dropped;
// names are not checked. When there is no such file yet, the list is defaultPredefinedWords();
// a file that exists but cannot be opened gives an empty list.
PredefinedWordList loadPredefinedWords(const std::filesystem::path& path, const OptionFileReport& report = {});

// The writers build the whole file in a temporary file beside `path` and rename it over `path`,
// so a failed save leaves the earlier file whole. On failure they throw model::Error with the
// text "<path> : cannot write file" and leave no temporary file behind. A symbolic link at `path`
// is followed: the file it points to is replaced and the link stays.
void saveIncludeLists(const std::filesystem::path& path, const IncludeDirectoryLists& lists);
void savePredefinedWords(const std::filesystem::path& path, const PredefinedWordList& words);

// The per-user folder of the files the program writes: $QUILLMARSH_CONFIG_DIR when set and not
// empty, else $XDG_CONFIG_HOME/Quillmarsh when that is an absolute path, else
// $HOME/.config/Quillmarsh (the home folder from the user database when HOME is unset, "/" when
// even that fails). The folder is not created here.
std::filesystem::path configDirectory();

// Creates configDirectory() with its missing parents and returns it; throws model::Error
// "<folder> : cannot create folder" when that fails.
std::filesystem::path ensureConfigDirectory();

std::filesystem::path includeListsPath();     // configDirectory() / "Include.ini"
std::filesystem::path predefinedWordsPath();  // configDirectory() / "predefined.ini"

}  // namespace qm::frontend
