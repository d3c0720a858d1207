// The class and struct recognisers of KeywordDeclarationAnalyzer: the short fixed shapes first,
// then the header state machine that reads the name and the base list.
#include "parser/keyword_declaration_analyzer.h"

#include "parser/declaration_prefix.h"
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
// class X final : Base   struct Tr < int >   class Outer < T > :: Inner : public B < T > :: type
// The last name before `:` is the class name; template arguments after it (an explicit
// specialisation) are skipped, and a `::` after them goes on with the name. Each base goes to the
// list of the access written before it; its template arguments are skipped, and `::` after them
// names a member of the template. A header that breaks these rules is left to the later
// analyzers when no name was found; otherwise the class keeps what was read.
// A union head (`union Tr < float >`, a partial or explicit specialisation) is read the same way
// but has no bases; it is a union only when the whole head was read and gave a name.
void KeywordDeclarationAnalyzer::classifyClassHeader()
{
    enum class Step { Keyword, Name, Base, AfterBase };
    Step step = Step::Keyword;
    NodeKind kind = NodeKind::Unknown;
    Access defaultAccess = Access::Private;
    Access access = Access::Private;
    bool isVirtual = false;
    std::unique_ptr<model::ClassDetail> detail;
    model::BaseClassEntry* lastBase = nullptr;
    const bool isUnion = codeAt(0) == tok::Union;

    // A union node keeps its name only (the class detail is for classes and structs).
    auto finish = [&] {
        if (!isUnion) {
            classifyAs(kind, std::move(detail));
        } else if (!detail->name.name.empty()) {
            auto text = std::make_unique<model::TextDetail>();
            text->text = detail->name.name;
            classifyAs(kind, std::move(text));
        }
    };

    // The name read from `at`, with its template arguments and `::` continuations.
    auto scanName = [this](std::size_t at, model::QualifiedName& name) -> std::size_t {
        if (codeAt(at) == tok::ColonColon) ++at;  // ::Base
        ScannedName scanned = NameScanner().scan(m_node.tokens, at);
        if (scanned.failed) return at;
        name = std::move(scanned.name);
        std::size_t end = scanned.end;
        while (codeAt(end) == '<') {
            const std::size_t close = groupEnd(m_node.tokens, end);
            if (close == kNotClosed) break;
            end = close;
            if (codeAt(end) != tok::ColonColon || !isIdentifierAt(end + 1)) break;
            ScannedName more = NameScanner().scan(m_node.tokens, end + 1);
            if (more.failed) break;
            if (!name.name.empty()) name.scope.push_back(std::move(name.name));
            for (auto& part : more.name.scope) name.scope.push_back(std::move(part));
            name.name = std::move(more.name.name);
            name.tokens.append(m_node.tokens.view().subspan(scanned.end, more.end - scanned.end));
            scanned.end = more.end;
            end = more.end;
        }
        return end;
    };
    auto fail = [&] {
        if (detail && !detail->name.name.empty() && !isUnion) {
            classifyAs(kind, std::move(detail));
        }
    };

    std::size_t i = 0;
    while (i < tokenCount()) {
        const model::TokenCode code = codeAt(i);
        switch (step) {
        case Step::Keyword:
            if (code != tok::Class && code != tok::Struct && code != tok::Union) {
                return;
            }
            kind = code == tok::Class ? NodeKind::Class : code == tok::Union ? NodeKind::Union : NodeKind::Struct;
            defaultAccess = code == tok::Class ? Access::Private : Access::Public;
            access = defaultAccess;
            detail = std::make_unique<model::ClassDetail>();
            step = Step::Name;
            ++i;
            break;
        case Step::Name: {
            if (code == ':' && isUnion) {
                return;
            }
            if (code == ':') {
                step = Step::Base;
                ++i;
                break;
            }
            if (!detail->name.name.empty() && contextualWordOf(*m_node.tokens[i]) == ContextualWord::ClassVirtSpecifier) {
                ++i;  // class X final : Base
                break;
            }
            if (code == '(' && !detail->name.name.empty()) {
                // struct LIB_ALIGN ( 8 ) Name   the arguments of a macro before the name
                const std::size_t close = groupEnd(m_node.tokens, i);
                if (close != kNotClosed) {
                    i = close;
                    break;
                }
            }
            model::QualifiedName name;
            const std::size_t end = scanName(i, name);
            if (end == i || (codeAt(i) == tok::ColonColon && name.name.empty())) {
                if (!isUnion) classifyAs(kind, std::move(detail));
                return;
            }
            detail->name = std::move(name);
            i = end;
            break;
        }
        case Step::Base:
            if (code == tok::Identifier || code == tok::ColonColon) {
                model::QualifiedName name;
                const std::size_t end = scanName(i, name);
                if (end == i) {
                    fail();
                    return;
                }
                auto& list = basesFor(*detail, access);
                list.push_back(model::BaseClassEntry{std::move(name), isVirtual ? 1 : 0});
                lastBase = &list.back();
                i = end;
                step = Step::AfterBase;
            } else if (code == tok::Private || code == tok::Protected || code == tok::Public) {
                access = code == tok::Private ? Access::Private
                       : code == tok::Protected ? Access::Protected : Access::Public;
                ++i;
            } else if (code == tok::Virtual) {
                isVirtual = true;
                ++i;
            } else {
                fail();
                return;
            }
            break;
        case Step::AfterBase:
            if (code == ',') {
                isVirtual = false;
                access = defaultAccess;
                step = Step::Base;
                ++i;
            } else if (code == tok::Ellipsis) {
                ++i;  // Bases ...
            } else if (code == '<' && lastBase != nullptr) {
                // A base whose template arguments the name scan left: skip them.
                const std::size_t close = groupEnd(m_node.tokens, i);
                if (close == kNotClosed) {
                    fail();
                    return;
                }
                i = close;
            } else if (code == tok::Identifier || code == tok::Private || code == tok::Protected || code == tok::Public
                       || code == tok::Virtual) {
                // Outer < Inner < T > > public After : a missing comma starts the next base.
                isVirtual = false;
                access = Access::Private;
                step = Step::Base;
            } else {
                fail();
                return;
            }
            break;
        }
    }
    if (detail) {
        finish();
    }
}

}  // namespace qm::parser
