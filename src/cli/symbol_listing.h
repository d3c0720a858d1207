// What the symbol table of a run holds, as the names that --function and --class take: every
// entry's path, with `/N` where its name has several parameter counts and `@FILE:LINE` where its
// entry has several definitions, and the file and line where it is defined.
#pragma once

#include "frontend/analysis_engine.h"
#include "model/symbol_table.h"

#include <string>
#include <string_view>
#include <vector>

namespace qm::cli {

// The kinds a listing or a name search covers.
enum class KindFilter { All, Function, Class, Namespace, Variable };

// Whether an entry of `kind` belongs to `filter`: functions are kinds 22, 58 and 59; classes 4,
// 5 and 6 (class, struct, union); namespaces 8; variables 11, 12 and 21 (members).
bool matchesKind(model::NodeKind kind, KindFilter filter);

// A short lower-case word for a kind: "function", "class", "struct", "namespace", "enum", ...
std::string kindWord(model::NodeKind kind);

// Which file a token of the run came from, found by the token's address: each unit owns the
// tokens of one file.
class TokenFiles {
public:
    explicit TokenFiles(const frontend::AnalysisEngine& engine);
    // The file of the unit that holds `token`, or null.
    const std::string* fileOf(const model::Token* token) const;

private:
    struct Range {
        const model::Token* begin;
        const model::Token* end;
        const std::string* file;
    };
    std::vector<Range> m_ranges;  // sorted by begin, not overlapping
};

// One place where an entry is defined (or, without definitions, declared).
struct SymbolSite {
    const model::AnalysisNode* node = nullptr;
    std::string file;  // as the run opened it; "" when unknown
    int line = 0;      // the line of the node's first token; 0 when unknown
};

// The definitions of `entry` with their files; its declarations when it has no definition.
std::vector<SymbolSite> sitesOf(const model::SymbolEntry& entry, const TokenFiles& files);

// `path` shortened to a path relative to the working folder when it lies below it.
std::string displayPath(const std::string& path);

// "FILE:LINE" of a site, with the file as displayPath gives it.
std::string siteText(const SymbolSite& site);

// Whether `site` is the place that `file` and `line` of an `@FILE:LINE` name: the line is the
// site's and `file` is its path, or the end of it after a `/`, or the path relative to the
// working folder.
bool siteMatches(const SymbolSite& site, std::string_view file, int line);

// One entry of the table with the name that picks it.
struct ListedSymbol {
    std::string path;  // A::B::f, with /N where the name has other counts
    const model::SymbolEntry* entry = nullptr;
    std::vector<SymbolSite> sites;
};

// Every entry below `root` that `filter` covers, depth first in table order (a scope before its
// members), without recursion.
std::vector<ListedSymbol> listSymbols(const model::SymbolEntry& root, const TokenFiles& files, KindFilter filter);

}  // namespace qm::cli
