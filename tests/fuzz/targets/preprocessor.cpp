// The preprocessor with its condition evaluator and macro expander. The input is a file and,
// after the first NUL byte, a header that every include directive of the file reads (a few
// dozen times at most); the first line is also evaluated as an `#if` condition.
#include "../fuzz_support.h"

#include "model/error.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    const std::size_t split = text.find('\0');
    const std::string_view main = text.substr(0, split);
    const std::string_view header = split == std::string_view::npos ? std::string_view() : text.substr(split + 1);

    frontend::MacroTable macros;
    macros.defineValue("__cplusplus", 201703);
    const std::vector<std::string> directories{"/fuzz/include"};
    std::atomic<bool> stop{false};
    frontend::LogSink log;
    int includes = 0;
    frontend::PreprocessEnvironment env{macros, directories, true, stop, log, {}};
    env.includeFile = [&](const std::string& path, int userFile, int depth) -> std::unique_ptr<model::SourceUnit> {
        if (++includes > 40) return nullptr;
        auto unit = std::make_unique<model::SourceUnit>();
        unit->fileName = path;
        unit->userFile = userFile;
        fuzz::tokenize(std::string(header), unit->tokens);
        try {
            frontend::preprocessUnit(*unit, env, depth);
        } catch (const std::exception&) {
        }
        return unit;
    };

    model::SourceUnit unit;
    unit.fileName = "/fuzz/input.cpp";
    fuzz::tokenize(std::string(main), unit.tokens);
    std::vector<model::Token> firstLine;
    for (const auto& t : unit.tokens) {
        if (t.code == model::tok::Newline) break;
        firstLine.push_back(t);
    }
    try {
        frontend::preprocessUnit(unit, env, 0);
    } catch (const std::exception&) {
    }
    try {
        (void)frontend::evaluateIfCondition(firstLine, env);
    } catch (const model::Error&) {
    }
    (void)frontend::directiveLines(unit.tokens);
    return 0;
}
