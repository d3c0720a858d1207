// ELEMENT arguments of the drawing commands: a path through the symbol table such as `A::B::f`.
// A component may end in `/N` (N decimal digits) to pick the entry of that name with N
// parameters (`A::B::f/2`); without it the entry with the smallest count is taken. `@FILE:LINE`
// after the path picks one of several definitions of the entry by where it is
// (`f/2@src/a.cpp:12`; FILE may be the end of the path after a `/`). A `/` not followed by
// digits only belongs to the name, so the operator entry `/` is `A::/` (or `A:://2`).
#pragma once

#include "cli/symbol_listing.h"
#include "frontend/analysis_engine.h"
#include "model/symbol_table.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::cli {

struct ElementName {
    struct Component {
        std::string name;
        std::optional<std::int32_t> count;
    };
    std::vector<Component> components;
    std::string siteFile;  // from @FILE:LINE; empty without one
    int siteLine = 0;
};

// Reads an ELEMENT; nothing when an `@` is not followed by FILE:LINE with a line number.
std::optional<ElementName> parseElement(std::string_view text);

// Up to `limit` names of `symbols` close to `wanted` (an ELEMENT without /N and @), best first:
// the same last component in any letter case, then names that contain it, then names a few
// letters apart.
std::vector<std::string> closeNames(const std::vector<ListedSymbol>& symbols, std::string_view wanted,
                                    std::size_t limit = 5);

// The entry an ELEMENT picks, and the definition the picture shows.
struct ElementChoice {
    const model::SymbolEntry* entry = nullptr;
    SymbolSite site;  // the definition @FILE:LINE names, else the first one (or declaration)
};

// Looks up ELEMENT `text` for a drawing command that draws entries of `kinds`. Returns
// kExitSuccess with `choice` filled, or the exit status after writing why to standard error:
// "<ELEMENT>: no such element" with up to five close names of those kinds (exit 1), an @FILE:LINE
// that names no definition of the entry with the entry's definitions (exit 1), a malformed
// ELEMENT (exit 2). When the entry has several definitions and no @FILE:LINE picks one, or its
// name has several counts and no /N picks one, a note says which one is drawn and how to pick
// another.
int chooseElement(const frontend::AnalysisEngine& engine, std::string_view text, KindFilter kinds,
                  ElementChoice& choice);

}  // namespace qm::cli
