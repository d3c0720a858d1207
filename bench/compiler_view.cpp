#include "compiler_view.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>
#include <string_view>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qm::bench {

namespace fs = std::filesystem;

namespace {

std::string normalPath(const std::string& path)
{
    std::error_code error;
    const fs::path canonical = fs::weakly_canonical(path, error);
    return error ? path : canonical.string();
}

std::string readAll(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool isWordStart(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_' || c == '$'; }
bool isWordChar(char c) { return isWordStart(c) || (c >= '0' && c <= '9'); }

// One token of the compiler's output, with the file its line belongs to (null outside the code
// base).
struct Tok {
    std::string_view text;
    void* file;
    bool word;
};

// Words after which a name followed by `(` is no function being defined.
bool isStatementWord(std::string_view w)
{
    static const std::unordered_set<std::string_view> words{
        "return", "new", "delete", "case", "throw", "else", "do", "co_return", "co_yield", "co_await", "goto",
        "sizeof", "typeid", "decltype", "alignof", "noexcept", "using", "typedef", "if", "while", "for", "switch"};
    return words.count(w) != 0;
}

// Words that take parentheses but name nothing defined.
bool isNotAFunctionName(std::string_view w)
{
    static const std::unordered_set<std::string_view> words{
        "if", "while", "for", "switch", "return", "sizeof", "catch", "decltype", "alignof", "alignas", "static_assert",
        "noexcept", "throw", "typeid", "__attribute__", "__declspec", "__typeof__", "typeof", "__asm__", "asm",
        "_Pragma", "__pragma", "requires", "defined", "_Alignas", "_Static_assert", "__extension__", "_Generic"};
    return words.count(w) != 0;
}

// The position after the bracket group that opens at `i` (`(`, `[` or `<`), or `end` when it does
// not close; `<` is matched only against `>` with parentheses balanced inside.
std::size_t skipGroup(const std::vector<Tok>& t, std::size_t i, std::size_t end)
{
    const char open = t[i].text[0];
    const char close = open == '(' ? ')' : open == '[' ? ']' : open == '{' ? '}' : '>';
    int depth = 0;
    for (std::size_t j = i; j < end && j < i + 20000; ++j) {
        if (t[j].text.size() != 1) continue;
        const char c = t[j].text[0];
        if (c == open) {
            ++depth;
        } else if (c == close) {
            if (--depth == 0) return j + 1;
        } else if (open == '<' && (c == ';' || c == '{' || c == '}')) {
            return end;
        }
    }
    return end;
}

bool is(const std::vector<Tok>& t, std::size_t i, std::string_view text) { return i < t.size() && t[i].text == text; }

// Skips attributes and alignment specifiers at `i`.
std::size_t skipAttributes(const std::vector<Tok>& t, std::size_t i)
{
    for (;;) {
        if (is(t, i, "[") && is(t, i + 1, "[")) {
            i = skipGroup(t, i, t.size());
        } else if ((is(t, i, "__attribute__") || is(t, i, "alignas") || is(t, i, "__declspec") || is(t, i, "_Alignas"))
                   && is(t, i + 1, "(")) {
            i = skipGroup(t, i + 1, t.size());
        } else {
            return i;
        }
    }
}

}  // namespace

CompilerView::FileFacts* CompilerView::factsFor(const std::string& markerPath)
{
    auto [it, inserted] = m_markerPaths.try_emplace(markerPath, nullptr);
    if (inserted && !markerPath.empty() && markerPath[0] == '/') {
        std::string normal = normalPath(markerPath);
        if (m_codeBase.count(normal) != 0) it->second = &m_files[normal];
    }
    return it->second;
}

void CompilerView::readOutput(const std::string& text)
{
    std::vector<Tok> toks;
    FileFacts* current = nullptr;
    int line = 1;
    std::size_t p = 0;
    const std::size_t n = text.size();
    while (p < n) {
        std::size_t eol = text.find('\n', p);
        if (eol == std::string::npos) eol = n;
        const std::string_view row(text.data() + p, eol - p);
        p = eol + 1;
        if (row.size() > 2 && row[0] == '#' && row[1] == ' ' && row[2] >= '0' && row[2] <= '9') {
            // # LINE "PATH" FLAGS
            std::size_t q = 2;
            int number = 0;
            while (q < row.size() && row[q] >= '0' && row[q] <= '9') number = number * 10 + (row[q++] - '0');
            const std::size_t open = row.find('"', q);
            const std::size_t close = open == std::string_view::npos ? open : row.find('"', open + 1);
            if (close != std::string_view::npos) {
                current = factsFor(std::string(row.substr(open + 1, close - open - 1)));
            }
            line = number;
            continue;
        }
        const int thisLine = line++;
        if (!current) continue;
        bool blank = true;
        for (char c : row) {
            if (c != ' ' && c != '\t' && c != '\r') {
                blank = false;
                break;
            }
        }
        if (blank) continue;
        if (current->lines.size() <= static_cast<std::size_t>(thisLine)) current->lines.resize(thisLine + 1, false);
        current->lines[thisLine] = true;
        if (row[0] == '#') continue;  // #pragma
        for (std::size_t i = 0; i < row.size();) {
            const char c = row[i];
            if (isWordStart(c)) {
                std::size_t j = i + 1;
                while (j < row.size() && isWordChar(row[j])) ++j;
                // A prefixed literal (R"(...)", u8"...", L'x') is read as a literal.
                if (j < row.size() && (row[j] == '"' || row[j] == '\'')) {
                    i = j;
                    continue;
                }
                toks.push_back({row.substr(i, j - i), current, true});
                i = j;
            } else if (c >= '0' && c <= '9') {
                std::size_t j = i + 1;
                while (j < row.size() && (isWordChar(row[j]) || row[j] == '.' || row[j] == '\'')) ++j;
                toks.push_back({row.substr(i, j - i), current, false});
                i = j;
            } else if (c == '"' || c == '\'') {
                std::size_t j = i + 1;
                while (j < row.size() && row[j] != c) j += row[j] == '\\' ? 2 : 1;
                toks.push_back({"0", current, false});
                i = std::min(j + 1, row.size());
            } else if (c == ' ' || c == '\t' || c == '\r') {
                ++i;
            } else if (c == ':' && i + 1 < row.size() && row[i + 1] == ':') {
                toks.push_back({row.substr(i, 2), current, false});
                i += 2;
            } else if (c == '-' && i + 1 < row.size() && row[i + 1] == '>') {
                toks.push_back({row.substr(i, 2), current, false});
                i += 2;
            } else {
                toks.push_back({row.substr(i, 1), current, false});
                ++i;
            }
        }
        // Tokens of different rows are not joined; a unit's token list runs over its rows.
    }

    const std::size_t end = toks.size();
    for (std::size_t i = 0; i < end; ++i) {
        const Tok& t = toks[i];
        if (!t.word) {
            // } NAME ;   /   } NAME ,   (typedef struct { ... } NAME;)
            if (t.text == "}" && i + 2 < end && toks[i + 1].word && (toks[i + 2].text == ";" || toks[i + 2].text == ",")
                && toks[i + 1].file) {
                static_cast<FileFacts*>(toks[i + 1].file)->types.insert(std::string(toks[i + 1].text));
            }
            continue;
        }
        if (t.text == "class" || t.text == "struct" || t.text == "union" || t.text == "enum" || t.text == "namespace") {
            const bool isNamespace = t.text == "namespace";
            std::size_t j = i + 1;
            if (t.text == "enum" && (is(toks, j, "class") || is(toks, j, "struct"))) ++j;
            j = skipAttributes(toks, j);
            std::vector<std::size_t> names;
            while (j < end && toks[j].word && toks[j].text != "final" && toks[j].text != "inline") {
                names.push_back(j);
                ++j;
                if (is(toks, j, "<") && !isNamespace) j = skipGroup(toks, j, end);
                if (!is(toks, j, "::")) break;
                ++j;
                if (is(toks, j, "inline")) ++j;
            }
            if (names.empty()) continue;
            if (is(toks, j, "final")) ++j;
            j = skipAttributes(toks, j);
            if (!(is(toks, j, "{") || (!isNamespace && is(toks, j, ":")))) continue;
            for (std::size_t k = isNamespace ? 0 : names.size() - 1; k < names.size(); ++k) {
                const Tok& name = toks[names[k]];
                if (name.file) static_cast<FileFacts*>(name.file)->types.insert(std::string(name.text));
            }
            continue;
        }
        if (!is(toks, i + 1, "(") && t.text != "operator") continue;
        if (isNotAFunctionName(t.text)) continue;
        // The name being defined, and the `(` of its parameter list.
        std::string name(t.text);
        std::size_t open = i + 1;
        if (t.text == "operator") {
            std::string symbol;
            std::string words;
            std::size_t j = i + 1;
            if (is(toks, j, "(") && is(toks, j + 1, ")")) {
                symbol = "()";
                j += 2;
            } else {
                for (; j < end && j < i + 12 && toks[j].text != "("; ++j) {
                    if (toks[j].word) {
                        words += words.empty() ? "" : " ";
                        words += toks[j].text;
                    } else if (words.empty()) {
                        symbol += toks[j].text;
                    } else {
                        words += toks[j].text;
                    }
                }
            }
            if (!is(toks, j, "(")) continue;
            open = j;
            name = words.empty() ? symbol : (symbol.empty() ? "operator " + words : symbol + words);
            if (words == "new" || words == "delete") name = "operator " + words + symbol;
        } else if (i > 0 && toks[i - 1].text == "~") {
            name = "~" + name;
        }
        if (i > 0) {
            const Tok& before = toks[i - 1];
            // `public: Name(` is a constructor; `x ? a : f(` and `: member(` are not definitions.
            const bool access = before.text == ":" && i > 1
                                && (toks[i - 2].text == "public" || toks[i - 2].text == "protected"
                                    || toks[i - 2].text == "private" || toks[i - 2].text == "slots"
                                    || toks[i - 2].text == "signals");
            if (access) {
            } else if (before.word ? isStatementWord(before.text)
                            : !(before.text == "::" || before.text == ">" || before.text == "*" || before.text == "&"
                                || before.text == "~" || before.text == "}" || before.text == "{" || before.text == ";"
                                || before.text == ")" || before.text == "]")) {
                continue;
            }
            // `a . b (`, `a -> b (` and `A :: b (` after such were caught above; `x = f(` too.
        }
        std::size_t j = skipGroup(toks, open, end);
        if (j >= end) continue;
        for (int guard = 0; guard < 64 && j < end; ++guard) {
            const std::string_view w = toks[j].text;
            if (w == "const" || w == "volatile" || w == "override" || w == "final" || w == "&" || w == "&&"
                || w == "mutable" || w == "constexpr") {
                ++j;
            } else if ((w == "noexcept" || w == "throw" || w == "__attribute__" || w == "alignas") && is(toks, j + 1, "(")) {
                j = skipGroup(toks, j + 1, end);
            } else if (w == "noexcept") {
                ++j;
            } else if (w == "[" && is(toks, j + 1, "[")) {
                j = skipGroup(toks, j, end);
            } else if (w == "->" || w == "requires") {
                // A trailing return type or a constraint: up to the body.
                ++j;
                while (j < end && toks[j].text != "{" && toks[j].text != ";" && toks[j].text != "=") {
                    j = (toks[j].text == "(" || toks[j].text == "[") ? skipGroup(toks, j, end) : j + 1;
                }
            } else {
                break;
            }
        }
        if (j < end && (toks[j].text == "{" || toks[j].text == ":" || toks[j].text == "try") && t.file) {
            static_cast<FileFacts*>(t.file)->functions.insert(name);
        }
    }
}

bool CompilerView::live(const std::string& file, int line) const
{
    const auto it = m_files.find(file);
    if (it == m_files.end()) return false;
    return line >= 0 && static_cast<std::size_t>(line) < it->second.lines.size() && it->second.lines[line];
}

bool CompilerView::definesType(const std::string& file, const std::string& name) const
{
    const auto it = m_files.find(file);
    return it != m_files.end() && it->second.types.count(name) != 0;
}

bool CompilerView::definesFunction(const std::string& file, const std::string& name) const
{
    const auto it = m_files.find(file);
    return it != m_files.end() && it->second.functions.count(name) != 0;
}

namespace {

pid_t spawn(const std::vector<std::string>& arguments, const std::string& out, const std::string& err)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    std::vector<std::string> copies = arguments;
    std::vector<char*> argv;
    for (std::string& argument : copies) argv.push_back(argument.data());
    argv.push_back(nullptr);
    pid_t pid = 0;
    const int error = ::posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    return error == 0 ? pid : -1;
}

// The header named in "fatal error: NAME: No such file or directory", or "".
std::string missingHeader(const std::string& errors)
{
    constexpr std::string_view kFatal = "fatal error: ";
    constexpr std::string_view kMissing = ": No such file or directory";
    const std::size_t at = errors.find(kFatal);
    if (at == std::string::npos) return {};
    const std::size_t start = at + kFatal.size();
    const std::size_t stop = errors.find(kMissing, start);
    if (stop == std::string::npos || errors.find('\n', start) < stop) return {};
    return errors.substr(start, stop - start);
}

}  // namespace

bool CompilerView::build(const std::vector<std::string>& files, const Options& options)
{
    m_codeBase.insert(files.begin(), files.end());
    const fs::path stubs = options.workDirectory / "stubs";
    fs::create_directories(stubs);

    std::vector<std::pair<std::size_t, int>> queue;  // file index, attempt
    for (std::size_t i = files.size(); i-- > 0;) queue.push_back({i, 0});
    std::unordered_map<pid_t, std::pair<std::size_t, int>> running;
    auto outPath = [&](std::size_t i) { return (options.workDirectory / (std::to_string(i) + ".i")).string(); };
    auto errPath = [&](std::size_t i) { return (options.workDirectory / (std::to_string(i) + ".err")).string(); };
    while (!queue.empty() || !running.empty()) {
        while (!queue.empty() && static_cast<int>(running.size()) < std::max(1, options.jobs)) {
            const auto [index, attempt] = queue.back();
            queue.pop_back();
            const std::string& file = files[index];
            const bool c = file.size() > 2 && file.compare(file.size() - 2, 2, ".c") == 0;
            std::vector<std::string> argv{options.compiler, "-E", "-w", c ? "-std=c17" : "-std=c++17", "-x", c ? "c" : "c++"};
            for (const auto& [name, value] : options.words) argv.push_back("-D" + name + "=" + std::to_string(value));
            for (const std::string& dir : options.includeDirectories) argv.push_back("-I" + dir);
            argv.push_back("-I" + stubs.string());
            argv.push_back(file);
            const pid_t pid = spawn(argv, outPath(index), errPath(index));
            if (pid < 0) {
                std::cerr << "recall_bench: cannot start " << options.compiler << '\n';
                return false;
            }
            running[pid] = {index, attempt};
        }
        int status = 0;
        const pid_t done = ::waitpid(-1, &status, 0);
        if (done < 0) {
            if (errno == EINTR) continue;
            break;
        }
        const auto it = running.find(done);
        if (it == running.end()) continue;
        const auto [index, attempt] = it->second;
        running.erase(it);
        const std::string errors = readAll(errPath(index));
        const bool ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
        if (!ok) {
            const std::string header = missingHeader(errors);
            if (!header.empty() && attempt < 40 && header[0] != '/' && header.find("..") == std::string::npos) {
                const fs::path stub = stubs / header;
                std::error_code ec;
                fs::create_directories(stub.parent_path(), ec);
                if (!fs::exists(stub)) {
                    std::ofstream(stub).put('\n');
                    ++m_stubs;
                }
                queue.push_back({index, attempt + 1});
                continue;
            }
            ++m_failedUnits;
        }
        ++m_units;
        readOutput(readAll(outPath(index)));
        std::error_code ec;
        fs::remove(outPath(index), ec);
        fs::remove(errPath(index), ec);
    }
    return true;
}

}  // namespace qm::bench
