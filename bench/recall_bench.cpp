// recall_bench: how much of what universal-ctags finds the analysis finds too, per code base.
//
// For each code base (a name and one or more directories), every C and C++ file under the
// directories, headers included, is a project file of one engine run, and universal-ctags reads
// the same list. Compared are the types (class, struct, union, enum, namespace) and the function
// definitions: ctags' tags of those kinds against the symbol table's entries with a definition
// (an entry with a body), as (file, name, type-or-function) triples. Reported per code base:
//   found      the share of ctags' types and of its function definitions that the symbol table has
//   off        how many of ctags' tags lie in code that the configuration switches off on this
//              platform: lines that the system compiler's preprocessor drops in every translation
//              unit of the code base (CompilerView); ctags reads both sides of every #if
//   live found the share of the tags outside such code that the symbol table has
//   confirmed  the share of the symbol table's triples that ctags has too (a ctags typedef of the
//              same name confirms a type: `typedef struct { ... } T;` is struct T here), and the
//              share that ctags or the source as the compiler sees it confirms (a definition of
//              that name in that file after the compiler's preprocessing: names made by macros)
//   speed      ctags' CPU time / the full analysis' CPU time (1.0: as fast as ctags)
// `--misses=N` prints up to N of the triples that each side has and the other lacks; a miss is
// marked [off] in switched-off code, [dropped] where the compiler keeps the line and this
// program's preprocessing does not, and [macro] where the compiler sees no definition of that name
// in the file (a macro call that ctags takes for a definition).
//
//   recall_bench [--misses=N] [--ctags=PATH] [--compiler=PATH|--no-compiler]
//                [NAME=DIR[:DIR...][+WORD[=N]...][+-IDIR...]]...
//
// The run uses the default predefined words, as a run of the command-line program does, and
// the code base's own configuration words after them (the compiler gets those as -D).
//
// Without code bases it reads the default list below, skipping those not installed.
#include "bench_support.h"
#include "compiler_view.h"

#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "frontend/option_files.h"
#include "model/symbol_table.h"
#include "parser/parse_unit.h"

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm::model::NodeKind;

constexpr const char* kProgram = "recall_bench";

struct CodeBase {
    std::string name;
    std::vector<fs::path> dirs;
    // Further include directories a user of the code base gives (`+-IDIR`): searched, not read.
    std::vector<std::string> includeDirs;
    // Configuration words a user of the code base defines (`CATCH_CONFIG_MAIN` for the one
    // file that holds Catch's implementation), after the default predefined words.
    qm::frontend::PredefinedWordList words;
};

// NAME=DIR[:DIR...][+WORD[=N]...][+-IDIR...]
CodeBase parseCodeBase(const std::string& arg, std::size_t eq)
{
    CodeBase base{arg.substr(0, eq), {}, {}, {}};
    std::stringstream parts(arg.substr(eq + 1));
    std::string dirs;
    std::getline(parts, dirs, '+');
    std::stringstream dirList(dirs);
    for (std::string dir; std::getline(dirList, dir, ':');) base.dirs.emplace_back(dir);
    for (std::string word; std::getline(parts, word, '+');) {
        if (word.rfind("-I", 0) == 0) {
            base.includeDirs.push_back(word.substr(2));
            continue;
        }
        const auto value = word.find('=');
        base.words.push_back({word.substr(0, value), value == std::string::npos ? 1 : std::stoi(word.substr(value + 1))});
    }
    return base;
}

// Code bases from Debian packages that the parser was never tuned on.
const std::vector<std::pair<const char*, const char*>> kDefaultCodeBases = {
    // Modern C++ libraries, header-only or nearly.
    {"fmt", "/usr/include/fmt"},
    {"nlohmann-json", "/usr/include/nlohmann"},
    {"spdlog", "/usr/include/spdlog"},
    {"cli11", "/usr/include/CLI"},
    {"glm", "/usr/include/glm"},
    {"rapidjson", "/usr/include/rapidjson"},
    {"catch2", "/usr/include/catch2+CATCH_CONFIG_MAIN"},
    {"pugixml", "/usr/include/pugixml.hpp"},
    {"eigen-core", "/usr/include/eigen3/Eigen/src/Core"},
    {"boost-optional", "/usr/include/boost/optional"},
    {"boost-variant2", "/usr/include/boost/variant2"},
    {"boost-circular-buffer", "/usr/include/boost/circular_buffer"},
    {"boost-container", "/usr/include/boost/container"},
    {"googletest", "/usr/src/googletest"},
    // The same with its include directories, as its build has them: without them the compiler
    // takes the installed copies of its headers under /usr/include, which this program does not
    // read, and code under `#if GTEST_HAS_...` counts as dropped.
    {"googletest-built", "/usr/src/googletest+-I/usr/src/googletest/googletest/include+-I/usr/src/googletest/googlemock/include"
                         "+-I/usr/src/googletest/googletest+-I/usr/src/googletest/googlemock"},
    // C library headers and C example programs.
    {"curl-headers", "/usr/include/x86_64-linux-gnu/curl"},
    {"libxml2-headers", "/usr/include/libxml2/libxml"},
    {"curl-examples", "/usr/share/doc/libcurl4/examples"},
    {"libxml2-examples", "/usr/share/doc/libxml2-doc/examples"},
};

enum class Category { Type, Function };

using Triple = std::tuple<std::string, std::string, Category>;  // file, name, category

std::string normalPath(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

// ctags writes `operator <`, `operator new` and `operator bool`; the symbol table names a symbol
// operator by its symbol alone (`<`, `new`) and a conversion operator `operator bool`.
std::string ctagsName(std::string name)
{
    if (name.rfind("operator", 0) == 0 && name.size() > 8) {
        const char next = name[8];
        const bool word = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '_';
        std::size_t start = 8;
        while (start < name.size() && name[start] == ' ') ++start;
        const char first = start < name.size() ? name[start] : '\0';
        const bool symbol = !word && !((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_');
        // `operator new[]` is `new[]` here, like a symbol operator; `operator newline` stays.
        const std::string_view rest = std::string_view(name).substr(start);
        const bool allocation = [&] {
            for (const std::string_view word : {std::string_view("new"), std::string_view("delete")}) {
                if (rest.substr(0, word.size()) == word
                    && (rest.size() == word.size() || rest[word.size()] == ' ' || rest[word.size()] == '[')) {
                    return true;
                }
            }
            return false;
        }();
        if (symbol || allocation) {
            std::string out;
            for (std::size_t i = start; i < name.size(); ++i) {
                if (name[i] != ' ') out.push_back(name[i]);
            }
            return out;
        }
    }
    return name;
}

struct CtagsResult {
    std::map<Triple, std::vector<int>> tags;  // with the lines ctags gives for each
    std::set<std::pair<std::string, std::string>> typedefs;  // file, name
};

bool readCtags(const std::string& ctags, const std::string& listFile, const fs::path& out, CtagsResult& result)
{
    const std::vector<std::string> argv{ctags,        "--languages=C,C++", "--kinds-C++=cgnsuft", "--kinds-C=gsuft",
                                        "--fields=+nK", "--output-format=json", "-L", listFile, "-f", "-"};
    if (!qm::bench::runChild(argv, out.string(), kProgram, "/dev/null")) return false;
    std::ifstream in(out);
    std::string line;
    std::map<std::string, std::string> normal;
    while (std::getline(in, line)) {
        const nlohmann::json tag = nlohmann::json::parse(line, nullptr, false);
        if (tag.is_discarded() || tag.value("_type", "") != "tag") continue;
        const std::string kind = tag.value("kind", "");
        const std::string name = tag.value("name", "");
        auto [it, inserted] = normal.try_emplace(tag.value("path", ""));
        if (inserted) it->second = normalPath(it->first);
        const std::string& path = it->second;
        const int lineNumber = tag.value("line", 0);
        if (name.rfind("__anon", 0) == 0) continue;  // ctags' names for anonymous types
        if (kind == "typedef") {
            result.typedefs.insert({path, name});
        } else if (kind == "function") {
            result.tags[{path, ctagsName(name), Category::Function}].push_back(lineNumber);
        } else if (kind == "class" || kind == "struct" || kind == "union" || kind == "enum" || kind == "namespace") {
            result.tags[{path, name, Category::Type}].push_back(lineNumber);
        }
    }
    return true;
}

void collectSymbols(const qm::model::SymbolEntry& root, std::set<Triple>& out)
{
    std::vector<const qm::model::SymbolEntry*> pending{&root};
    std::map<std::string, std::string> normal;  // path as written -> normalised
    while (!pending.empty()) {
        const qm::model::SymbolEntry* entry = pending.back();
        pending.pop_back();
        if (entry->children) {
            for (const auto& [key, child] : *entry->children) pending.push_back(&child);
        }
        Category category;
        switch (entry->kind) {
        case NodeKind::Class: case NodeKind::Struct: case NodeKind::Union: case NodeKind::Enum: case NodeKind::Namespace:
            category = Category::Type;
            break;
        case NodeKind::Function: case NodeKind::OverloadMethod: case NodeKind::OverloadFunctionMethod:
            category = Category::Function;
            break;
        default:
            continue;
        }
        if (entry->name.rfind("Nameless ", 0) == 0) continue;
        for (const std::string_view file : entry->definitionFiles) {
            auto [it, inserted] = normal.try_emplace(std::string(file));
            if (inserted) it->second = normalPath(it->first);
            out.insert({it->second, entry->name, category});
        }
    }
}

// The lines of each file that hold a token after this program's preprocessing, in any unit.
using LiveLines = std::map<std::string, std::vector<bool>>;

void collectLiveLines(const qm::frontend::AnalysisEngine& engine, LiveLines& out)
{
    std::map<std::string, std::string> normal;
    std::vector<const qm::model::SourceUnit*> pending;
    for (const auto& file : engine.files()) {
        if (file->rootUnit) pending.push_back(file->rootUnit.get());
    }
    while (!pending.empty()) {
        const qm::model::SourceUnit* unit = pending.back();
        pending.pop_back();
        for (const auto& included : unit->includedUnits) pending.push_back(included.get());
        auto [it, inserted] = normal.try_emplace(unit->fileName);
        if (inserted) it->second = normalPath(unit->fileName);
        std::vector<bool>& lines = out[it->second];
        for (const qm::model::Token& token : unit->tokens) {
            if (token.code == qm::model::tok::Newline || token.line <= 0) continue;
            if (lines.size() <= static_cast<std::size_t>(token.line)) lines.resize(static_cast<std::size_t>(token.line) + 1);
            lines[static_cast<std::size_t>(token.line)] = true;
        }
    }
}

bool isLive(const LiveLines& live, const std::string& file, int line)
{
    const auto it = live.find(file);
    return it != live.end() && line > 0 && static_cast<std::size_t>(line) < it->second.size() && it->second[static_cast<std::size_t>(line)];
}

struct Figures {
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    std::size_t ctagsTypes = 0, ctagsFunctions = 0, foundTypes = 0, foundFunctions = 0;
    std::size_t offTypes = 0, offFunctions = 0;  // tags in switched-off code (none found there)
    std::size_t ours = 0, confirmed = 0, confirmedBySource = 0;
    bool compilerView = false;
    double ourSeconds = 0, ctagsSeconds = 0;
};

void printMisses(const char* title, const std::vector<std::pair<Triple, std::string>>& list, int limit)
{
    std::cout << "  " << title << " (" << list.size() << ")\n";
    for (int i = 0; i < limit && i < static_cast<int>(list.size()); ++i) {
        const auto& [triple, note] = list[static_cast<std::size_t>(i)];
        const auto& [file, name, category] = triple;
        std::cout << "    " << (category == Category::Type ? "type     " : "function ") << name << "  " << file << note
                  << '\n';
    }
}

struct Options {
    int misses = 0;
    std::string ctags;
    std::string compiler;  // empty: no compiler view
};

std::optional<Figures> measure(const CodeBase& base, const Options& options, const fs::path& temp)
{
    std::vector<std::string> files;
    for (const fs::path& dir : base.dirs) {
        if (fs::is_regular_file(dir)) {
            files.push_back(fs::absolute(dir).string());
            continue;
        }
        for (std::string& file : qm::bench::collectFiles(
                 dir, {".c", ".cc", ".cpp", ".cxx", ".h", ".hh", ".hpp", ".hxx", ".inl", ".ipp", ".tcc"})) {
            files.push_back(std::move(file));
        }
    }
    if (files.empty()) return std::nullopt;
    Figures figures;
    figures.files = files.size();
    figures.bytes = qm::bench::totalFileBytes(files);
    const fs::path listFile = temp / (base.name + ".list");
    qm::bench::writeLines(listFile, files);
    std::vector<std::string> includeDirectories;
    for (const fs::path& dir : base.dirs) {
        includeDirectories.push_back((fs::is_regular_file(dir) ? dir.parent_path() : dir).string());
    }
    includeDirectories.insert(includeDirectories.end(), base.includeDirs.begin(), base.includeDirs.end());

    // The full analysis, best of two runs (the first also warms the file cache).
    std::set<Triple> ours;
    LiveLines ourLines;
    for (int round = 0; round < 2; ++round) {
        qm::frontend::LogSink log;
        qm::frontend::AnalysisEngine engine(log);
        engine.setParser(qm::parser::parseUnit);
        qm::frontend::RunSettings settings = qm::bench::projectSettings(files);
        qm::frontend::PredefinedWordList words = qm::frontend::defaultPredefinedWords();
        words.insert(words.end(), base.words.begin(), base.words.end());
        settings.macroSeeds = qm::frontend::buildMacroSeeds(words, {});
        settings.includeDirectories = includeDirectories;
        const auto start = qm::bench::CpuClock::now();
        engine.runSynchronously(std::move(settings));
        const double spent = qm::bench::seconds(qm::bench::CpuClock::now() - start);
        figures.ourSeconds = round == 0 ? spent : std::min(figures.ourSeconds, spent);
        if (round == 0) {
            collectSymbols(engine.result(), ours);
            // Only the code base's own files count: ctags reads those alone, and a header the
            // code base includes from elsewhere (Eigen's ../plugins) would be unconfirmed.
            std::set<std::string> listed;
            for (const std::string& file : files) listed.insert(normalPath(file));
            std::erase_if(ours, [&](const Triple& t) { return listed.count(std::get<0>(t)) == 0; });
            collectLiveLines(engine, ourLines);
        }
    }
    for (int round = 0; round < 2; ++round) {
        const auto usage = qm::bench::runCtags(options.ctags, listFile.string(), kProgram);
        if (!usage) return std::nullopt;
        figures.ctagsSeconds = round == 0 ? usage->cpuSeconds : std::min(figures.ctagsSeconds, usage->cpuSeconds);
    }
    CtagsResult reference;
    if (!readCtags(options.ctags, listFile.string(), temp / (base.name + ".json"), reference)) return std::nullopt;

    qm::bench::CompilerView compiler;
    if (!options.compiler.empty()) {
        qm::bench::CompilerView::Options viewOptions;
        viewOptions.compiler = options.compiler;
        viewOptions.includeDirectories = includeDirectories;
        for (const auto& word : base.words) viewOptions.words.push_back({word.name, word.value});
        viewOptions.workDirectory = temp / (base.name + ".cpp-view");
        std::vector<std::string> normalFiles;
        for (const std::string& file : files) normalFiles.push_back(normalPath(file));
        figures.compilerView = compiler.build(normalFiles, viewOptions);
        if (options.misses > 0 && figures.compilerView) {
            std::cout << base.name << ": the compiler preprocessed " << compiler.units() << " units ("
                      << compiler.failedUnits() << " with errors, " << compiler.stubs() << " missing headers stubbed)\n";
        }
    }
    // A tag lies in switched-off code when the compiler keeps none of its lines.
    auto switchedOff = [&](const Triple& tag, const std::vector<int>& lines) {
        if (!figures.compilerView || !compiler.knows(std::get<0>(tag))) return false;
        return std::none_of(lines.begin(), lines.end(), [&](int line) { return compiler.live(std::get<0>(tag), line); });
    };

    std::vector<std::pair<Triple, std::string>> notFound, notConfirmed;
    std::vector<std::pair<Triple, std::string>> offMisses;
    for (const auto& [tag, lines] : reference.tags) {
        const bool found = ours.count(tag) != 0;
        const bool off = !found && switchedOff(tag, lines);
        if (std::get<2>(tag) == Category::Type) {
            ++figures.ctagsTypes;
            figures.foundTypes += found;
            figures.offTypes += off;
        } else {
            ++figures.ctagsFunctions;
            figures.foundFunctions += found;
            figures.offFunctions += off;
        }
        if (found) continue;
        std::string note(1, ':');
        note += std::to_string(lines.front());
        if (off) {
            offMisses.push_back({tag, note + " [off]"});
            continue;
        }
        const bool dropped = std::none_of(lines.begin(), lines.end(), [&](int line) { return isLive(ourLines, std::get<0>(tag), line); });
        // A tag the compiler's view of the file does not define is a macro call ctags took for a
        // definition (`TEST(A, B) { ... }`): the name is what the macro is called, not what it makes.
        const auto& [file, name, category] = tag;
        const bool macro = !dropped && figures.compilerView && compiler.knows(file)
                           && !(category == Category::Type ? compiler.definesType(file, name) : compiler.definesFunction(file, name));
        notFound.push_back({tag, note + (dropped ? " [dropped]" : macro ? " [macro]" : "")});
    }
    for (const Triple& mine : ours) {
        const auto& [file, name, category] = mine;
        const bool confirmed = reference.tags.count(mine) != 0
                               || (category == Category::Type && reference.typedefs.count({file, name}) != 0);
        const bool bySource = confirmed
                              || (category == Category::Type ? compiler.definesType(file, name)
                                                             : compiler.definesFunction(file, name));
        ++figures.ours;
        figures.confirmed += confirmed;
        figures.confirmedBySource += bySource;
        if (!confirmed) notConfirmed.push_back({mine, bySource ? " [source]" : ""});
    }
    if (options.misses > 0) {
        // Real misses first, then the confirmed-by-source entries last.
        std::stable_partition(notConfirmed.begin(), notConfirmed.end(), [](const auto& e) { return e.second.empty(); });
        std::cout << base.name << ":\n";
        printMisses("ctags has, the symbol table lacks, outside switched-off code", notFound, options.misses);
        printMisses("ctags has in switched-off code", offMisses, options.misses);
        printMisses("the symbol table has, ctags lacks", notConfirmed, options.misses);
    }
    return figures;
}

double percent(std::size_t part, std::size_t whole) { return whole == 0 ? 100.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole); }

}  // namespace

int main(int argc, char** argv)
{
    if (const int status = qm::bench::runMeasuringMode(argc, argv); status >= 0) return status;
    Options options;
    bool withCompiler = true;
    std::vector<CodeBase> bases;
    const char* usage = " [--misses=N] [--ctags=PATH] [--compiler=PATH|--no-compiler] [NAME=DIR[:DIR...][+WORD[=N]...][+-IDIR...]]...\n";
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--misses=", 0) == 0) {
            options.misses = std::stoi(arg.substr(9));
        } else if (arg.rfind("--ctags=", 0) == 0) {
            options.ctags = arg.substr(8);
        } else if (arg.rfind("--compiler=", 0) == 0) {
            options.compiler = arg.substr(11);
        } else if (arg == "--no-compiler") {
            withCompiler = false;
        } else if (arg == "--help") {
            std::cout << "usage: " << kProgram << usage;
            return 0;
        } else if (const auto eq = arg.find('='); eq != std::string::npos && arg[0] != '-') {
            bases.push_back(parseCodeBase(arg, eq));
        } else {
            std::cerr << kProgram << ": unknown argument " << arg << '\n';
            return 2;
        }
    }
    if (bases.empty()) {
        for (const auto& [name, folders] : kDefaultCodeBases) {
            const std::string arg = std::string(name) + "=" + folders;
            CodeBase base = parseCodeBase(arg, arg.find('='));
            if (fs::exists(base.dirs.front())) bases.push_back(std::move(base));
        }
    }
    if (options.ctags.empty()) {
        const auto found = qm::bench::findInPath("ctags");
        if (!found) {
            std::cerr << kProgram << ": universal-ctags is not installed (apt-get install universal-ctags)\n";
            return 1;
        }
        options.ctags = *found;
    }
    if (!withCompiler) {
        options.compiler.clear();
    } else if (options.compiler.empty()) {
        if (const auto found = qm::bench::findInPath("g++")) {
            options.compiler = *found;
        } else {
            std::cerr << kProgram << ": no g++ in PATH: switched-off code is not told apart\n";
        }
    }
    qm::bench::TempDir temp("recall-bench-");

    std::printf("| code base | files | KB | ctags types | found | off | found outside off | ctags functions | found | off "
                "| found outside off | ours | confirmed by ctags | by ctags or source | analysis s | ctags s | speed vs ctags |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::fflush(stdout);
    for (const CodeBase& base : bases) {
        const auto figures = measure(base, options, temp.dir());
        if (!figures) {
            std::printf("| %s | (not measured) ||||||||||||||||\n", base.name.c_str());
            continue;
        }
        const Figures& f = *figures;
        auto live = [&](std::size_t found, std::size_t all, std::size_t off) {
            char text[32];
            if (!f.compilerView) return std::string("-");
            std::snprintf(text, sizeof text, "%.1f %%", percent(found, all - off));
            return std::string(text);
        };
        std::printf("| %s | %zu | %llu | %zu | %.1f %% | %zu | %s | %zu | %.1f %% | %zu | %s | %zu | %.1f %% | %s | %.3f | %.3f | %.2f |\n",
                    base.name.c_str(), f.files, static_cast<unsigned long long>(f.bytes / 1024), f.ctagsTypes,
                    percent(f.foundTypes, f.ctagsTypes), f.offTypes, live(f.foundTypes, f.ctagsTypes, f.offTypes).c_str(),
                    f.ctagsFunctions, percent(f.foundFunctions, f.ctagsFunctions), f.offFunctions,
                    live(f.foundFunctions, f.ctagsFunctions, f.offFunctions).c_str(), f.ours,
                    percent(f.confirmed, f.ours),
                    live(f.confirmedBySource, f.ours, 0).c_str(), f.ourSeconds, f.ctagsSeconds,
                    f.ourSeconds > 0 ? f.ctagsSeconds / f.ourSeconds : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
