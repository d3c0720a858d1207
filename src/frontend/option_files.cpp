#include "frontend/option_files.h"

#include "frontend/atomic_file.h"

#include "frontend/c_numbers.h"
#include "model/error.h"

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <fstream>
#include <string>

#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

namespace qm::frontend {

namespace fs = std::filesystem;

const std::vector<std::string>& selectIncludeList(const IncludeDirectoryLists& lists, int index)
{
    static const std::vector<std::string> kNone;
    if (index < 0 || static_cast<std::size_t>(index) >= lists.lists.size()) {
        return kNone;
    }
    return lists.lists[static_cast<std::size_t>(index)];
}

void fillDefaultIncludeLists(const ProductDirectories& products, IncludeDirectoryLists& lists)
{
    static const std::vector<std::string_view> kOldSuffixes{"\\INCLUDE", "\\MFC\\INCLUDE", "\\ATL\\INCLUDE"};
    static const std::vector<std::string_view> kNewSuffixes{"\\INCLUDE", "\\ATLMFC\\INCLUDE",
                                                            "\\PlatformSDK\\Include\\PRERELEASE",
                                                            "\\PlatformSDK\\Include"};
    for (std::size_t i = 0; i < products.size(); ++i) {
        if (products[i].empty()) {
            continue;
        }
        std::vector<std::string>& list = lists.lists[i];
        list.clear();
        for (const std::string_view suffix : i == 0 ? kOldSuffixes : kNewSuffixes) {
            list.push_back(products[i] + std::string(suffix));
        }
    }
}

ProductDirectories installedProductDirectories()
{
    // The compilers' installation folders come from a system registry this platform lacks.
    return {};
}

void defaultIncludeLists(IncludeDirectoryLists& lists)
{
    fillDefaultIncludeLists(installedProductDirectories(), lists);
}

std::vector<std::string> projectResetIncludeDirectories()
{
    return {
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\INCLUDE",
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\MFC\\INCLUDE",
        "E:\\Program Files\\Microsoft Visual Studio\\VC98\\ATL\\INCLUDE",
    };
}

PredefinedWordList buildMacroSeeds(const PredefinedWordList& globalWords, const PredefinedWordList& projectDefines)
{
    PredefinedWordList seeds;
    seeds.reserve(globalWords.size() + projectDefines.size());
    seeds.insert(seeds.end(), globalWords.begin(), globalWords.end());
    seeds.insert(seeds.end(), projectDefines.begin(), projectDefines.end());
    return seeds;
}

std::optional<std::string> validatePredefinedName(std::string_view name)
{
    if (name.empty()) {
        return std::string(kDefinedWordEmptyMessage);
    }
    const char first = name.front();
    const bool isLetter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
    if (!isLetter && first != '_') {
        return std::string(kDefinedWordNotNameMessage);
    }
    return std::nullopt;
}

namespace {

// Reads a text file line by line, taking off LF or CR LF. The stream is read as it goes, so a
// reader that stops early never reads the rest of a large file.
class LineReader {
public:
    explicit LineReader(const fs::path& path)
    {
        std::error_code ec;
        if (fs::is_regular_file(path, ec)) {  // a folder or a pipe is no option file
            m_in.open(path, std::ios::binary);
        }
    }

    bool isOpen() const { return m_in.is_open(); }

    // The next line without its line end; false at the end of the file (or on a read error).
    bool next(std::string& line)
    {
        if (!std::getline(m_in, line)) {
            return false;
        }
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        return true;
    }

private:
    std::ifstream m_in;
};

void appendLine(std::string& out, std::string_view line)
{
    out += line;
    out += "\r\n";
}

}  // namespace

bool loadIncludeLists(const fs::path& path, IncludeDirectoryLists& lists)
{
    LineReader reader(path);
    if (!reader.isOpen()) {
        defaultIncludeLists(lists);
        return false;
    }
    std::string line;
    for (std::vector<std::string>& list : lists.lists) {
        list.clear();
        // The count only bounds the loop; it is never used to reserve memory, since a damaged
        // file may claim billions of lines it does not have.
        const std::int32_t count = reader.next(line) ? parseAtoi(line) : 0;
        for (std::int32_t i = 0; i < count && reader.next(line); ++i) {
            list.push_back(line);
        }
    }
    return true;
}

void saveIncludeLists(const fs::path& path, const IncludeDirectoryLists& lists)
{
    std::string text;
    for (const std::vector<std::string>& list : lists.lists) {
        appendLine(text, std::to_string(list.size()));
        for (const std::string& directory : list) {
            appendLine(text, directory);
        }
    }
    writeFileAtomically(path, text);
}

PredefinedWordList defaultPredefinedWords()
{
    // What GCC 12 defines on x86-64 Linux that sources test most, for C++17 and C17. The two
    // language words are given only to files of their language (wordAppliesTo).
    return {
        {"__cplusplus", 201703},
        {"__STDC_VERSION__", 201710},
        {"__STDC__", 1},
        {"__STDC_HOSTED__", 1},
        {"__GNUC__", 12},
        {"__GNUC_MINOR__", 2},
        {"__GNUC_PATCHLEVEL__", 0},
        {"__cpp_exceptions", 199711},
        {"__cpp_rtti", 199711},
        {"__linux__", 1},
        {"__linux", 1},
        {"__gnu_linux__", 1},
        {"__unix__", 1},
        {"__unix", 1},
        {"__ELF__", 1},
        {"__x86_64__", 1},
        {"__x86_64", 1},
        {"__amd64__", 1},
        {"__amd64", 1},
        {"__LP64__", 1},
        {"_LP64", 1},
        {"__SSE__", 1},
        {"__SSE2__", 1},
        {"__CHAR_BIT__", 8},
        {"__SIZEOF_SHORT__", 2},
        {"__SIZEOF_INT__", 4},
        {"__SIZEOF_LONG__", 8},
        {"__SIZEOF_LONG_LONG__", 8},
        {"__SIZEOF_POINTER__", 8},
        {"__SIZEOF_SIZE_T__", 8},
        {"__SIZEOF_WCHAR_T__", 4},
        {"__SIZEOF_FLOAT__", 4},
        {"__SIZEOF_DOUBLE__", 8},
        {"__SIZEOF_LONG_DOUBLE__", 16},
        {"__ORDER_LITTLE_ENDIAN__", 1234},
        {"__ORDER_BIG_ENDIAN__", 4321},
        {"__ORDER_PDP_ENDIAN__", 3412},
        {"__BYTE_ORDER__", 1234},
        {"__SCHAR_MAX__", 127},
        {"__SHRT_MAX__", 32767},
        {"__INT_MAX__", 2147483647},
    };
}

PredefinedWordList loadPredefinedWords(const fs::path& path)
{
    std::error_code ec;
    if (fs::symlink_status(path, ec).type() == fs::file_type::not_found) {
        return defaultPredefinedWords();  // nothing saved yet
    }
    PredefinedWordList words;
    LineReader reader(path);
    std::string name;
    std::string value;
    while (reader.next(name) && reader.next(value)) {
        words.push_back(PredefinedWord{name, narrowToInt32(parseAtol(value))});
    }
    return words;
}

void savePredefinedWords(const fs::path& path, const PredefinedWordList& words)
{
    std::string text;
    for (const PredefinedWord& word : words) {
        appendLine(text, word.name);
        appendLine(text, std::to_string(word.value));
    }
    writeFileAtomically(path, text);
}

namespace {

std::string environmentValue(const char* name)
{
    const char* value = std::getenv(name);
    return value ? std::string(value) : std::string();
}

fs::path homeDirectory()
{
    std::string home = environmentValue("HOME");
    if (!home.empty()) {
        return home;
    }
    struct passwd entry {};
    struct passwd* found = nullptr;
    std::vector<char> buffer(16 * 1024);
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir
        && found->pw_dir[0] != '\0') {
        return found->pw_dir;
    }
    return "/";
}

}  // namespace

fs::path configDirectory()
{
    const std::string overridden = environmentValue("QUILLMARSH_CONFIG_DIR");
    if (!overridden.empty()) {
        return overridden;
    }
    // A relative XDG_CONFIG_HOME is invalid and ignored, as the base directory rules ask.
    const fs::path xdg = environmentValue("XDG_CONFIG_HOME");
    if (xdg.is_absolute()) {
        return xdg / "Quillmarsh";
    }
    return homeDirectory() / ".config" / "Quillmarsh";
}

fs::path ensureConfigDirectory()
{
    const fs::path folder = configDirectory();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        throw model::Error(folder.string() + " : cannot create folder");
    }
    return folder;
}

fs::path includeListsPath()
{
    return configDirectory() / "Include.ini";
}

fs::path predefinedWordsPath()
{
    return configDirectory() / "predefined.ini";
}

}  // namespace qm::frontend
