// CompilerView: what the system compiler's preprocessor keeps of a code base, as a second
// reference for recall_bench.
//
// Every file of the code base is preprocessed by the compiler (`g++ -E`, C files as C17, the rest
// as C++17) as a translation unit of its own, with the code base's folders as include
// directories and its configuration words as -D options. `#include <...>` is followed as the
// compiler follows it, so configuration headers of other packages count. A header the compiler
// cannot find is replaced by an empty one and the file is preprocessed again. From the output,
// by its line markers, the view keeps for each file of the code base:
//
// - the lines that some translation unit keeps: a line no unit keeps lies in code that the
//   configuration switches off on this platform (or in a file that no unit reaches, `known` is
//   then false);
// - the names that some unit defines there: a name after class/struct/union/enum/namespace
//   followed by `{` or a base list, a name after the `}` of a typedef'd body, and a name
//   followed by a parameter list that a body (or a constructor's initialiser list) follows.
//   Names made by macros count, since the compiler sees them.
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <unordered_map>
#include <unordered_set>
#include <utility>
#include <vector>

namespace qm::bench {

class CompilerView {
public:
    struct Options {
        std::string compiler = "g++";
        std::vector<std::string> includeDirectories;
        std::vector<std::pair<std::string, int>> words;  // -D NAME=VALUE
        std::filesystem::path workDirectory;             // outputs and stub headers go here
        int jobs = 2;
    };

    // Preprocesses each of `files` (normalised absolute paths). Returns false when the compiler
    // could not be started at all.
    bool build(const std::vector<std::string>& files, const Options& options);

    // Whether some translation unit reached the file.
    bool knows(const std::string& file) const { return m_files.count(file) != 0; }
    // Whether some translation unit keeps the line (1-based) of the file.
    bool live(const std::string& file, int line) const;
    bool definesType(const std::string& file, const std::string& name) const;
    bool definesFunction(const std::string& file, const std::string& name) const;

    std::size_t units() const { return m_units; }
    std::size_t failedUnits() const { return m_failedUnits; }  // ended with an error other than a missing header
    std::size_t stubs() const { return m_stubs; }

    // Exposed for the tests of the fact finder: reads one preprocessed output.
    void readOutput(const std::string& text);

private:
    struct FileFacts {
        std::vector<bool> lines;
        std::unordered_set<std::string> types;
        std::unordered_set<std::string> functions;
    };
    FileFacts* factsFor(const std::string& markerPath);

    std::unordered_set<std::string> m_codeBase;
    std::unordered_map<std::string, FileFacts> m_files;
    std::unordered_map<std::string, FileFacts*> m_markerPaths;  // path as a line marker writes it
    std::size_t m_units = 0;
    std::size_t m_failedUnits = 0;
    std::size_t m_stubs = 0;
};

}  // namespace qm::bench
