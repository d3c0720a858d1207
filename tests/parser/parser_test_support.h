// Helpers for the parser tests: parse a text into a unit and describe the tree as compact text,
// one line per node: `[Class] Shape : public Base 3-20 {}` (kind, detail, first and last line,
// `{}` when the node had a body), children indented by two blanks.
#pragma once

#include "frontend/log_sink.h"
#include "frontend/tokenize_file.h"
#include "model/analysis_node.h"
#include "model/source_unit.h"
#include "model/token_text.h"
#include "parser/parse_unit.h"

#include <algorithm>
#include <atomic>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qm::parser::testing {

using model::AnalysisNode;
using model::NodeList;
using model::NodeKind;

struct ParsedText {
    model::SourceUnit unit;
    std::vector<std::string> log;
};

inline void parseText(ParsedText& parsed, std::string_view text, std::string fileName = "input.cpp")
{
    parsed.unit.fileName = std::move(fileName);
    frontend::tokenizeText(text, parsed.unit.tokens, [](std::string_view) {});
    frontend::LogSink log;
    std::atomic<bool> stop{false};
    parseUnit(parsed.unit, stop, log);
    parsed.log = log.takeLines();
}

// The tokens of `text` without its newline tokens, with pointers to them.
struct TokenList {
    std::vector<model::Token> tokens;
    model::TokenRefs refs;

    explicit TokenList(std::string_view text)
    {
        frontend::tokenizeText(text, tokens, [](std::string_view) {});
        for (const auto& token : tokens) {
            if (token.code != model::tok::Newline) refs.push_back(&token);
        }
    }
    // A node holding all the tokens.
    AnalysisNode node() const
    {
        AnalysisNode n;
        n.tokens = refs;
        return n;
    }
};

inline std::string spaced(const model::TokenRefs& tokens) { return model::TokenText(tokens, true); }

inline std::string qualified(const model::QualifiedName& name)
{
    std::string out;
    for (const auto& part : name.scope) out += part + "::";
    return out + name.name;
}

// `type *pointer name [dims] = init` with the empty parts left out.
inline std::string describeVariable(const model::VariableDetail& d)
{
    std::string out = "type: " + spaced(d.typeTokens);
    if (!d.pointerTokens.empty()) out += " ptr: " + spaced(d.pointerTokens);
    out += " name: " + qualified(d.name);
    // A declarator after an aggregate's body keeps the aggregate's name with its own tokens.
    if (!d.name.tokens.empty() && model::TokenText(d.name.tokens, false) != qualified(d.name)) {
        out += " (" + spaced(d.name.tokens) + ")";
    }
    if (!d.dimensionTokens.empty()) out += " dims: " + spaced(d.dimensionTokens);
    if (!d.initializerTokens.empty()) out += " init: " + spaced(d.initializerTokens);
    return out;
}

inline std::string describeDetail(const AnalysisNode& node)
{
    using namespace model;
    if (!node.classified) return "{" + spaced(node.tokens) + "}";
    std::string out;
    if (auto* d = node.detailAs<ClassDetail>()) {
        out = qualified(d->name);
        const char* separator = " : ";
        auto bases = [&](const std::vector<BaseClassEntry>& list, const char* access) {
            for (const auto& base : list) {
                out += separator;
                out += access;
                out += base.isVirtual ? " virtual " : " ";
                out += qualified(base.name);
                separator = ", ";
            }
        };
        bases(d->publicBases, "public");
        bases(d->protectedBases, "protected");
        bases(d->privateBases, "private");
    } else if (auto* d = node.detailAs<TextDetail>()) {
        out = "\"" + d->text + "\"";
    } else if (auto* d = node.detailAs<NamespaceAliasDetail>()) {
        out = d->alias + " = " + qualified(d->target);
    } else if (auto* d = node.detailAs<TemplateDetail>()) {
        out = d->exported ? "export" : "";
    } else if (auto* d = node.detailAs<TypedefDetail>()) {
        for (const auto& name : d->names) {
            if (!out.empty()) out += ", ";
            out += name.name + std::string(name.pointers, '*') + std::string(name.references, '&');
        }
    } else if (auto* d = node.detailAs<ClassDeclareDetail>()) {
        out = qualified(d->first) + " " + qualified(d->name);
    } else if (auto* d = node.detailAs<UsingDetail>()) {
        out = qualified(d->name);
        if (!d->rest.empty()) out += " rest: " + spaced(d->rest);
    } else if (auto* d = node.detailAs<UsingNamespaceDetail>()) {
        out = qualified(d->name);
    } else if (auto* d = node.detailAs<IncludeDetail>()) {
        out = d->quoted ? "\"" + d->header + "\"" : "<" + d->header + ">";
    } else if (auto* d = node.detailAs<ConditionTokensDetail>()) {
        out = spaced(d->tokens);
    } else if (auto* d = node.detailAs<VariableDetail>()) {
        out = describeVariable(*d);
        for (const auto& next : d->more) out += " | " + describeVariable(next);
    } else if (auto* d = node.detailAs<ShortDeclareDetail>()) {
        out = (d->basicType != 0 ? spellToken(Token{0, d->basicType, {}}) : d->typeName) + " " + d->name;
    } else if (auto* d = node.detailAs<FunctionDetail>()) {
        out = qualified(d->name);
        if (!d->returnTokens.empty()) out += " returns: " + spaced(d->returnTokens);
        out += " params " + formatDecimal(static_cast<long long>(d->parameters.size()));
        for (const auto& parameter : d->parameters) out += " (" + spaced(parameter.tokens) + ")";
    } else if (auto* d = node.detailAs<ConditionDetail>()) {
        out = "(" + spaced(d->condition.tokens) + ")";
    } else if (auto* d = node.detailAs<ForDetail>()) {
        out = "(" + spaced(d->init.tokens) + " | " + spaced(d->condition.tokens) + " | " + spaced(d->step.tokens) + ")";
    } else if (auto* d = node.detailAs<ExpressionDetail>()) {
        for (const auto& call : d->calls) {
            if (!out.empty()) out += " ";
            out += "call " + TokenText(call.callee, false) + "/" + formatDecimal(static_cast<long long>(call.arguments.size()));
        }
    } else if (auto* d = node.detailAs<OperatorFunctionDetail>()) {
        out = "operator " + TokenText(d->operatorTokens, false) + " params " + formatDecimal(static_cast<long long>(d->parameters.size()));
        if (!d->leadingTokens.empty()) out += " leading: " + spaced(d->leadingTokens);
        std::string scope;
        for (const auto& part : d->scope) scope += part + "::";
        out += " scope " + scope;
    } else if (auto* d = node.detailAs<OperatorDetail>()) {
        out = "operator " + TokenText(d->operatorTokens, false) + " params " + formatDecimal(static_cast<long long>(d->parameters.size()));
        if (!d->leadingTokens.empty()) out += " leading: " + spaced(d->leadingTokens);
    }
    if (accessOf(node) != Access::None) {
        out += " access " + formatDecimal(static_cast<int>(accessOf(node)));
    }
    return out;
}

// First and last line of the tokens of `node` and everything below it; 0 when it has none.
inline std::pair<int, int> lineRange(const AnalysisNode& node)
{
    int first = 0;
    int last = 0;
    auto take = [&](int line) {
        if (first == 0 || line < first) first = line;
        last = std::max(last, line);
    };
    for (const auto* token : node.tokens) take(token->line);
    for (const auto& child : node.children) {
        auto [f, l] = lineRange(child);
        if (f != 0) take(f);
        if (l != 0) take(l);
    }
    return {first, last};
}

inline void describeNodes(const NodeList& nodes, int depth, std::string& out)
{
    for (const auto& node : nodes) {
        out += std::string(static_cast<std::size_t>(depth) * 2, ' ');
        out += model::nodeKindName(node.kind);
        const std::string detail = describeDetail(node);
        if (!detail.empty()) out += " " + detail;
        const auto [first, last] = lineRange(node);
        out += " " + std::to_string(first) + "-" + std::to_string(last);
        if (node.hasBody) out += " {}";
        out += "\n";
        describeNodes(node.children, depth + 1, out);
    }
}

inline std::string describeTree(const ParsedText& parsed)
{
    std::string out;
    describeNodes(parsed.unit.nodes, 0, out);
    for (const auto& line : parsed.log) out += "log: " + line + "\n";
    return out;
}

inline std::string describeText(std::string_view text)
{
    ParsedText parsed;
    parseText(parsed, text);
    return describeTree(parsed);
}

}  // namespace qm::parser::testing
