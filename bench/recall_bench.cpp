// recall_bench: how much of what universal-ctags finds the analysis finds too, per code base.
//
// For each code base (a name and one or more directories), every C and C++ file under the
// directories, headers included, is a project file of one engine run, and universal-ctags reads
// the same list. Compared are the types (class, struct, union, enum, namespace) and the function
// definitions: ctags' tags of those kinds against the symbol table's entries with a definition
// (an entry with a body), as (file, name, type-or-function) triples. Reported per code base:
//   found      the share of ctags' types and of its function definitions that the symbol table has
//   confirmed  the share of the symbol table's triples that ctags has too (a ctags typedef of the
//              same name confirms a type: `typedef struct { ... } T;` is struct T here)
//   speed      ctags' CPU time / the full analysis' CPU time (1.0: as fast as ctags)
// `--misses=N` prints up to N of the triples that each side has and the other lacks.
//
//   recall_bench [--misses=N] [--ctags=PATH] [NAME=DIR[:DIR...][+WORD[=N]...]]...
//
// The run uses the default predefined words, as a run of the command-line program does, and
// the code base's own configuration words after them.
//
// Without code bases it reads the default list below, skipping those not installed.
#include "bench_support.h"

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
#include <tuple>
#include <vector>

namespace {

namespace fs = std::filesystem;
using qm::model::NodeKind;

constexpr const char* kProgram = "recall_bench";

struct CodeBase {
    std::string name;
    std::vector<fs::path> dirs;
    // Configuration words a user of the code base defines (`CATCH_CONFIG_MAIN` for the one
    // file that holds Catch's implementation), after the default predefined words.
    qm::frontend::PredefinedWordList words;
};

// NAME=DIR[:DIR...][+WORD[=N]...]
CodeBase parseCodeBase(const std::string& arg, std::size_t eq)
{
    CodeBase base{arg.substr(0, eq), {}, {}};
    std::stringstream parts(arg.substr(eq + 1));
    std::string dirs;
    std::getline(parts, dirs, '+');
    std::stringstream dirList(dirs);
    for (std::string dir; std::getline(dirList, dir, ':');) base.dirs.emplace_back(dir);
    for (std::string word; std::getline(parts, word, '+');) {
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

// ctags writes `operator <` and `operator bool`; the symbol table names a symbol operator by its
// symbol alone (`<`) and a conversion operator `operator bool`.
std::string ctagsName(std::string name)
{
    if (name.rfind("operator", 0) == 0 && name.size() > 8) {
        const char next = name[8];
        const bool word = (next >= 'a' && next <= 'z') || (next >= 'A' && next <= 'Z') || next == '_';
        std::size_t start = 8;
        while (start < name.size() && name[start] == ' ') ++start;
        const char first = start < name.size() ? name[start] : '\0';
        const bool symbol = !word && !((first >= 'a' && first <= 'z') || (first >= 'A' && first <= 'Z') || first == '_');
        if (symbol) {
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
    std::set<Triple> tags;
    std::set<std::pair<std::string, std::string>> typedefs;  // file, name
};

bool readCtags(const std::string& ctags, const std::string& listFile, const fs::path& out, CtagsResult& result)
{
    const std::vector<std::string> argv{ctags,        "--languages=C,C++", "--kinds-C++=cgnsuft", "--kinds-C=gsuft",
                                        "--fields=+nK", "--output-format=json", "-L", listFile, "-f", "-"};
    if (!qm::bench::runChild(argv, out.string(), kProgram, "/dev/null")) return false;
    std::ifstream in(out);
    std::string line;
    while (std::getline(in, line)) {
        const nlohmann::json tag = nlohmann::json::parse(line, nullptr, false);
        if (tag.is_discarded() || tag.value("_type", "") != "tag") continue;
        const std::string kind = tag.value("kind", "");
        const std::string name = tag.value("name", "");
        const std::string path = normalPath(tag.value("path", ""));
        if (name.rfind("__anon", 0) == 0) continue;  // ctags' names for anonymous types
        if (kind == "typedef") {
            result.typedefs.insert({path, name});
        } else if (kind == "function") {
            result.tags.insert({path, ctagsName(name), Category::Function});
        } else if (kind == "class" || kind == "struct" || kind == "union" || kind == "enum" || kind == "namespace") {
            result.tags.insert({path, name, Category::Type});
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
        for (const std::string& file : entry->definitionFiles) {
            auto [it, inserted] = normal.try_emplace(file);
            if (inserted) it->second = normalPath(file);
            out.insert({it->second, entry->name, category});
        }
    }
}

struct Figures {
    std::size_t files = 0;
    std::uint64_t bytes = 0;
    std::size_t ctagsTypes = 0, ctagsFunctions = 0, foundTypes = 0, foundFunctions = 0;
    std::size_t ours = 0, confirmed = 0;
    double ourSeconds = 0, ctagsSeconds = 0;
};

void printMisses(const char* title, const std::vector<Triple>& list, int limit)
{
    std::cout << "  " << title << " (" << list.size() << ")\n";
    for (int i = 0; i < limit && i < static_cast<int>(list.size()); ++i) {
        const auto& [file, name, category] = list[static_cast<std::size_t>(i)];
        std::cout << "    " << (category == Category::Type ? "type     " : "function ") << name << "  " << file << '\n';
    }
}

std::optional<Figures> measure(const CodeBase& base, const std::string& ctags, int misses, const fs::path& temp)
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

    // The full analysis, best of two runs (the first also warms the file cache).
    std::set<Triple> ours;
    for (int round = 0; round < 2; ++round) {
        qm::frontend::LogSink log;
        qm::frontend::AnalysisEngine engine(log);
        engine.setParser(qm::parser::parseUnit);
        qm::frontend::RunSettings settings = qm::bench::projectSettings(files);
        qm::frontend::PredefinedWordList words = qm::frontend::defaultPredefinedWords();
        words.insert(words.end(), base.words.begin(), base.words.end());
        settings.macroSeeds = qm::frontend::buildMacroSeeds(words, {});
        for (const fs::path& dir : base.dirs) {
            settings.includeDirectories.push_back((fs::is_regular_file(dir) ? dir.parent_path() : dir).string());
        }
        const auto start = qm::bench::CpuClock::now();
        engine.runSynchronously(std::move(settings));
        const double spent = qm::bench::seconds(qm::bench::CpuClock::now() - start);
        figures.ourSeconds = round == 0 ? spent : std::min(figures.ourSeconds, spent);
        if (round == 0) collectSymbols(engine.result(), ours);
    }
    for (int round = 0; round < 2; ++round) {
        const auto usage = qm::bench::runCtags(ctags, listFile.string(), kProgram);
        if (!usage) return std::nullopt;
        figures.ctagsSeconds = round == 0 ? usage->cpuSeconds : std::min(figures.ctagsSeconds, usage->cpuSeconds);
    }
    CtagsResult reference;
    if (!readCtags(ctags, listFile.string(), temp / (base.name + ".json"), reference)) return std::nullopt;

    std::vector<Triple> notFound, notConfirmed;
    for (const Triple& tag : reference.tags) {
        const bool found = ours.count(tag) != 0;
        if (std::get<2>(tag) == Category::Type) {
            ++figures.ctagsTypes;
            figures.foundTypes += found;
        } else {
            ++figures.ctagsFunctions;
            figures.foundFunctions += found;
        }
        if (!found) notFound.push_back(tag);
    }
    for (const Triple& mine : ours) {
        const bool confirmed = reference.tags.count(mine) != 0
                               || (std::get<2>(mine) == Category::Type
                                   && reference.typedefs.count({std::get<0>(mine), std::get<1>(mine)}) != 0);
        ++figures.ours;
        figures.confirmed += confirmed;
        if (!confirmed) notConfirmed.push_back(mine);
    }
    if (misses > 0) {
        std::cout << base.name << ":\n";
        printMisses("ctags has, the symbol table lacks", notFound, misses);
        printMisses("the symbol table has, ctags lacks", notConfirmed, misses);
    }
    return figures;
}

double percent(std::size_t part, std::size_t whole) { return whole == 0 ? 100.0 : 100.0 * static_cast<double>(part) / static_cast<double>(whole); }

}  // namespace

int main(int argc, char** argv)
{
    if (const int status = qm::bench::runMeasuringMode(argc, argv); status >= 0) return status;
    int misses = 0;
    std::string ctagsPath;
    std::vector<CodeBase> bases;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg.rfind("--misses=", 0) == 0) {
            misses = std::stoi(arg.substr(9));
        } else if (arg.rfind("--ctags=", 0) == 0) {
            ctagsPath = arg.substr(8);
        } else if (arg == "--help") {
            std::cout << "usage: " << kProgram << " [--misses=N] [--ctags=PATH] [NAME=DIR[:DIR...][+WORD[=N]...]]...\n";
            return 0;
        } else if (const auto eq = arg.find('='); eq != std::string::npos && arg[0] != '-') {
            bases.push_back(parseCodeBase(arg, eq));
        } else {
            std::cerr << kProgram << ": unknown argument " << arg << '\n';
            return 2;
        }
    }
    if (bases.empty()) {
        for (const auto& [name, spec] : kDefaultCodeBases) {
            const std::string arg = std::string(name) + "=" + spec;
            CodeBase base = parseCodeBase(arg, arg.find('='));
            if (fs::exists(base.dirs.front())) bases.push_back(std::move(base));
        }
    }
    if (ctagsPath.empty()) {
        const auto found = qm::bench::findInPath("ctags");
        if (!found) {
            std::cerr << kProgram << ": universal-ctags is not installed (apt-get install universal-ctags)\n";
            return 1;
        }
        ctagsPath = *found;
    }
    qm::bench::TempDir temp("recall-bench-");

    std::printf("| code base | files | KB | ctags types | found | ctags functions | found | ours | confirmed | speed vs ctags |\n");
    std::printf("|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    std::fflush(stdout);
    for (const CodeBase& base : bases) {
        const auto figures = measure(base, ctagsPath, misses, temp.dir());
        if (!figures) {
            std::printf("| %s | (not measured) |||||||||\n", base.name.c_str());
            continue;
        }
        std::printf("| %s | %zu | %llu | %zu | %.1f %% | %zu | %.1f %% | %zu | %.1f %% | %.2f |\n", base.name.c_str(),
                    figures->files, static_cast<unsigned long long>(figures->bytes / 1024), figures->ctagsTypes,
                    percent(figures->foundTypes, figures->ctagsTypes), figures->ctagsFunctions,
                    percent(figures->foundFunctions, figures->ctagsFunctions), figures->ours,
                    percent(figures->confirmed, figures->ours),
                    figures->ourSeconds > 0 ? figures->ctagsSeconds / figures->ourSeconds : 0.0);
        std::fflush(stdout);
    }
    return 0;
}
