#include "frontend/preprocessor.h"

#include "frontend/condition_evaluator.h"
#include "frontend/include_paths.h"
#include "model/token_text.h"

#include <optional>

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

struct Range {
    std::size_t begin;
    std::size_t end;  // exclusive
};

class Preprocessor {
public:
    Preprocessor(model::SourceUnit& unit, PreprocessEnvironment& env, int depth)
        : m_unit(unit), m_env(env), m_depth(depth), m_in(std::move(unit.tokens)), m_n(m_in.size())
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
                if (t.code == '#') {
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
            m_out.push_back(std::move(m_in[m_p++]));
        }
    }

    void emit(const Token& token)
    {
        if (m_out.size() >= m_outputLimit) {
            throw PreprocessError("macro expansion too large");
        }
        m_out.push_back(token);
    }

    // Leaves the unprocessed rest of the input as it was.
    void finish()
    {
        keep(m_n - m_p);
        m_unit.tokens = std::move(m_out);
    }

    const Token& at(std::size_t i) const
    {
        if (i >= m_n) throw SequenceEndError();
        return m_in[i];
    }
    bool isAt(std::size_t i, model::TokenCode code) const { return i < m_n && m_in[i].code == code; }

    std::size_t newlineFrom(std::size_t i) const
    {
        while (i < m_n && m_in[i].code != tok::Newline) ++i;
        if (i == m_n) throw SequenceEndError();
        return i;
    }

    // --- Directives -----------------------------------------------------------------------------

    void directive()
    {
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
        default: keep(1); return;  // #pragma, #error, #line...: the line stays as ordinary text
        }
    }

    // # include <name>
    void angleInclude()
    {
        if (m_env.followAngleIncludes) {
            const std::string name = toSlashes(m_in[m_p + 1].text.str());
            if (auto path = findAngleInclude(m_env.includeDirectories, name)) {
                include(*path, 0);
            }
        }
        keep(1);
    }

    // # include "name"
    void quotedInclude()
    {
        if (!isAt(m_p + 2, tok::StringLiteral) && !isAt(m_p + 2, tok::QuotedHeaderName)) {
            keep(1);
            return;
        }
        const std::string name = toSlashes(m_in[m_p + 2].text.str());
        include(resolveQuotedInclude(m_unit.fileName, name), 1);
        keep(3);
    }

    void include(const std::string& path, int userFile)
    {
        if (m_depth + 1 > kMaxIncludeDepth) {
            m_env.log.writeLine(path + ": include nesting too deep");
            return;
        }
        if (auto unit = m_env.includeFile(path, userFile, m_depth + 1)) {
            m_unit.includedUnits.push_back(std::move(unit));
        }
    }

    // # define NAME [( params )] body \n   (and # undef, which is read the same way)
    void define()
    {
        try {
            MacroDefinition definition;
            const Token& nameToken = at(m_p + 2);
            definition.name = nameToken.code == tok::Identifier ? nameToken.text.str() : model::spellToken(nameToken);
            std::size_t body = m_p + 3;
            if (at(m_p + 3).code == '(') {
                body = readParameters(definition);
            }
            std::size_t q = body;
            while (at(q).code != tok::Newline) {
                q = appendDefinitionToken(definition, q);
                if (definition.replacement.size() > kMaxReplacementTokens
                    || definition.replacement.size() + m_env.macros.replacementTokens() > kMaxMacroTableTokens) {
                    throw SequenceEndError();
                }
            }
            m_env.macros.define(std::move(definition));
            keep(q + 1 - m_p);
        } catch (const SequenceEndError&) {
            m_env.log.writeLine(kDefineFailed);
            keep(1);
        } catch (const PreprocessError& e) {
            m_env.log.writeLine(e.what());
            keep(1);
        }
    }

    // Reads `( a , b )` after the macro name. Returns where the body starts: after the `)` for a
    // well-formed list (the macro is then function-like), at the `(` otherwise.
    std::size_t readParameters(MacroDefinition& definition)
    {
        bool identifierDue = true;
        std::vector<std::string> names;
        for (std::size_t q = m_p + 4; q < m_n; ++q) {
            const Token& t = m_in[q];
            if (identifierDue) {
                if (t.code == tok::Identifier) {
                    names.push_back(t.text.str());
                    identifierDue = false;
                } else if (t.code != ')') {
                    break;
                }
            } else if (t.code == ',') {
                identifierDue = true;
            } else if (t.code == ')') {
                definition.functionLike = true;
                definition.parameters = std::move(names);
                return q + 1;
            } else {
                break;
            }
        }
        return m_p + 3;
    }

    // Adds the body token at `q` to the replacement, expanded by the macros known now; returns
    // the position of the next body token.
    std::size_t appendDefinitionToken(MacroDefinition& definition, std::size_t q)
    {
        const Token& t = m_in[q];
        if (t.code != tok::Identifier || definition.parameterIndex(t.text.view()) >= 0) {
            definition.replacement.push_back(t);
            return q + 1;
        }
        const MacroDefinition* macro = m_env.macros.find(t.text.view());
        if (macro && !macro->functionLike) {
            definition.replacement.insert(definition.replacement.end(), macro->replacement.begin(),
                                          macro->replacement.end());
            return q + 1;
        }
        if (macro && isAt(q + 1, '(')) {
            std::vector<Range> args;
            const std::size_t close = collectArguments(q + 1, args, kDefineCallEnd);
            substitute(*macro, args, [&](const Token& token) {
                if (definition.replacement.size() >= kMaxReplacementTokens) throw SequenceEndError();
                definition.replacement.push_back(token);
            });
            return close + 1;
        }
        definition.replacement.push_back(t);
        return q + 1;
    }

    // # if expression \n
    void conditionalIf()
    {
        const auto [value, newline] = evaluate(m_p + 2);
        if (value != 0) {
            m_groupTaken.push_back(1);
            m_p = newline + 1;
        } else {
            m_groupTaken.push_back(0);
            skipGroupOrKeepLine();
        }
    }

    // # ifdef NAME \n   and   # ifndef NAME \n
    void conditionalIfdef()
    {
        if (!isAt(m_p + 2, tok::Identifier) || !isAt(m_p + 3, tok::Newline)) {
            keep(1);  // another shape: the line stays and opens no conditional
            return;
        }
        const bool defined = m_env.macros.contains(m_in[m_p + 2].text.view());
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
        const auto [value, newline] = evaluate(m_p + 2);
        if (value != 0) {
            if (m_groupTaken.empty()) m_groupTaken.push_back(1);
            m_groupTaken.back() = 1;
            m_p = newline + 1;
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
        std::size_t q = m_p;
        while (q < m_n && m_in[q].code != tok::Newline) ++q;
        keep(q + 1 - m_p);
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
            if (m_in[i].code != '#') continue;
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
    // position of the line's newline.
    std::pair<std::int32_t, std::size_t> evaluate(std::size_t from)
    {
        std::vector<const Token*> condition;
        std::size_t q = from;
        for (;;) {
            if (q >= m_n) throw PreprocessError(std::string(kNoCondition));
            const Token& t = m_in[q];
            if (t.code == tok::Newline) break;
            if (t.code == tok::Defined) {
                q = appendDefined(condition, q);
                continue;
            }
            if (t.code == tok::Identifier) {
                const MacroDefinition* macro = m_env.macros.find(t.text.view());
                if (macro && !macro->functionLike) {
                    if (condition.size() + macro->replacement.size() > m_outputLimit) {
                        throw PreprocessError("macro expansion too large");
                    }
                    for (const Token& r : macro->replacement) condition.push_back(&r);
                    ++q;
                    continue;
                }
                if (macro && isAt(q + 1, '(')) {
                    std::vector<Range> args;
                    const std::size_t close = collectArguments(q + 1, args, kCallEnd);
                    substituteRefs(*macro, args, condition);
                    q = close + 1;
                    continue;
                }
            }
            condition.push_back(&t);
            ++q;
        }
        for (const Token*& t : condition) {
            if (t->code == tok::Identifier) t = &falseToken();
        }
        return {evaluateCondition(condition, m_env.log), q};
    }

    // `defined NAME` or `defined ( NAME )`.
    std::size_t appendDefined(std::vector<const Token*>& condition, std::size_t q)
    {
        std::size_t name;
        std::size_t next;
        if (isAt(q + 1, tok::Identifier)) {
            name = q + 1;
            next = q + 2;
        } else if (isAt(q + 1, '(') && isAt(q + 2, tok::Identifier) && isAt(q + 3, ')')) {
            name = q + 2;
            next = q + 4;
        } else {
            throw PreprocessError(std::string(kDefinedError));
        }
        condition.push_back(m_env.macros.contains(m_in[name].text.view()) ? &trueToken() : &falseToken());
        return next;
    }

    // --- Macro uses ------------------------------------------------------------------------------

    void expand()
    {
        if (removeDeclarationMacro()) return;
        const MacroDefinition* macro = m_env.macros.find(m_in[m_p].text.view());
        if (!macro) {
            keep(1);
            return;
        }
        if (!macro->functionLike) {
            for (const Token& t : macro->replacement) emit(t);
            ++m_p;
            return;
        }
        if (at(m_p + 1).code != '(') {
            keep(1);
            return;
        }
        std::vector<Range> args;
        const std::size_t close = collectArguments(m_p + 1, args, kCallEnd);
        substitute(*macro, args, [this](const Token& token) { emit(token); });
        m_p = close + 1;
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

    // Splits the call whose `(` is at `open` into argument ranges and returns the position of its
    // `)`. A comma at the top level ends a non-empty argument; one that would end an empty
    // argument belongs to the next. `f()` has no argument, `f(a, (b, c))` two.
    std::size_t collectArguments(std::size_t open, std::vector<Range>& args, std::string_view endMessage)
    {
        const std::size_t close = matchingParen(open);
        if (close == SIZE_MAX) {
            throw PreprocessError(std::string(endMessage));
        }
        int depth = 0;
        std::size_t start = open + 1;
        for (std::size_t q = open + 1; q < close; ++q) {
            const auto code = m_in[q].code;
            if (code == '(') {
                ++depth;
            } else if (code == ')') {
                --depth;
            } else if (code == ',' && depth == 0 && q > start) {
                args.push_back({start, q});
                start = q + 1;
            }
        }
        if (close > start) args.push_back({start, close});
        return close;
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

    // The macro's replacement with each parameter replaced by its argument's tokens.
    template <typename Sink>
    void substitute(const MacroDefinition& macro, const std::vector<Range>& args, Sink&& sink)
    {
        // Every parameter used must have its argument before anything is handed on, so that a
        // failed call leaves no part of its result behind.
        for (const Token& r : macro.replacement) {
            if (r.code == tok::Identifier && macro.parameterIndex(r.text.view()) >= static_cast<int>(args.size())) {
                throw SequenceEndError();  // a parameter without an argument
            }
        }
        for (const Token& r : macro.replacement) {
            const int index = r.code == tok::Identifier ? macro.parameterIndex(r.text.view()) : -1;
            if (index < 0) {
                sink(r);
                continue;
            }
            if (static_cast<std::size_t>(index) >= args.size()) {
                throw SequenceEndError();  // a parameter without an argument
            }
            for (std::size_t i = args[index].begin; i < args[index].end; ++i) sink(m_in[i]);
        }
    }

    void substituteRefs(const MacroDefinition& macro, const std::vector<Range>& args, std::vector<const Token*>& out)
    {
        for (const Token& r : macro.replacement) {
            const int index = r.code == tok::Identifier ? macro.parameterIndex(r.text.view()) : -1;
            if (index < 0) {
                out.push_back(&r);
                continue;
            }
            if (static_cast<std::size_t>(index) >= args.size()) throw SequenceEndError();
            if (out.size() + (args[index].end - args[index].begin) > m_outputLimit) {
                throw PreprocessError("macro expansion too large");
            }
            for (std::size_t i = args[index].begin; i < args[index].end; ++i) out.push_back(&m_in[i]);
        }
    }

    model::SourceUnit& m_unit;
    PreprocessEnvironment& m_env;
    const int m_depth;
    std::vector<Token> m_in;
    const std::size_t m_n;
    std::vector<Token> m_out;
    std::size_t m_outputLimit = 0;
    std::size_t m_p = 0;
    std::vector<std::uint8_t> m_groupTaken;
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

}  // namespace qm::frontend
