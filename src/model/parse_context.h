// ParseContext: the setting in which a list of sibling nodes is classified. It decides which
// analyzers run and, for the symbol table, which nodes are merged.
#pragma once

#include "model/node_kind.h"

#include <cstdint>

namespace qm::model {

enum class ParseContext : std::int32_t {
    DirectivesOnly = 0,  // only directive lines among the nodes are classified
    Declarations = 1,    // file, namespace and template scope
    Statements = 2,      // function and statement bodies
    Expression = 3,      // inside an expression statement
    StructBody = 4,      // struct and union bodies
    ClassBody = 5,       // class bodies
};

// The context of the children of a node of `kind`: statements below functions and statements,
// class and struct bodies below classes, structs and unions, declarations below namespaces and
// templates, directives only below everything else.
ParseContext childContext(NodeKind kind) noexcept;

}  // namespace qm::model
