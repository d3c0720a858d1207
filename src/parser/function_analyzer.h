// FunctionAnalyzer: declarations that no keyword announces and whose shape is decided by their
// leading specifiers and the place of the name: `int x;`, `static const int n = 5;`,
// `void f(int);`, `CFoo::~CFoo() {`, `char *p;`, and the declarator list after an aggregate's
// body (`struct S { ... } s1, s2;`). The recognisers run in a fixed order and the first that
// matches decides the node, so the order is part of the behaviour.
#pragma once

#include "parser/node_analyzer.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace qm::parser {

class FunctionAnalyzer : public NodeAnalyzer {
public:
    // `previous` is the sibling before the node (null for the first one): a declarator list
    // goes on from an aggregate that ended there.
    FunctionAnalyzer(model::AnalysisNode& node, const model::AnalysisNode* previous)
        : NodeAnalyzer(node), m_previous(previous)
    {
    }
    void analyze() override;

    // The classes of leading tokens; a mask of them selects which may lead a declaration.
    enum TokenClass : std::uint8_t { Other = 0, BasicType = 1, Storage = 2, FunctionSpecifier = 3, Qualifier = 4 };
    static TokenClass classOf(model::TokenCode code) noexcept;
    // The same for a token, with the C++ words that the scanner reads as identifiers
    // (`constexpr`, `thread_local`, `char16_t`, ...) and `friend` in their classes.
    static TokenClass classOf(const model::Token& token) noexcept;

private:
    static constexpr unsigned maskOf(TokenClass c) noexcept { return 1U << c; }
    static constexpr unsigned kVariableLeaders = (1U << BasicType) | (1U << Storage) | (1U << Qualifier);
    static constexpr unsigned kFunctionLeaders = kVariableLeaders | (1U << FunctionSpecifier);
    // `inline` leads variables too (`inline static int counter = 0;`).
    static constexpr unsigned kInlineVariableLeaders = kFunctionLeaders;

    // Number of leading tokens whose class is in `mask`.
    std::size_t leadingRun(unsigned mask) const noexcept;

    bool tryShortDeclare();
    bool tryPlainVariable();
    bool tryInitialisedVariable();
    bool tryEmptyParameterPrototype();
    bool trySpecifierFunction();
    bool macroCallBeforeName(std::size_t at) const;
    bool tryOperatorFunction();
    bool tryGeneralFunction();
    std::size_t qualifiedNameStart(std::size_t last) const noexcept;
    void classifyFunction(std::size_t first, std::size_t nameEnd, std::size_t open);
    bool tryPointerVariable();
    bool tryAggregateDeclarators();
    bool tryBraceInitialisedVariable();
    std::optional<model::AnalysisNode> aggregateDeclarator(std::size_t begin, std::size_t end, const std::string& typeName) const;

    const model::AnalysisNode* m_previous;
    std::vector<TokenClass> m_classes;
    bool m_hasParentheses = false;
};

}  // namespace qm::parser
