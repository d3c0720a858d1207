#include "model/parse_context.h"

namespace qm::model {

ParseContext childContext(NodeKind kind) noexcept
{
    const std::int32_t k = toInt(kind);
    if (kind == NodeKind::JustBrace || kind == NodeKind::Function || kind == NodeKind::OverloadMethod
        || kind == NodeKind::OverloadFunctionMethod
        || (k >= toInt(NodeKind::IfStatement) && k <= toInt(NodeKind::DoStatement))
        || (k >= toInt(NodeKind::SwitchStatement) && k <= toInt(NodeKind::CatchStatement))) {
        return ParseContext::Statements;
    }
    switch (kind) {
    case NodeKind::Class: return ParseContext::ClassBody;
    case NodeKind::Struct:
    case NodeKind::Union: return ParseContext::StructBody;
    case NodeKind::Namespace:
    case NodeKind::Template:
    case NodeKind::Typedef:
    case NodeKind::Extern: return ParseContext::Declarations;
    case NodeKind::ExpressionStatement: return ParseContext::Expression;
    default: return ParseContext::DirectivesOnly;
    }
}

}  // namespace qm::model
