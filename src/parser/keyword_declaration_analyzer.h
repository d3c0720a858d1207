// KeywordDeclarationAnalyzer: the declarations that a keyword announces: class, struct, union,
// enum, namespace, template, asm, typedef, extern and using, plus empty nodes and lone `;`. Each
// first token leads to one recogniser; a shape it does not know leaves the node unclassified for
// the analyzers of typed declarations.
#pragma once

#include "model/node_kind.h"
#include "parser/node_analyzer.h"

namespace qm::parser {

class KeywordDeclarationAnalyzer : public NodeAnalyzer {
public:
    using NodeAnalyzer::NodeAnalyzer;
    void analyze() override;

private:
    void classifyLoneSemicolon();
    void classifyAggregateName(model::NodeKind kind);
    // class_declaration.cpp
    bool classifySimpleClassForm(model::NodeKind kind);
    void classifyClassHeader();
    // keyword_declaration_analyzer.cpp
    void classifyEnum();
    void classifyNamespace();
    void classifyTemplate();
    void classifyAsm();
    void classifyTypedef();
    void classifyExtern();
    void classifyUsing();
};

}  // namespace qm::parser
