#include "model/node_kind.h"

namespace qm::model {

std::string_view nodeKindName(std::int32_t value) noexcept
{
    switch (value) {
#define NODE_KIND(Name, value, displayName) case value: return displayName;
#include "model/node_kinds.def"
    default: return "";
    }
}

std::string_view nodeKindName(NodeKind kind) noexcept
{
    return nodeKindName(toInt(kind));
}

}  // namespace qm::model
