#include "frontend/preprocessor.h"

#include "frontend/condition_evaluator.h"
#include "frontend/feature_queries.h"
#include "frontend/include_paths.h"
#include "frontend/macro_expander.h"
#include "model/line_breaks.h"
#include "model/token_text.h"

#include <algorithm>
#include <filesystem>
#include <iterator>
#include <optional>
#include <unordered_set>

namespace qm::frontend {

namespace tok = model::tok;
using model::Token;

namespace {

constexpr std::string_view kDefineFailed = "#define Analysis - (Cannot Complete Analysis)";
constexpr std::string_view kCallEnd = "#define get content parameter Error - End";
constexpr std::string_view kDefineCallEnd = "#define get content parameter Error - End2";
constexpr std::string_view kNoCondition = "#if #elif no condition";
constexpr std::string_view kDefinedError = "#defined error";
constexpr std::string_view kElseWithoutIf = "cannot preprocessing Else because there is no if or if(n)def.";
constexpr std::string_view kElseUnclosed = "cannot handle preprocessing Else";
constexpr std::string_view kTooLarge = "macro expansion too large";
constexpr std::string_view kPasteAtEdge = "'##' cannot appear at either end of a macro expansion";
constexpr std::string_view kHashWithoutParameter = "'#' is not followed by a macro parameter";

// A replacement longer than this is not stored, and a unit whose output grows past
// kOutputFactor times its input stops: macros defined in terms of each other can otherwise
// double in size with every definition.
constexpr std::size_t kMaxReplacementTokens = 1 << 16;
// All replacements of one macro table together stay below this many tokens (about 200 MB):
// definitions that each build on the one before grow quadratically otherwise.
constexpr std::size_t kMaxMacroTableTokens = std::size_t{8} << 20;
constexpr std::size_t kOutputFactor = 64;
constexpr std::size_t kOutputAllowance = 1 << 20;

const Token& trueToken()
{
    static const Token token{0, tok::DecimalInteger, "1"};
    return token;
}

const Token& falseToken()
{
    static const Token token{0, tok::DecimalInteger, "0"};
    return token;
}

class Preprocessor {
public:
    Preprocessor(model::SourceUnit& unit, PreprocessEnvironment& env, int depth)
        : m_unit(unit), m_env(env), m_depth(depth), m_in(std::move(unit.tokens)), m_n(m_in.size()),
          m_writer(m_out, unit.lineBreaks)
    {
        m_out.reserve(m_n);
        m_outputLimit = m_n * kOutputFactor + kOutputAllowance;
    }

    void run()
    {
        try {
            while (m_p < m_n) {
                if (m_env.stopRequested.load(std::memory_order_relaxed)) {
                    break;
                }
                const Token& t = m_in[m_p];
                if (t.code == '#' && startsLine(m_p)) {
                    directive();
                } else if (t.code == tok::Identifier) {
                    expand();
                } else {
                    keep(1);
                }
            }
        } catch (...) {
            finish();
            throw;
        }
        finish();
    }

    // Evaluates the condition that starts at `from`: the value and the position of the line's
    // newline.
    std::pair<std::int32_t, std::size_t> evaluateAt(std::size_t from) { return evaluate(from); }

private:
    // --- Output ---------------------------------------------------------------------------------

    // Moves the next `count` input tokens to the output unchanged.
    void keep(std::size_t count)
    {
        for (std::size_t i = 0; i < count && m_p < m_n; ++i) {
            m_writer.put(std::move(m_in[m_p++]));
        }
    }

    // Leaves the unprocessed rest of the input as it was.
    void finish()
    {
        keep(m_n - m_p);
        m_writer.finish();
        m_unit.tokens = std::move(m_out);
    }

    const Token& at(std::size_t i) const
    {
        if (i >= m_n) throw SequenceEndError();
        return m_in[i];
    }
    bool isAt(std::size_t i, model::TokenCode code) const { return i < m_n && m_in[i].code == code; }

    // A `#` is a directive only as the first token of its line.
    bool startsLine(std::size_t i) const { return i == 0 || m_in[i - 1].code == tok::Newline; }

    // The position of the newline that ends the line holding `i`, or m_n.
    std::size_t lineEnd(std::size_t i) const
    {
        while (i < m_n && m_in[i].code != tok::Newline) ++i;
        return i;
    }

    std::size_t newlineFrom(std::size_t i) const
    {
        i = lineEnd(i);
        if (i == m_n) throw SequenceEndError();
        return i;
    }

    // "path:line: text" on the log.
    void logAt(std::size_t position, std::string_view text)
    {
        const int line = position < m_n ? m_in[position].line : 0;
        m_env.log.writeLine(m_unit.fileName + ":" + std::to_string(line) + ": " + std::string(text));
    }

    TokenSpan input(std::size_t begin, std::size_t end) const { return TokenSpan(m_in).subspan(begin, end - begin); }

    // --- Directives -----------------------------------------------------------------------------

    // Turns the macro table's noting of lookups on or off for a scope.
    class Recording {
    public:
        Recording(MacroTable& table, bool on) : m_table(table), m_was(table.setRecording(on)) {}
        Recording(const Recording&) = delete;
        Recording& operator=(const Recording&) = delete;
        ~Recording() { m_table.setRecording(m_was); }

    private:
        MacroTable& m_table;
        bool m_was;
    };

    // Directive lines decide what a file does to the macros: their lookups are noted.
    void directive()
    {
        const Recording recording(m_env.macros, true);
        if (m_p + 1 >= m_n) {
            keep(1);
            return;
        }
        switch (m_in[m_p + 1].code) {
        case tok::AngleInclude: angleInclude(); return;
        case tok::Include: quotedInclude(); return;
        case tok::If: conditionalIf(); return;
        case tok::Ifdef:
        case tok::Ifndef: conditionalIfdef(); return;
        case tok::Elif: conditionalElif(); return;
        case tok::Else: conditionalElse(); return;
        case tok::Endif: conditionalEndif(); return;
        case tok::Define:
        case tok::Undef: define(); return;
        case tok::Pragma: pragma(); return;
        default: keep(1); return;  // #error, #line...: the line stays as ordinary text
        }
    }

    // # pragma once: the file is not included again while this project file is preprocessed.
    // That is kept in the macro table under a name no identifier can have, so it travels with
    // the table's state like the macro of an include guard. Every #pragma line stays as text.
    void pragma()
    {
        if (isAt(m_p + 2, tok::Identifier) && m_in[m_p + 2].text == "once" && isAt(m_p + 3, tok::Newline)) {
            MacroDefinition marker;
            marker.name = onceMarker(m_unit.fileName);
            m_env.macros.define(std::move(marker));
        }
        keep(1);
    }

    static std::string onceMarker(const std::string& path)
    {
        const std::string_view prefix = "#pragma once ";
        if (!plainlyNormal(path)) return std::string(prefix) + std::filesystem::path(path).lexically_normal().string();
        std::string marker;
        marker.reserve(prefix.size() + path.size());
        return marker.append(prefix).append(path);
    }

    // Whether an absolute path is already in its normal form (no empty, `.` or `..` part), as
    // nearly every include path is: normalising it is then not worth its allocations.
    static bool plainlyNormal(std::string_view path)
    {
        if (path.empty() || path.front() != '/') return false;
        const std::size_t n = path.size();
        for (std::size_t i = 0; i < n; ++i) {
            if (path[i] != '/' || i + 1 == n) continue;
            const std::string_view rest = path.substr(i + 1, 3);
            if (rest[0] == '/' || rest == "." || rest.starts_with("./") || rest == ".." || rest == "../") return false;
        }
        return true;
    }

    // # include <name>
    void angleInclude()
    {
        if (m_env.followAngleIncludes) {
            const std::string name = toSlashes(m_in[m_p + 1].text.str());
            if (auto path = angleIncludePath(name)) {
                include(*path, 0);
            }
        }
        keep(1);
    }

    // # include "name": the includer's folder first, then the include directories.
    void quotedInclude()
    {
        if (!isAt(m_p + 2, tok::StringLiteral) && !isAt(m_p + 2, tok::QuotedHeaderName)) {
            keep(1);
            return;
        }
        const std::string name = toSlashes(m_in[m_p + 2].text.str());
        include(quotedIncludePath(name), 1);
        keep(3);
    }

    std::string quotedIncludePath(const std::string& name) const
    {
        if (!m_env.foundIncludes) return findQuotedInclude(m_unit.fileName, name, m_env.includeDirectories);
        return m_env.foundIncludes->quoted(m_unit.fileName, name, m_env.includeDirectories);
    }

    std::optional<std::string> angleIncludePath(const std::string& name) const
    {
        if (!m_env.foundIncludes) return findAngleInclude(m_env.includeDirectories, name);
        return m_env.foundIncludes->angle(m_env.includeDirectories, name);
    }

    void include(const std::string& path, int userFile)
    {
        if (m_env.macros.contains(onceMarker(path))) return;
        if (m_depth + 1 > kMaxIncludeDepth) {
            m_env.log.writeLine(path + ": include nesting too deep");
            return;
        }
        const Recording text(m_env.macros, false);  // the included file's text is no directive
        if (auto unit = m_env.includeFile(path, userFile, m_depth + 1)) {
            m_unit.includedUnits.push_back(std::move(unit));
        }
    }

    // # define NAME [( params )] body \n   and   # undef NAME \n
    void define()
    {
        try {
            MacroDefinition definition;
            const Token& nameToken = at(m_p + 2);
            definition.name = nameToken.code == tok::Identifier ? nameToken.text.str() : model::spellToken(nameToken);
            if (at(m_p + 1).code == tok::Undef) {
                // The name is out of use from here on, as compilers read it: `#ifdef` fails, uses
                // stay as written. The line stays for the parser to show.
                const std::size_t newline = newlineFrom(m_p + 3);
                definition.undefined = true;
                m_env.macros.define(std::move(definition));
                keep(newline + 1 - m_p);
                return;
            }
            std::size_t body = m_p + 3;
            if (at(m_p + 3).code == '(') {
                body = readParameters(definition);
            }
            const std::size_t newline = newlineFrom(body);
            // `##` needs a token on either side: one at an edge is reported and left out.
            std::size_t first = body;
            std::size_t last = newline;
            if (first < last && m_in[first].code == tok::HashHash) {
                logAt(first++, kPasteAtEdge);
            }
            if (last > first && m_in[last - 1].code == tok::HashHash) {
                logAt(--last, kPasteAtEdge);
            }
            BodyState state{first, last};
            for (std::size_t q = first; q < last;) {
                q = appendDefinitionToken(definition, q, state);
                if (definition.replacement.size() > kMaxReplacementTokens
                    || definition.replacement.size() + m_env.macros.replacementTokens() > kMaxMacroTableTokens) {
                    throw SequenceEndError();
                }
            }
            if (state.pastes && !definition.functionLike) {
                // Nothing to wait for: the pastes of an object-like macro are made now.
                MacroExpander expander(m_env.macros, kMaxReplacementTokens);
                definition.replacement = expander.pasteReplacement(definition.replacement, definition.name);
            } else if (state.pastes || state.stringises) {
                definition.rescan = true;
            }
            definition.replacement.shrink_to_fit();
            m_env.macros.define(std::move(definition));
            keep(newline + 1 - m_p);
        } catch (const SequenceEndError&) {
            m_env.log.writeLine(kDefineFailed);
            keep(1);
        } catch (const ExpansionTooLarge&) {
            m_env.log.writeLine(kDefineFailed);
            keep(1);
        } catch (const PreprocessError& e) {
            m_env.log.writeLine(e.what());
            keep(1);
        }
    }

    // Reads `( a , b )` after the macro name. Returns where the body starts: after the `)` for a
    // well-formed list (the macro is then function-like), at the `(` otherwise. `()` is a list
    // without parameters; `...` as the last parameter takes the name __VA_ARGS__, and `name...`
    // makes `name` take the remaining arguments.
    std::size_t readParameters(MacroDefinition& definition)
    {
        bool identifierDue = true;
        bool variadic = false;
        std::vector<std::string> names;
        auto finish = [&](std::size_t q) {
            definition.functionLike = true;
            definition.variadic = variadic;
            definition.parameters = std::move(names);
            return q + 1;
        };
        for (std::size_t q = m_p + 4; q < m_n; ++q) {
            const Token& t = m_in[q];
            if (identifierDue) {
                if (t.code == tok::Identifier) {
                    names.push_back(t.text.str());
                    identifierDue = false;
                } else if (t.code == tok::Ellipsis) {
                    names.push_back("__VA_ARGS__");
                    variadic = true;
                    identifierDue = false;
                } else if (t.code == ')' && names.empty() && q == m_p + 4) {
                    return finish(q);
                } else if (t.code != ')') {
                    break;
                }
            } else if (t.code == ',' && !variadic) {
                identifierDue = true;
            } else if (t.code == tok::Ellipsis && !variadic) {
                variadic = true;  // `name...`
            } else if (t.code == ')') {
                return finish(q);
            } else {
                break;
            }
        }
        return m_p + 3;
    }

    struct BodyState {
        std::size_t first;  // the body's tokens, without `##` at its edges
        std::size_t last;   // exclusive
        bool pastes = false;
        bool stringises = false;
        bool reported = false;  // a `#` without its parameter was reported
    };

    // Adds the body token at `q` to the replacement, expanded by the macros known now; returns
    // the position of the next body token. Operands of `#` and `##` stay as written, since those
    // operators work on them when the macro is used; so do calls that pass this macro's
    // parameters to a macro that pastes or stringises.
    std::size_t appendDefinitionToken(MacroDefinition& definition, std::size_t q, BodyState& state)
    {
        const Token& t = m_in[q];
        if (t.code == tok::HashHash) {
            state.pastes = true;
            definition.replacement.push_back(t);
            return q + 1;
        }
        if (definition.functionLike && t.code == '#') {
            if (q + 1 < state.last && m_in[q + 1].code == tok::Identifier
                && definition.parameterIndex(m_in[q + 1].text.view()) >= 0) {
                state.stringises = true;
                definition.replacement.push_back(t);
                definition.replacement.push_back(m_in[q + 1]);
                return q + 2;
            }
            if (!state.reported) logAt(q, kHashWithoutParameter);
            state.reported = true;
            definition.replacement.push_back(t);  // kept as a plain token
            return q + 1;
        }
        if (t.code != tok::Identifier || definition.parameterIndex(t.text.view()) >= 0) {
            definition.replacement.push_back(t);
            return q + 1;
        }
        const bool pasteOperand = (q > state.first && m_in[q - 1].code == tok::HashHash)
            || (q + 1 < state.last && m_in[q + 1].code == tok::HashHash);
        const MacroDefinition* macro = pasteOperand ? nullptr : m_env.macros.find(t.text.view());
        if (macro && !macro->functionLike) {
            definition.replacement.insert(definition.replacement.end(), macro->replacement.begin(),
                                          macro->replacement.end());
            return q + 1;
        }
        if (macro && q + 1 < state.last && m_in[q + 1].code == '(') {
            const std::size_t close = matchingParen(q + 1);
            if (close == SIZE_MAX || close >= state.last) {
                throw PreprocessError(std::string(kDefineCallEnd));
            }
            const std::vector<TokenSpan> args = splitArguments(input(q + 2, close), *macro);
            if (macro->rescan) {
                if (usesParameters(definition, q + 2, close)) {
                    definition.replacement.insert(definition.replacement.end(), m_in.begin() + static_cast<std::ptrdiff_t>(q),
                                                  m_in.begin() + static_cast<std::ptrdiff_t>(close) + 1);
                    definition.rescan = true;
                } else {
                    MacroExpander expander(m_env.macros, kMaxReplacementTokens);
                    expander.expandCall(*macro, args, definition.replacement);
                }
                return close + 1;
            }
            substitute(*macro, args, [&](const Token& token) {
                if (definition.replacement.size() >= kMaxReplacementTokens) throw SequenceEndError();
                definition.replacement.push_back(token);
            });
            return close + 1;
        }
        definition.replacement.push_back(t);
        return q + 1;
    }

    // Whether a parameter of `definition` stands among the input tokens [begin, end).
    bool usesParameters(const MacroDefinition& definition, std::size_t begin, std::size_t end) const
    {
        for (std::size_t i = begin; i < end; ++i) {
            if (m_in[i].code == tok::Identifier && definition.parameterIndex(m_in[i].text.view()) >= 0) return true;
        }
        return false;
    }

    // # if expression \n
    void conditionalIf()
    {
        if (conditionHolds("#if")) {
            m_groupTaken.push_back(1);
            m_p = lineEnd(m_p) + 1;
        } else {
            m_groupTaken.push_back(0);
            skipGroupOrKeepLine();
        }
    }

    // Evaluates the condition of the #if or #elif at the current position. One that cannot be
    // evaluated is reported with its place and counts as false, so the file goes on.
    bool conditionHolds(std::string_view directive)
    {
        try {
            return evaluate(m_p + 2).first != 0;
        } catch (const model::Error& e) {
            logAt(m_p, std::string(directive) + " cannot be evaluated (" + e.what() + "), taken as false");
            return false;
        }
    }

    // # ifdef NAME \n   and   # ifndef NAME \n
    void conditionalIfdef()
    {
        if (!isAt(m_p + 2, tok::Identifier) || !isAt(m_p + 3, tok::Newline)) {
            keep(1);  // another shape: the line stays and opens no conditional
            return;
        }
        const std::string_view word = m_in[m_p + 2].text.view();
        const bool defined = m_env.macros.contains(word) || isDefinedQuery(word);
        const bool holds = m_in[m_p + 1].code == tok::Ifdef ? defined : !defined;
        if (holds) {
            m_groupTaken.push_back(1);
            m_p += 4;
        } else {
            m_groupTaken.push_back(0);
            skipGroupOrKeepLine();
        }
    }

    // # elif expression \n
    void conditionalElif()
    {
        // An #elif outside any conditional reads as one whose groups were all dropped so far.
        if (!m_groupTaken.empty() && m_groupTaken.back() == 1) {
            skipGroupOrKeepLine();
            return;
        }
        if (conditionHolds("#elif")) {
            if (m_groupTaken.empty()) m_groupTaken.push_back(1);
            m_groupTaken.back() = 1;
            m_p = lineEnd(m_p) + 1;
        } else {
            skipGroupOrKeepLine();
        }
    }

    // # else
    void conditionalElse()
    {
        if (m_p + 2 >= m_n) {
            keep(1);  // `else` is the last token
            return;
        }
        if (m_groupTaken.empty()) {
            m_env.log.writeLine(kElseWithoutIf);
            throw PreprocessError(std::string(kElseWithoutIf));
        }
        if (m_groupTaken.back() != 1) {
            m_p = newlineFrom(m_p) + 1;  // the else group is live: drop just the directive line
            return;
        }
        if (!skipGroup()) {
            m_env.log.writeLine(kElseUnclosed);
            throw PreprocessError(std::string(kElseUnclosed));
        }
    }

    // # endif: only `#` and `endif` go; the rest of the line stays.
    void conditionalEndif()
    {
        if (!m_groupTaken.empty()) m_groupTaken.pop_back();
        m_p += 2;
    }

    // Drops the group of the directive at the current position. A group that is not closed
    // before the end of the unit keeps its tokens: its directive line stays and scanning goes on
    // after it.
    void skipGroupOrKeepLine()
    {
        if (skipGroup()) return;
        keep(lineEnd(m_p) + 1 - m_p);
    }

    // Drops the group that starts with the conditional directive at the current position, up to
    // the directive that ends it at the same nesting: an #endif (dropped too), an #elif (kept for
    // the main loop), or an #else followed by a newline (kept when a group was taken already,
    // dropped with its line otherwise). Returns false, dropping nothing, when the group is not
    // closed before the end of the sequence.
    bool skipGroup()
    {
        const auto& ends = groupEnds();
        const std::uint32_t found = ends[m_p];
        if (found == kNone) return false;
        const std::size_t end = found;
        switch (m_in[end + 1].code) {
        case tok::Endif:
            if (!m_groupTaken.empty()) m_groupTaken.pop_back();
            m_p = end + 2;
            break;
        case tok::Elif:
            m_p = end;
            break;
        default:  // #else and its newline
            m_p = (!m_groupTaken.empty() && m_groupTaken.back() == 1) ? end : end + 3;
            break;
        }
        return true;
    }

    // For each conditional directive ahead, the `#` of the directive that ends its group. The
    // input ahead of the current position is never changed, so this is worked out once per unit,
    // which keeps a unit with many conditionals linear.
    const std::vector<std::uint32_t>& groupEnds()
    {
        if (m_groupEnds) return *m_groupEnds;
        m_groupEnds.emplace(m_n, kNone);
        auto& ends = *m_groupEnds;
        // levels[d]: directives whose group end is looked for at nesting d.
        std::vector<std::vector<std::size_t>> levels(1);
        auto endAll = [&](std::size_t end) {
            for (std::size_t start : levels.back()) ends[start] = static_cast<std::uint32_t>(end);
            levels.back().clear();
        };
        for (std::size_t i = m_p; i + 1 < m_n; ++i) {
            if (m_in[i].code != '#' || !startsLine(i)) continue;
            switch (m_in[i + 1].code) {
            case tok::If:
            case tok::Ifdef:
            case tok::Ifndef:
                levels.push_back({i});
                break;
            case tok::Elif:
                endAll(i);
                levels.back().push_back(i);
                break;
            case tok::Else:
                if (isAt(i + 2, tok::Newline)) endAll(i);
                levels.back().push_back(i);
                break;
            case tok::Endif:
                endAll(i);
                if (levels.size() > 1) levels.pop_back();
                break;
            default:
                break;
            }
        }
        return ends;
    }

    // Collects the condition after an #if or #elif and evaluates it; returns the value and the
    // position of the line's newline. Macros are replaced (arguments of a call must close on the
    // line), `defined` is resolved (also where a replacement brought it in), a feature query such
    // as `__has_include(<x.h>)` counts as 0, and every name left counts as 0.
    std::pair<std::int32_t, std::size_t> evaluate(std::size_t from)
    {
        const std::size_t newline = lineEnd(from);
        if (newline >= m_n) throw PreprocessError(std::string(kNoCondition));
        std::vector<Token> condition;
        auto add = [&](TokenSpan tokens) {
            if (condition.size() + tokens.size() > m_outputLimit) throw PreprocessError(std::string(kTooLarge));
            condition.insert(condition.end(), tokens.begin(), tokens.end());
        };
        for (std::size_t q = from; q < newline;) {
            const Token& t = m_in[q];
            if (isDefined(t)) {
                q += appendDefined(condition, input(q, newline));
                continue;
            }
            if (t.code == tok::Identifier) {
                if (featureQueryOf(t.text.view()) != FeatureQuery::None && isAt(q + 1, '(')) {
                    // The query's operand is taken as written, not expanded.
                    const std::size_t close = matchingParen(q + 1);
                    if (close == SIZE_MAX || close >= newline) throw PreprocessError(std::string(kCallEnd));
                    condition.push_back(valueToken(answerQuery(t.text.view(), input(q + 2, close))));
                    q = close + 1;
                    continue;
                }
                const MacroDefinition* macro = m_env.macros.find(t.text.view());
                if (macro && !macro->functionLike) {
                    add(macro->replacement);
                    ++q;
                    continue;
                }
                if (macro && q + 1 < newline && m_in[q + 1].code == '(') {
                    const std::size_t close = matchingParen(q + 1);
                    if (close == SIZE_MAX || close >= newline) throw PreprocessError(std::string(kCallEnd));
                    std::vector<Token> result;
                    MacroExpander expander(m_env.macros, m_outputLimit);
                    expander.expandCall(*macro, splitArguments(input(q + 2, close), *macro), result);
                    add(result);
                    q = close + 1;
                    continue;
                }
            }
            condition.push_back(t);
            ++q;
        }
        // `defined` and feature queries that a replacement brought in. A call of a function-like
        // macro that is not defined (`BOOST_WORKAROUND(BOOST_MSVC, 1310)`, from a configuration
        // header this run does not read) becomes, in `withUnknowns`, one name standing for an
        // unknown value; `resolved` keeps the old reading, every name 0.
        std::vector<Token> resolved;
        std::vector<Token> withUnknowns;
        bool unknownCall = false;
        resolved.reserve(condition.size());
        withUnknowns.reserve(condition.size());
        for (std::size_t q = 0; q < condition.size();) {
            if (isDefined(condition[q])) {
                q += appendDefined(resolved, TokenSpan(condition).subspan(q));
                continue;
            }
            if (condition[q].code == tok::Identifier && featureQueryOf(condition[q].text.view()) != FeatureQuery::None
                && q + 1 < condition.size() && condition[q + 1].code == '(') {
                std::size_t close = q + 2;
                for (int depth = 1; close < condition.size(); ++close) {
                    if (condition[close].code == '(') ++depth;
                    if (condition[close].code == ')' && --depth == 0) break;
                }
                if (close >= condition.size()) throw PreprocessError(std::string(kCallEnd));
                resolved.push_back(valueToken(answerQuery(condition[q].text.view(), TokenSpan(condition).subspan(q + 2, close - q - 2))));
                withUnknowns.push_back(resolved.back());
                q = close + 1;
                continue;
            }
            if (condition[q].code == tok::Identifier && q + 1 < condition.size() && condition[q + 1].code == '(') {
                std::size_t close = q + 2;
                for (int depth = 1; close < condition.size(); ++close) {
                    if (condition[close].code == '(') ++depth;
                    if (condition[close].code == ')' && --depth == 0) break;
                }
                if (close < condition.size()) {
                    unknownCall = true;
                    withUnknowns.push_back(condition[q]);
                    for (std::size_t k = q; k <= close; ++k) {
                        resolved.push_back(condition[k].code == tok::Identifier ? falseToken() : condition[k]);
                    }
                    q = close + 1;
                    continue;
                }
            }
            resolved.push_back(condition[q].code == tok::Identifier ? falseToken() : condition[q]);
            withUnknowns.push_back(resolved.back());
            ++q;
        }
        auto refsOf = [](const std::vector<Token>& tokens) {
            std::vector<const Token*> refs;
            refs.reserve(tokens.size());
            for (const Token& t : tokens) refs.push_back(&t);
            return refs;
        };
        if (unknownCall) {
            // Decided without the unknown calls' values (`!defined(X) || F(1)`), the condition has
            // the value a compiler that knows them computes too. Otherwise it fails as before.
            LogSink quiet;
            try {
                return {evaluateCondition(refsOf(withUnknowns), quiet, true), newline};
            } catch (const model::Error&) {
            }
        }
        return {evaluateCondition(refsOf(resolved), m_env.log), newline};
    }

    // A decimal token of `value`, as a condition holds numbers.
    static Token valueToken(std::int32_t value)
    {
        if (value == 0) return falseToken();
        if (value == 1) return trueToken();
        return Token{0, tok::DecimalInteger, std::to_string(value)};
    }

    // The compiler's answer to the feature query `name` with the operand `operand` (the tokens
    // between its parentheses).
    std::int32_t answerQuery(std::string_view name, TokenSpan operand) const
    {
        std::string text;
        for (const Token& t : operand) text += model::spellToken(t);
        switch (featureQueryOf(name)) {
        case FeatureQuery::HasInclude: return hasInclude(operand) ? 1 : 0;
        case FeatureQuery::HasCppAttribute: return attributeValue(text, true);
        case FeatureQuery::HasAttribute: return attributeValue(text, false);
        case FeatureQuery::HasBuiltin: return hasBuiltin(text) ? 1 : 0;
        default: return 0;
        }
    }

    // `__has_include(<name>)` and `__has_include("name")`: a header of the platform's libraries,
    // or one that an include of the same form would find.
    bool hasInclude(TokenSpan operand) const
    {
        std::error_code ec;
        if (operand.size() == 1 && (operand[0].code == tok::StringLiteral || operand[0].code == tok::QuotedHeaderName)) {
            const std::string name = toSlashes(operand[0].text.str());
            return isSystemHeader(name) || std::filesystem::is_regular_file(quotedIncludePath(name), ec);
        }
        if (operand.size() < 3 || operand.front().code != '<' || operand.back().code != '>') return false;
        std::string name;
        for (const Token& t : operand.subspan(1, operand.size() - 2)) name += model::spellToken(t);
        name = toSlashes(std::move(name));
        return isSystemHeader(name) || angleIncludePath(name).has_value();
    }

    static bool isDefined(const Token& t)
    {
        return t.code == tok::Defined || (t.code == tok::Identifier && t.text.view() == "defined");
    }

    // `defined NAME` or `defined ( NAME )` at the start of `tokens`: appends 1 or 0 and returns
    // how many tokens it took.
    std::size_t appendDefined(std::vector<Token>& condition, TokenSpan tokens)
    {
        auto isName = [&](std::size_t i) { return i < tokens.size() && isMacroName(tokens[i]); };
        auto isCode = [&](std::size_t i, model::TokenCode code) { return i < tokens.size() && tokens[i].code == code; };
        std::size_t name;
        std::size_t used;
        if (isName(1)) {
            name = 1;
            used = 2;
        } else if (isCode(1, '(') && isName(2) && isCode(3, ')')) {
            name = 2;
            used = 4;
        } else {
            throw PreprocessError(std::string(kDefinedError));
        }
        const std::string word = macroName(tokens[name]);
        condition.push_back(m_env.macros.contains(word) || isDefinedQuery(word) ? trueToken() : falseToken());
        return used;
    }

    // A name as `defined` takes it: an identifier, or a word the scanner reads as a reserved or
    // directive word (`defined(error)`).
    static bool isMacroName(const Token& t)
    {
        return t.code == tok::Identifier || (t.code >= model::tok::kFirstKeyword && t.code <= model::tok::kLastDirective);
    }
    static std::string macroName(const Token& t)
    {
        return t.code == tok::Identifier ? t.text.str() : model::spellToken(t);
    }

    // --- Macro uses ------------------------------------------------------------------------------

    void expand()
    {
        if (removeDeclarationMacro()) return;
        const std::string_view name = m_in[m_p].text.view();
        const MacroDefinition* macro = m_expansionStopped ? nullptr : m_env.macros.find(name);
        if (!macro || m_failedMacros.count(macro->name)) {
            keep(1);
            return;
        }
        if (!macro->functionLike) {
            if (!fits(macro->replacement.size())) return;
            const std::size_t before = m_writer.fullSize();
            m_writer.putWithoutNewlines(macro->replacement.begin(), macro->replacement.end());
            record(m_p, m_p + 1, before);
            ++m_p;
            return;
        }
        if (!isAt(m_p + 1, '(')) {
            keep(1);
            return;
        }
        const std::size_t close = matchingParen(m_p + 1);
        if (close == SIZE_MAX) {
            throw PreprocessError(std::string(kCallEnd));
        }
        const std::vector<TokenSpan> args = splitArguments(input(m_p + 2, close), *macro);
        if (!macro->rescan) {
            requireArguments(*macro, args);
            std::size_t size = 0;
            for (const Token& r : macro->replacement) {
                const int index = r.code == tok::Identifier ? macro->parameterIndex(r.text.view()) : -1;
                size += index < 0 ? 1 : argument(args, index).size();
            }
            if (!fits(size)) return;
            const std::size_t before = m_writer.fullSize();
            substitute(*macro, args, [this](const Token& token) { m_writer.put(token); });
            record(m_p, close + 1, before);
            m_p = close + 1;
            return;
        }
        std::vector<Token> result;
        std::size_t end = close + 1;  // of the input the expansion replaces
        try {
            MacroExpander expander(m_env.macros, m_outputLimit - std::min(m_outputLimit, m_writer.fullSize()));
            expander.expandCall(*macro, args, result);
            // Compilers scan the expansion again with what follows it: one that ends in the name
            // of a function-like macro (other than its own) calls it with the arguments written
            // after it, `IIF(c)(then, else)`.
            while (!result.empty() && isAt(end, '(') && result.back().code == tok::Identifier) {
                const MacroDefinition* next = m_env.macros.find(result.back().text.view());
                if (!next || !next->functionLike || next->name == macro->name) break;
                const std::size_t nextClose = matchingParen(end);
                if (nextClose == SIZE_MAX) break;
                result.pop_back();
                expander.expandCall(*next, splitArguments(input(end + 1, nextClose), *next), result);
                end = nextClose + 1;
            }
        } catch (const ExpansionTooLarge&) {
            // This macro is not tried again in this unit: each try could cost the whole budget.
            m_failedMacros.insert(macro->name);
            logAt(m_p, std::string(kTooLarge) + " (" + macro->name + ")");
            keep(1);
            return;
        }
        if (!fits(result.size())) return;
        const std::size_t before = m_writer.fullSize();
        for (Token& token : result) m_writer.put(std::move(token));
        record(m_p, end, before);
        m_p = end;
    }

    // Whether `count` more tokens stay within the unit's output limit. When they do not, every
    // replacement made so far is put back to the macro use it came from and the rest of the
    // unit is preprocessed without expanding macros: a unit that hits the limit costs no more
    // than its own tokens afterwards. The line saying so is written once.
    bool fits(std::size_t count)
    {
        if (m_writer.fullSize() + count <= m_outputLimit) return true;
        logAt(m_p, std::string(kTooLarge) + "; macros are not expanded in this file");
        m_expansionStopped = true;
        undoExpansions();
        keep(1);
        return false;
    }

    // Notes that the output tokens from `outBegin` to the end replace the input tokens
    // [begin, end). The input tokens of a macro use are never moved away, so they are there to put
    // back. Output positions count the newlines the writer leaves out.
    void record(std::size_t begin, std::size_t end, std::size_t outBegin)
    {
        m_expansions.push_back({static_cast<std::uint32_t>(begin), static_cast<std::uint32_t>(end),
                                outBegin, m_writer.fullSize()});
    }

    // Puts every recorded replacement back to the macro use it came from. This happens at most
    // once per unit: the output is taken back whole, newlines included, and written again.
    void undoExpansions()
    {
        std::vector<Token> written = m_writer.takeFullSequence();
        std::vector<Token> out;
        std::size_t from = 0;
        for (const Expansion& x : m_expansions) {
            std::move(written.begin() + static_cast<std::ptrdiff_t>(from),
                      written.begin() + static_cast<std::ptrdiff_t>(x.outBegin), std::back_inserter(out));
            out.insert(out.end(), m_in.begin() + x.inBegin, m_in.begin() + x.inEnd);
            from = x.outEnd;
        }
        std::move(written.begin() + static_cast<std::ptrdiff_t>(from), written.end(), std::back_inserter(out));
        std::vector<Token>().swap(written);
        for (Token& token : out) m_writer.put(std::move(token));
        std::vector<Expansion>().swap(m_expansions);
    }

    static TokenSpan argument(const std::vector<TokenSpan>& args, int index)
    {
        return static_cast<std::size_t>(index) < args.size() ? args[index] : TokenSpan();
    }

    // A macro that is substituted as written needs an argument for every parameter its
    // replacement uses; only the variadic one may be missing.
    static void requireArguments(const MacroDefinition& macro, const std::vector<TokenSpan>& args)
    {
        for (const Token& r : macro.replacement) {
            const int index = r.code == tok::Identifier ? macro.parameterIndex(r.text.view()) : -1;
            if (index < 0 || static_cast<std::size_t>(index) < args.size()) continue;
            if (macro.variadic && static_cast<std::size_t>(index) + 1 == macro.parameters.size()) continue;
            throw SequenceEndError();  // a parameter without an argument
        }
    }

    // BEGIN_MESSAGE_MAP ... END_MESSAGE_MAP ( ), DECLARE_MESSAGE_MAP ( ) and
    // DECLARE_DYNCREATE ( name ) vanish; a `;` after them stays.
    bool removeDeclarationMacro()
    {
        const std::string_view word = m_in[m_p].text.view();
        if (word == "BEGIN_MESSAGE_MAP") {
            if (auto end = findMessageMapEnd()) {
                m_p = *end + 3;
                return true;
            }
        } else if (word == "DECLARE_MESSAGE_MAP") {
            if (isAt(m_p + 1, '(') && isAt(m_p + 2, ')')) {
                m_p += 3;
                return true;
            }
        } else if (word == "DECLARE_DYNCREATE") {
            if (isAt(m_p + 1, '(') && isAt(m_p + 2, tok::Identifier) && isAt(m_p + 3, ')')) {
                m_p += 4;
                return true;
            }
        }
        return false;
    }

    // The next `END_MESSAGE_MAP ( )` after the current position. The answer of the last search is
    // kept: a later search from before it finds the same place, and a failed search fails for
    // every later start.
    std::optional<std::size_t> findMessageMapEnd()
    {
        if (m_messageMapEnd && (*m_messageMapEnd == SIZE_MAX || *m_messageMapEnd > m_p)) {
            if (*m_messageMapEnd == SIZE_MAX) return std::nullopt;
            return *m_messageMapEnd;
        }
        for (std::size_t q = m_p + 1; q + 2 < m_n; ++q) {
            if (m_in[q].code == tok::Identifier && m_in[q].text == "END_MESSAGE_MAP" && m_in[q + 1].code == '('
                && m_in[q + 2].code == ')') {
                m_messageMapEnd = q;
                return q;
            }
        }
        m_messageMapEnd = SIZE_MAX;
        return std::nullopt;
    }

    // The `)` that closes the `(` at `open`, or SIZE_MAX when the sequence ends first. All pairs
    // ahead are matched in one pass the first time, so unclosed calls cost no rescans.
    std::size_t matchingParen(std::size_t open)
    {
        if (!m_parens) {
            m_parens.emplace(m_n, kNone);
            std::vector<std::size_t> stack;
            for (std::size_t i = m_p; i < m_n; ++i) {
                if (m_in[i].code == '(') {
                    stack.push_back(i);
                } else if (m_in[i].code == ')' && !stack.empty()) {
                    (*m_parens)[stack.back()] = static_cast<std::uint32_t>(i);
                    stack.pop_back();
                }
            }
        }
        const std::uint32_t close = (*m_parens)[open];
        return close == kNone ? SIZE_MAX : close;
    }

    // The macro's replacement with each parameter replaced by its argument's tokens, for a macro
    // that neither pastes nor stringises.
    template <typename Sink>
    void substitute(const MacroDefinition& macro, const std::vector<TokenSpan>& args, Sink&& sink)
    {
        // Every parameter used must have its argument before anything is handed on, so that a
        // failed call leaves no part of its result behind.
        requireArguments(macro, args);
        for (const Token& r : macro.replacement) {
            const int index = r.code == tok::Identifier ? macro.parameterIndex(r.text.view()) : -1;
            if (index < 0) {
                sink(r);
                continue;
            }
            for (const Token& a : argument(args, index)) sink(a);
        }
    }

    model::SourceUnit& m_unit;
    PreprocessEnvironment& m_env;
    const int m_depth;
    std::vector<Token> m_in;
    const std::size_t m_n;
    std::vector<Token> m_out;
    model::ThinTokenWriter m_writer;  // writes m_out, leaving out the newlines the tree does without
    std::size_t m_outputLimit = 0;
    std::size_t m_p = 0;
    std::vector<std::uint8_t> m_groupTaken;
    bool m_expansionStopped = false;  // the output limit was reached: names stay as they are
    struct Expansion {
        std::uint32_t inBegin;  // the macro use in the input
        std::uint32_t inEnd;
        std::size_t outBegin;  // its replacement in the output
        std::size_t outEnd;
    };
    std::vector<Expansion> m_expansions;  // in output order, until the output limit is reached
    std::unordered_set<std::string> m_failedMacros;  // macros whose expansion went past a limit
    // Indexed by token position; kNone where nothing is known. Token positions fit 32 bits since
    // files are limited far below 4 GiB.
    static constexpr std::uint32_t kNone = UINT32_MAX;
    std::optional<std::vector<std::uint32_t>> m_groupEnds;
    std::optional<std::vector<std::uint32_t>> m_parens;
    std::optional<std::size_t> m_messageMapEnd;
};

}  // namespace

void preprocessUnit(model::SourceUnit& unit, PreprocessEnvironment& env, int depth)
{
    Preprocessor(unit, env, depth).run();
}

std::int32_t evaluateIfCondition(std::vector<Token> tokens, PreprocessEnvironment& env)
{
    model::SourceUnit unit;
    unit.tokens = std::move(tokens);
    unit.tokens.push_back(Token{0, tok::Newline, {}});
    return Preprocessor(unit, env, 0).evaluateAt(0).first;
}

std::vector<Token> directiveLines(const std::vector<Token>& tokens, bool angleIncludes)
{
    std::vector<Token> lines;
    bool lineStart = true;
    bool inDirective = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const Token& t = tokens[i];
        if (lineStart) {
            inDirective = t.code == '#'
                && (angleIncludes || i + 1 == tokens.size() || tokens[i + 1].code != tok::AngleInclude);
        }
        if (inDirective) lines.push_back(t);
        lineStart = t.code == tok::Newline;
    }
    lines.shrink_to_fit();
    return lines;
}

}  // namespace qm::frontend
