#include "parser/keyword_declaration_analyzer.h"

#include "parser/declaration_prefix.h"
#include "parser/function_analyzer.h"
#include "parser/group_tokens.h"
#include "parser/name_scanner.h"

namespace qm::parser {

namespace tok = model::tok;
using model::NodeKind;

namespace {

std::unique_ptr<model::TextDetail> textDetail(std::string_view text)
{
    auto detail = std::make_unique<model::TextDetail>();
    detail->text = std::string(text);
    return detail;
}

}  // namespace

void KeywordDeclarationAnalyzer::analyze()
{
    if (m_node.classified) {
        return;
    }
    if (m_node.tokens.empty()) {
        classifyAs(NodeKind::Nothing);
        return;
    }
    switch (codeAt(0)) {
    case tok::Class:
        if (!classifySimpleClassForm(NodeKind::Class)) classifyClassHeader();
        break;
    case tok::Struct:
        if (!classifySimpleClassForm(NodeKind::Struct)) classifyClassHeader();
        break;
    case tok::Union:
        classifyAggregateName(NodeKind::Union);
        if (!m_node.classified) classifyClassHeader();  // union Tr < float >   union alignas ( 8 ) U
        break;
    case tok::Enum: classifyEnum(); break;
    case tok::Namespace: classifyNamespace(); break;
    case tok::Inline:
        if (codeAt(1) == tok::Namespace) classifyNamespace();
        break;
    case tok::Template: classifyTemplate(); break;
    case tok::Export:
        if (codeAt(1) == tok::Template) classifyTemplate();
        break;
    case tok::Asm: classifyAsm(); break;
    case tok::Typedef: classifyTypedef(); break;
    case tok::Extern: classifyExtern(); break;
    case tok::Using: classifyUsing(); break;
    default: classifyLoneSemicolon(); break;
    }
}

// ;
void KeywordDeclarationAnalyzer::classifyLoneSemicolon()
{
    if (tokenCount() == 1 && codeAt(0) == ';') {
        classifyAs(NodeKind::Nothing);
    }
}

// union {   enum Name {   (the name may be missing)
void KeywordDeclarationAnalyzer::classifyAggregateName(NodeKind kind)
{
    if (tokenCount() == 1) {
        classifyAs(kind, textDetail(""));
    } else if (tokenCount() == 2 && isIdentifierAt(1)) {
        classifyAs(kind, textDetail(m_node.tokens[1]->text.view()));
    }
}

// enum Name {   enum class Name : std::uint8_t {   enum struct Name ;   enum : int {
// The underlying type after `:` is not part of the name; an opaque declaration ends in `;`.
void KeywordDeclarationAnalyzer::classifyEnum()
{
    std::size_t at = 1;
    if (codeAt(at) == tok::Class || codeAt(at) == tok::Struct) ++at;
    std::string name;
    if (isIdentifierAt(at)) {
        ScannedName scanned = NameScanner().scan(m_node.tokens, at);
        name = std::move(scanned.name.name);
        at = scanned.end;
    }
    if (at < tokenCount() && codeAt(at) == ':') {
        // The underlying type: a name, `::` and basic-type words up to the end or the `;`.
        for (++at; at < tokenCount() && codeAt(at) != ';'; ++at) {
            const model::TokenCode code = codeAt(at);
            if (code != tok::Identifier && code != tok::ColonColon && FunctionAnalyzer::classOf(code) != FunctionAnalyzer::BasicType) {
                return;
            }
        }
    }
    if (at < tokenCount() && codeAt(at) == ';' && at + 1 == tokenCount() && !m_node.hasBody && at > 1) {
        ++at;  // enum class Fwd ;
    }
    if (at != tokenCount()) {
        return;
    }
    if (at == 1 || at == 2 || m_node.hasBody || codeAt(at - 1) == ';') {
        classifyAs(NodeKind::Enum, textDetail(name));
    }
}

// namespace Name {   namespace {   namespace Alias = A::B ;
// inline namespace v9 {   namespace a::b::inline c {
// A nested name becomes a chain of namespace nodes, one per component, the innermost holding
// the block.
void KeywordDeclarationAnalyzer::classifyNamespace()
{
    const std::size_t keyword = codeAt(0) == tok::Inline ? 1 : 0;
    if (m_node.hasBody || !m_node.children.empty()) {
        if (tokenCount() == keyword + 1) {
            classifyAs(NodeKind::Namespace, textDetail(""));
            return;
        }
        // name { :: [inline] name }, with no more levels than a block may nest
        std::vector<std::size_t> names;
        std::size_t at = keyword + 1;
        for (;;) {
            if (!isIdentifierAt(at) || names.size() >= static_cast<std::size_t>(kMaxBlockDepth)) return;
            names.push_back(at++);
            if (at == tokenCount()) break;
            if (codeAt(at) != tok::ColonColon) return;
            ++at;
            if (codeAt(at) == tok::Inline) ++at;
        }
        // Each level keeps the tokens up to its name; the rest goes down into its only child.
        model::AnalysisNode* level = &m_node;
        std::size_t levelStart = 0;
        for (std::size_t n = 0; n + 1 < names.size(); ++n) {
            model::splitTrailingStatement(*level, names[n] + 1 - levelStart);
            levelStart = names[n] + 1;
            level = &level->children.front();
        }
        level = &m_node;
        for (std::size_t n = 1; n < names.size(); ++n) {
            level = &level->children.front();
            level->kind = NodeKind::Namespace;
            level->classified = true;
            level->detail = textDetail(level->tokens.back()->text.view());
        }
        classifyAs(NodeKind::Namespace, textDetail(m_node.tokens[names.front()]->text.view()));
        return;
    }
    if (keyword != 0 || tokenCount() < 4 || !isIdentifierAt(1) || codeAt(2) != '=') {
        return;
    }
    ScannedName target = NameScanner().scan(m_node.tokens, 3);
    if (target.failed) {
        return;
    }
    auto alias = std::make_unique<model::NamespaceAliasDetail>();
    alias->alias = std::string(m_node.tokens[1]->text.view());
    alias->target = std::move(target.name);
    classifyAs(NodeKind::NamespaceAlias, std::move(alias));
}

// template < params > declaration   export template < params > declaration   template < > declaration
// The declaration after the closing `>` becomes the node's child, for an explicit
// specialisation (`template <>`) too; `>>` closes two lists.
void KeywordDeclarationAnalyzer::classifyTemplate()
{
    const bool exported = codeAt(0) == tok::Export;
    const std::size_t open = exported ? 2 : 1;
    if (codeAt(open) != '<') {
        return;
    }
    const std::size_t end = groupEnd(m_node.tokens, open);
    if (end == kNotClosed) {
        return;
    }
    if (end < tokenCount()) {
        model::splitTrailingStatement(m_node, end);
    }
    auto detail = std::make_unique<model::TemplateDetail>();
    detail->exported = exported;
    classifyAs(NodeKind::Template, std::move(detail));
}

// asm ( "text" ) ;
void KeywordDeclarationAnalyzer::classifyAsm()
{
    if (tokenCount() == 5 && codeAt(1) == '(' && codeAt(2) == tok::StringLiteral && codeAt(3) == ')'
        && codeAt(4) == ';') {
        classifyAs(NodeKind::Asm, textDetail(m_node.tokens[2]->text.view()));
    }
}

// typedef type * Name , & Other ;   typedef struct Tag { ... } Name , * Pointer ;
// Read backwards from the end: names, each preceded by its `*` and `&` markers, separated by
// commas. A shape that does not end in such a list stays a typedef node nobody has decided.
// With a body, the struct, union, enum or class becomes the node's child, named by its tag or,
// without one, by the first name of the typedef.
void KeywordDeclarationAnalyzer::classifyTypedef()
{
    m_node.kind = NodeKind::Typedef;
    auto detail = std::make_unique<model::TypedefDetail>();
    bool expectName = true;
    std::size_t listStart = tokenCount() - 1;  // the first token of the declarator list
    for (std::size_t i = tokenCount() - 1; i > 1;) {
        --i;
        const model::Token& token = *m_node.tokens[i];
        if (expectName) {
            if (token.code != tok::Identifier) {
                return;
            }
            detail->names.push_back(model::TypedefName{std::string(token.text.view()), 0, 0});
            expectName = false;
        } else if (token.code == '*') {
            ++detail->names.back().pointers;
        } else if (token.code == '&') {
            ++detail->names.back().references;
        } else if (token.code == ',') {
            expectName = true;
        } else {
            break;
        }
        listStart = i;
    }
    const model::TokenCode aggregate = codeAt(1);
    if (m_node.hasBody && !detail->names.empty()
        && (aggregate == tok::Struct || aggregate == tok::Union || aggregate == tok::Enum || aggregate == tok::Class)) {
        model::AnalysisNode inner;
        inner.tokens = tokenSlice(1, listStart);
        if (listStart == 2) {
            // typedef struct { ... } Name , * Pointer ;   the struct takes the first name that
            // is not a pointer or reference.
            for (std::size_t i = listStart; i < tokenCount(); ++i) {
                if (isIdentifierAt(i) && !isPointerOrReferenceAt(i - 1)) {
                    inner.tokens.push_back(m_node.tokens[i]);
                    break;
                }
            }
        }
        inner.children = std::move(m_node.children);
        inner.hasBody = true;
        m_node.children.clear();
        m_node.children.push_back(std::move(inner));
        m_node.hasBody = false;
    }
    classifyAs(NodeKind::Typedef, std::move(detail));
}

// extern "C" {   extern "C" declaration ;   extern declaration ;
// The declarations of the block, or the one after the linkage, are the node's children.
void KeywordDeclarationAnalyzer::classifyExtern()
{
    if (codeAt(1) == tok::StringLiteral) {
        if (tokenCount() > 2) {
            model::splitTrailingStatement(m_node, 2);
        }
        classifyAs(NodeKind::Extern, textDetail(m_node.tokens[1]->text.view()));
        return;
    }
    if (tokenCount() > 1) {
        model::splitTrailingStatement(m_node, 1);
    }
    classifyAs(NodeKind::Extern, textDetail(""));
}

// using namespace A::B ;   using A::f ;   using typename A::T ;   using Name = type ;
void KeywordDeclarationAnalyzer::classifyUsing()
{
    if (codeAt(1) == tok::Namespace) {
        ScannedName scanned = NameScanner().scan(m_node.tokens, 2);
        if (!scanned.failed) {
            auto detail = std::make_unique<model::UsingNamespaceDetail>();
            detail->name = std::move(scanned.name);
            classifyAs(NodeKind::UsingNamespace, std::move(detail));
        }
        return;
    }
    ScannedName scanned = NameScanner().scan(m_node.tokens, codeAt(1) == tok::Typename ? 2 : 1);
    if (scanned.failed) {
        return;
    }
    auto detail = std::make_unique<model::UsingDetail>();
    detail->name = std::move(scanned.name);
    for (std::size_t i = scanned.end; i < tokenCount() && codeAt(i) != ';'; ++i) {
        detail->rest.push_back(m_node.tokens[i]);
    }
    classifyAs(NodeKind::Using, std::move(detail));
}

}  // namespace qm::parser
