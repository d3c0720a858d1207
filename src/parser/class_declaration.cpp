// The class and struct recognisers of KeywordDeclarationAnalyzer: the short fixed shapes first,
// then the header state machine that reads the name and the base list.
#include "parser/keyword_declaration_analyzer.h"

#include "parser/name_scanner.h"

namespace qm::parser {

namespace tok = model::tok;
using model::Access;
using model::NodeKind;

namespace {

model::QualifiedName identifierName(const model::Token* token)
{
    model::QualifiedName name;
    name.name = std::string(token->text.view());
    name.tokens.push_back(token);
    return name;
}

std::vector<model::BaseClassEntry>& basesFor(model::ClassDetail& detail, Access access)
{
    switch (access) {
    case Access::Public: return detail.publicBases;
    case Access::Protected: return detail.protectedBases;
    default: return detail.privateBases;
    }
}

}  // namespace

// class   class Name   class WORD Name ;   class Name : public Base
// Returns false for every other shape, which the class header reads instead.
bool KeywordDeclarationAnalyzer::classifySimpleClassForm(NodeKind kind)
{
    const auto& tokens = m_node.tokens;
    if (tokenCount() == 1) {
        classifyAs(kind, std::make_unique<model::ClassDetail>());
        return true;
    }
    if (tokenCount() == 2 && isIdentifierAt(1)) {
        auto detail = std::make_unique<model::ClassDetail>();
        detail->name = identifierName(tokens[1]);
        classifyAs(kind, std::move(detail));
        return true;
    }
    if (tokenCount() == 4 && isIdentifierAt(1) && isIdentifierAt(2) && codeAt(3) == ';') {
        auto detail = std::make_unique<model::ClassDeclareDetail>();
        detail->first = identifierName(tokens[1]);
        detail->name = identifierName(tokens[2]);
        classifyAs(kind == NodeKind::Class ? NodeKind::ClassDeclare : NodeKind::StructDeclare, std::move(detail));
        return true;
    }
    const model::TokenCode access = codeAt(3);
    if (tokenCount() == 5 && isIdentifierAt(1) && codeAt(2) == ':' && isIdentifierAt(4)
        && (access == tok::Public || access == tok::Protected || access == tok::Private || access == tok::Virtual)) {
        auto detail = std::make_unique<model::ClassDetail>();
        detail->name = identifierName(tokens[1]);
        model::BaseClassEntry base{identifierName(tokens[4]), access == tok::Virtual ? 1 : 0};
        if (access == tok::Public) {
            detail->publicBases.push_back(std::move(base));
        } else if (access == tok::Protected) {
            detail->protectedBases.push_back(std::move(base));
        } else {
            detail->privateBases.push_back(std::move(base));
        }
        classifyAs(kind, std::move(detail));
        return true;
    }
    return false;
}

// class WORD Name : public A::B , virtual protected C < T > D
// The last name before `:` is the class name. Each base goes to the list of the access written
// before it; template arguments of a base are skipped, and the base list may go on after them
// only with another access word or name, never with `,`. A header that breaks these rules is
// left to the later analyzers.
void KeywordDeclarationAnalyzer::classifyClassHeader()
{
    enum class Step { Keyword, Name, Base, AfterBase, TemplateArguments };
    Step step = Step::Keyword;
    NodeKind kind = NodeKind::Unknown;
    Access defaultAccess = Access::Private;
    Access access = Access::Private;
    bool isVirtual = false;
    int depth = 0;
    std::unique_ptr<model::ClassDetail> detail;

    std::size_t i = 0;
    while (i < tokenCount()) {
        const model::TokenCode code = codeAt(i);
        switch (step) {
        case Step::Keyword:
            if (code != tok::Class && code != tok::Struct) {
                return;
            }
            kind = code == tok::Class ? NodeKind::Class : NodeKind::Struct;
            defaultAccess = code == tok::Class ? Access::Private : Access::Public;
            access = defaultAccess;
            detail = std::make_unique<model::ClassDetail>();
            step = Step::Name;
            ++i;
            break;
        case Step::Name: {
            if (code == ':') {
                step = Step::Base;
                ++i;
                break;
            }
            ScannedName scanned = NameScanner().scan(m_node.tokens, i);
            if (scanned.failed) {
                classifyAs(kind, std::move(detail));
                return;
            }
            detail->name = std::move(scanned.name);
            i = scanned.end;
            break;
        }
        case Step::Base:
            if (code == '<') {
                depth = 1;
                step = Step::TemplateArguments;
                ++i;
            } else if (code == tok::Identifier || code == tok::ColonColon) {
                ScannedName scanned = NameScanner().scan(m_node.tokens, i);
                if (scanned.failed) {
                    return;
                }
                basesFor(*detail, access).push_back(model::BaseClassEntry{std::move(scanned.name), isVirtual ? 1 : 0});
                i = scanned.end;
                step = Step::AfterBase;
            } else if (code == tok::Private || code == tok::Protected || code == tok::Public) {
                access = code == tok::Private ? Access::Private
                       : code == tok::Protected ? Access::Protected : Access::Public;
                ++i;
            } else if (code == tok::Virtual) {
                isVirtual = true;
                ++i;
            } else {
                return;
            }
            break;
        case Step::AfterBase:
            if (code == ',') {
                isVirtual = false;
                access = defaultAccess;
                step = Step::Base;
            } else if (code == '<') {
                depth = 1;
                step = Step::TemplateArguments;
            } else {
                return;
            }
            ++i;
            break;
        case Step::TemplateArguments:
            if (code == '<') {
                ++depth;
            } else if (code == '>' && --depth == 0) {
                isVirtual = false;
                access = Access::Private;
                step = Step::Base;
            }
            ++i;
            break;
        }
    }
    if (detail) {
        classifyAs(kind, std::move(detail));
    }
}

}  // namespace qm::parser
