// What the fuzz targets share: the input as one source file analysed the way the engine analyses
// a project file (without its includes), and a private folder for inputs that are read from files.
#pragma once

#include "frontend/log_sink.h"
#include "frontend/macro_table.h"
#include "frontend/preprocessor.h"
#include "frontend/tokenize_file.h"
#include "model/source_unit.h"
#include "model/symbol_table.h"
#include "model/symbol_table_builder.h"
#include "parser/parse_unit.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

#include <unistd.h>

namespace qm::fuzz {

inline std::string_view asText(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Tokens of `bytes` read as a file's are, without messages on standard error.
inline void tokenize(std::string bytes, std::vector<model::Token>& tokens)
{
    frontend::tokenizeBytes(bytes, tokens, [](std::string_view) {});
}

// One source file: scanned, preprocessed (includes are not followed), parsed and entered into a
// symbol table.
struct AnalysedSource {
    explicit AnalysedSource(std::string_view text)
    {
        unit.fileName = "/fuzz/input.cpp";
        unit.userFile = 1;
        tokenize(std::string(text), unit.tokens);
        frontend::MacroTable macros;
        const std::vector<std::string> directories;
        frontend::PreprocessEnvironment env{macros, directories, false, stop, log,
                                            [](const std::string&, int, int) { return std::unique_ptr<model::SourceUnit>(); }};
        try {
            frontend::preprocessUnit(unit, env, 0);
        } catch (const std::exception&) {
            // Reported by the engine as a log line; the unit keeps its tokens.
        }
        parser::parseUnit(unit, stop, log);
        model::SourceUnit* roots[] = {&unit};
        model::buildSymbolTable(roots, root, counters);
    }

    // Calls `visit` on every entry below the root, depth first, at most `limit` of them.
    template <typename Visit>
    void forEachEntry(std::size_t limit, Visit&& visit) const
    {
        std::vector<const model::SymbolEntry*> pending{&root};
        std::size_t seen = 0;
        while (!pending.empty() && seen < limit) {
            const model::SymbolEntry* entry = pending.back();
            pending.pop_back();
            if (entry != &root) {
                visit(*entry);
                ++seen;
            }
            if (entry->children) {
                for (const auto& [key, child] : *entry->children) pending.push_back(&child);
            }
        }
    }

    std::atomic<bool> stop{false};
    frontend::LogSink log;
    model::SourceUnit unit;
    model::NamelessCounters counters;
    model::SymbolEntry root;
};

// A folder of this process for inputs that are read from files; `name` in it holds `bytes`.
inline std::filesystem::path inputFile(const std::string& name, std::string_view bytes)
{
    static const std::filesystem::path folder = [] {
        auto dir = std::filesystem::temp_directory_path() / ("qm-fuzz-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        return dir;
    }();
    const auto path = folder / name;
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return path;
}

}  // namespace qm::fuzz
