// The per-file analysis tree: AnalysisNode and the kind-specific detail records that the parser
// attaches to it. Nodes refer to tokens by pointer into their unit's token vector and never copy
// token text, except for the names that detail records store.
#pragma once

#include "model/compact_vector.h"
#include "model/node_kind.h"
#include "model/token.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace qm::model {

// A possibly qualified name: `A::B::f` has name "f" and scope {"A", "B"}. For a destructor the
// name is "~X"; for an operator it is the operator text ("+", "()", "new").
struct QualifiedName {
    std::string name;
    std::vector<std::string> scope;
    TokenRefs tokens;  // every token that the name covers

    bool operator==(const QualifiedName&) const = default;
};

struct BaseClassEntry {
    QualifiedName name;
    std::int32_t isVirtual = 0;

    bool operator==(const BaseClassEntry&) const = default;
};

// The tokens of one parameter or argument: those between two top-level commas.
struct ParameterRecord {
    TokenRefs tokens;

    bool operator==(const ParameterRecord&) const = default;
};

// Base of every detail record. A node owns its detail exclusively.
struct NodeDetail {
    virtual ~NodeDetail() = default;
};

struct AnalysisNode;
// The nodes of one level of a tree. A large analysis holds millions of nodes, and each has one.
using NodeList = CompactVector<AnalysisNode>;

struct AnalysisNode {
    NodeKind kind = NodeKind::Unknown;
    bool classified = false;
    bool hasBody = false;
    NodeList children;
    TokenRefs tokens;
    std::unique_ptr<NodeDetail> detail;

    AnalysisNode() = default;
    AnalysisNode(AnalysisNode&&) noexcept = default;
    AnalysisNode& operator=(AnalysisNode&&) noexcept = default;
    // Takes the subtree apart with an explicit stack: trees are as deep as their input.
    ~AnalysisNode();

    // The detail as the record type that the kind implies, or null when it has another type.
    template <typename T>
    T* detailAs() noexcept { return dynamic_cast<T*>(detail.get()); }
    template <typename T>
    const T* detailAs() const noexcept { return dynamic_cast<const T*>(detail.get()); }

    // Line of the node's first token; 0 for a node without tokens.
    std::int32_t line() const noexcept { return tokens.empty() ? 0 : tokens.front()->line; }
};

// --- Detail records, by the kinds that carry them ---------------------------------------------

// Kinds 4, 5: a class or struct with its base lists.
struct ClassDetail : NodeDetail {
    QualifiedName name;
    std::vector<BaseClassEntry> publicBases;
    std::vector<BaseClassEntry> privateBases;
    std::vector<BaseClassEntry> protectedBases;
};

// Kinds 6, 7, 8 (name, empty when anonymous), 13 (asm text), 18 (linkage, "C" for extern "C"),
// 46, 48 (label).
struct TextDetail : NodeDetail {
    std::string text;
};

// Kind 9: `namespace alias = target;`.
struct NamespaceAliasDetail : NodeDetail {
    std::string alias;
    QualifiedName target;
};

// Kind 10: `template <...>`, or `export template <...>` when exported.
struct TemplateDetail : NodeDetail {
    bool exported = false;
};

// Kind 12: one declarator of a variable declaration. Further declarators of the same
// declaration sit in `more`, in source order.
struct VariableDetail : NodeDetail {
    TokenRefs typeTokens;
    TokenRefs pointerTokens;
    QualifiedName name;
    TokenRefs dimensionTokens;
    TokenRefs initializerTokens;
    Access access = Access::None;
    std::vector<VariableDetail> more;
};

struct TypedefName {
    std::string name;
    std::int32_t pointers = 0;
    std::int32_t references = 0;

    bool operator==(const TypedefName&) const = default;
};

// Kind 14: the names a typedef introduces, found scanning backwards from its end.
struct TypedefDetail : NodeDetail {
    std::vector<TypedefName> names;
};

// Kinds 15, 17: `class WORD Name ;`.
struct ClassDeclareDetail : NodeDetail {
    QualifiedName first;
    QualifiedName name;
    Access access = Access::None;
};

// Kind 19: a using declaration.
struct UsingDetail : NodeDetail {
    QualifiedName name;
    TokenRefs rest;
};

// Kind 20: `using namespace N;`.
struct UsingNamespaceDetail : NodeDetail {
    QualifiedName name;
};

// Kind 21: `int x;`, `Type x;`, `Type * x;`.
struct ShortDeclareDetail : NodeDetail {
    TokenCode basicType = 0;  // the code of a basic-type keyword, 0 for an identifier type
    std::string name;
    std::string typeName;  // the identifier type; empty for a basic type
    Access access = Access::None;
};

// Kind 22: a function declaration or definition.
struct FunctionDetail : NodeDetail {
    QualifiedName name;
    TokenRefs nameTokens;
    TokenRefs returnTokens;
    std::vector<ParameterRecord> parameters;
    Access access = Access::None;
};

// Kind 24: `#include "a.h"` (quoted) or `#include <a.h>`.
struct IncludeDetail : NodeDetail {
    bool quoted = false;
    std::string header;
    std::int32_t unitIndex = -1;
};

// Kinds 27 to 30: the directive's condition tokens.
struct ConditionTokensDetail : NodeDetail {
    TokenRefs tokens;
};

// Kinds 37, 38, 41, 45, 47, 49, 52: the condition or expression as a node of kind 0;
// kind 39 carries an empty one.
struct ConditionDetail : NodeDetail {
    AnalysisNode condition;
};

// Kind 40: the three parts of a `for` header.
struct ForDetail : NodeDetail {
    AnalysisNode init;
    AnalysisNode condition;
    AnalysisNode step;
};

struct CallRecord {
    TokenRefs callee;  // the identifier chain before `(`
    std::vector<ParameterRecord> arguments;
};

// Kind 54: the calls found in an expression.
struct ExpressionDetail : NodeDetail {
    std::vector<CallRecord> calls;
};

// Kind 58: an operator function declared in a class or struct body.
struct OperatorDetail : NodeDetail {
    TokenRefs leadingTokens;
    TokenRefs operatorTokens;
    std::vector<ParameterRecord> parameters;
    Access access = Access::None;
};

// Kind 59: an operator function with a qualified name (`A::operator+`).
struct OperatorFunctionDetail : OperatorDetail {
    std::vector<std::string> scope;
};

// --- Operations ---------------------------------------------------------------------------------

// The access stored in the detail of kinds 12, 15, 17, 21, 22, 58 and 59; Access::None otherwise.
Access accessOf(const AnalysisNode& node) noexcept;

// Writes `access` into the detail of a node of those kinds; nodes of other kinds are left alone.
void setAccess(AnalysisNode& node, Access access) noexcept;

// Moves the tokens of `node` from `index` on into a new node that becomes the node's only child.
// The new node takes over the node's children and its hasBody flag; the node keeps the tokens
// before `index` and no longer has a body. For `if (a) x = 1;` split at `x` the `if` header keeps
// `if (a)` and the assignment becomes its child.
void splitTrailingStatement(AnalysisNode& node, std::size_t index);

}  // namespace qm::model
