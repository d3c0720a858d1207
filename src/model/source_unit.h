// SourceUnit: one analysed occurrence of a source file, with its preprocessed tokens, its
// top-level nodes and the units of the files it includes.
#pragma once

#include "model/analysis_node.h"
#include "model/line_breaks.h"
#include "model/token.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::model {

// Counters that number anonymous classes, structs, unions, namespaces and enums during one
// symbol-table build ("Nameless Class1", "Nameless Class2", ...).
struct NamelessCounters {
    std::int32_t classes = 0;
    std::int32_t structs = 0;
    std::int32_t unions = 0;
    std::int32_t namespaces = 0;
    std::int32_t enums = 0;
};

// What identifies a version of a file on disk: its size and its last modification time.
struct FileStamp {
    std::int64_t size = 0;
    std::int64_t seconds = 0;
    std::int64_t nanoseconds = 0;

    bool operator==(const FileStamp&) const = default;
    auto operator<=>(const FileStamp&) const = default;
};

struct SourceUnit {
    // After preprocessing, without the newline tokens that `lineBreaks` holds (written so by
    // the preprocessor; LineBreaks::forEachToken walks the whole sequence).
    std::vector<Token> tokens;
    LineBreaks lineBreaks;
    NodeList nodes;  // top-level nodes in source order
    // The path by which the file was opened: as the project lists it for a project file, as
    // resolved for an included one. Recorded in the symbol table for each definition.
    std::string fileName;
    // Units of the files this one includes, parsed and merged after it, depth first.
    std::vector<std::unique_ptr<SourceUnit>> includedUnits;

    // 1 for a project file and a file reached by a quoted include; 0 for one found through an
    // include directory.
    std::int32_t userFile = 1;
    FileStamp stamp;  // when the file was read
    // An earlier unit with the same preprocessed content; such a unit keeps no tokens.
    const SourceUnit* canonical = nullptr;

    // Whether the preprocessed sequence holds anything, newlines taken out included.
    bool hasTokens() const noexcept { return !tokens.empty() || !lineBreaks.empty(); }
    // Gives up the preprocessed sequence and its memory.
    void dropTokens() noexcept
    {
        std::vector<Token>().swap(tokens);
        lineBreaks = LineBreaks();
    }
};

}  // namespace qm::model
