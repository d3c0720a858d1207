#include "parser/keyword_declaration_analyzer.h"

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
    case tok::Union: classifyAggregateName(NodeKind::Union); break;
    case tok::Enum: classifyAggregateName(NodeKind::Enum); break;
    case tok::Namespace: classifyNamespace(); break;
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

// namespace Name {   namespace {   namespace Alias = A::B ;
void KeywordDeclarationAnalyzer::classifyNamespace()
{
    if (m_node.hasBody || !m_node.children.empty()) {
        if (tokenCount() == 1) {
            classifyAs(NodeKind::Namespace, textDetail(""));
        } else if (tokenCount() == 2 && isIdentifierAt(1)) {
            classifyAs(NodeKind::Namespace, textDetail(m_node.tokens[1]->text.view()));
        }
        return;
    }
    if (tokenCount() < 4 || !isIdentifierAt(1) || codeAt(2) != '=') {
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

// template < params > declaration   export template < params > declaration
// The declaration after the closing `>` becomes the node's child; `template <>` keeps it.
void KeywordDeclarationAnalyzer::classifyTemplate()
{
    const bool exported = codeAt(0) == tok::Export;
    const std::size_t open = exported ? 2 : 1;
    if (codeAt(open) != '<') {
        return;
    }
    std::size_t close = 0;
    int depth = 0;
    for (std::size_t i = open; i < tokenCount() && close == 0; ++i) {
        if (codeAt(i) == '<') {
            ++depth;
        } else if (codeAt(i) == '>' && --depth == 0) {
            close = i;
        }
    }
    if (close == 0) {
        return;
    }
    if (close + 1 < tokenCount() && close > open + 1) {
        model::splitTrailingStatement(m_node, close + 1);
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

// typedef type * Name , & Other ;
// Read backwards from the end: names, each preceded by its `*` and `&` markers, separated by
// commas. A shape that does not end in such a list stays a typedef node nobody has decided.
void KeywordDeclarationAnalyzer::classifyTypedef()
{
    m_node.kind = NodeKind::Typedef;
    auto detail = std::make_unique<model::TypedefDetail>();
    bool expectName = true;
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
    }
    classifyAs(NodeKind::Typedef, std::move(detail));
}

// extern "C" {   extern "C" declaration ;   extern declaration ;
void KeywordDeclarationAnalyzer::classifyExtern()
{
    if (codeAt(1) == tok::StringLiteral) {
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
