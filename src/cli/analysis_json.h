// JSON text of analysis results: units with their tokens and trees, and the symbol table.
#pragma once

#include "model/source_unit.h"
#include "model/symbol_table.h"

#include <string>

namespace qm::cli {

class JsonStreamWriter;

struct UnitDumpOptions {
    bool tokens = false;
    bool tree = false;
};

// {"path", "userFile", "tokenCount", "included": [...]} with "tokens" and "nodes" as asked.
void writeUnitJson(JsonStreamWriter& out, const model::SourceUnit& unit, const UnitDumpOptions& options);

// {"kind", "kindName", "hasBody", "text", "line", "detail", "children"}; detail omitted when the
// node has none, children when there are none.
void writeNodeJson(JsonStreamWriter& out, const model::AnalysisNode& node);

// The root as {"name": "", "children": [...]}, every entry with its counts and definition files.
// Written without recursion: qualified names can nest scopes very deeply.
void writeSymbolsJson(JsonStreamWriter& out, const model::SymbolEntry& root);

}  // namespace qm::cli
