// The preprocessor: rewrites one unit's tokens before parsing. It records `#define` macros,
// replaces macro uses, drops the groups of false conditionals with their directive lines,
// follows includes into units of their own, and removes a few declaration macros of the
// Windows class library that would confuse the parser. `#define` and `#include` lines stay in
// the sequence so that the parser can show them.
//
// It is made for drawing programs, not compiling them: a replacement is expanded once, when the
// macro is defined, and not rescanned when used. Macros that paste (`##`) or stringise (`#`)
// their parameters are the exception: they are expanded as compilers do (MacroExpander). A
// condition that cannot be evaluated is reported with its place and counts as false. The
// result is streamed into a new token vector, so a unit costs one pass however many directives
// it holds.
#pragma once

#include "frontend/include_paths.h"
#include "frontend/log_sink.h"
#include "frontend/macro_table.h"
#include "model/error.h"
#include "model/source_unit.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace qm::frontend {

// An error that ends the preprocessing of a unit; its text names what went wrong.
class PreprocessError : public model::Error {
public:
    using Error::Error;
};

// A directive or macro call that runs past the end of the token sequence, or a macro call that
// lacks an argument its replacement uses.
class SequenceEndError : public PreprocessError {
public:
    SequenceEndError() : PreprocessError("incomplete directive or macro call") {}
};

// Includes nested deeper than this are not followed.
constexpr int kMaxIncludeDepth = 200;

struct PreprocessEnvironment {
    MacroTable& macros;
    const std::vector<std::string>& includeDirectories;
    bool followAngleIncludes = false;
    const std::atomic<bool>& stopRequested;
    LogSink& log;
    // Creates, reads and preprocesses the unit of an included file at nesting `depth`.
    std::function<std::unique_ptr<model::SourceUnit>(const std::string& path, int userFile, int depth)> includeFile;
    // Where includes were found during this run, when the caller keeps that (the file system is
    // then asked once per includer folder and name).
    FoundIncludes* foundIncludes = nullptr;
};

// Preprocesses `unit` (at include nesting `depth`, 0 for a project file). Included units are
// created through the environment and appended to the unit as their directives are met. On a
// PreprocessError the tokens rewritten so far stay, followed by the rest of the sequence as it
// was, and the error is rethrown for the caller to report.
void preprocessUnit(model::SourceUnit& unit, PreprocessEnvironment& env, int depth);

// Evaluates `tokens` as the condition of an `#if` line (the text after `if`): macros of the
// environment are replaced, `defined` is resolved and names left over count as 0. Throws
// PreprocessError or ConditionError for a malformed condition.
std::int32_t evaluateIfCondition(std::vector<model::Token> tokens, PreprocessEnvironment& env);

// The lines of `tokens` that start with `#` (directive lines), with their newlines: all that
// decides what preprocessing a file does to the macro table, without the text between them.
// Without `angleIncludes`, `#include <...>` lines are left out: a run that does not follow such
// includes replays them to no effect.
std::vector<model::Token> directiveLines(const std::vector<model::Token>& tokens, bool angleIncludes = true);

}  // namespace qm::frontend
