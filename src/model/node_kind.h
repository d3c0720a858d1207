// NodeKind: what an analysis node (or a symbol entry) stands for, and Access, the member access
// written into the details of class members.
#pragma once

#include <cstdint>
#include <string_view>

namespace qm::model {

enum class NodeKind : std::int32_t {
#define NODE_KIND(Name, value, displayName) Name = value,
#include "model/node_kinds.def"
};

// The bracketed display name of a kind ("[Class]"); "" for values without one.
std::string_view nodeKindName(NodeKind kind) noexcept;
std::string_view nodeKindName(std::int32_t value) noexcept;

constexpr std::int32_t toInt(NodeKind kind) noexcept { return static_cast<std::int32_t>(kind); }

// Member access: 1 public, 2 protected, 3 private; 0 when not recorded.
enum class Access : std::int32_t { None = 0, Public = 1, Protected = 2, Private = 3 };

}  // namespace qm::model
