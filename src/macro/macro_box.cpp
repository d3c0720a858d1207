#include "macro/macro_box.h"

#include <cstdint>

namespace qm::macro {

std::int32_t kindCategory(std::int32_t kind) noexcept
{
    switch (kind) {
    case 11:
    case 12:
    case 15:
    case 16:
    case 17:
    case 21:
        return 12;
    case 22:
    case 58:
    case 59:
        return 22;
    default:
        break;
    }
    if (kind >= 23 && kind <= 36) {
        return 23;
    }
    if (kind >= 37 && kind <= 57) {
        return 53;
    }
    return kind;
}

std::int32_t memberGroup(std::int32_t kind) noexcept
{
    switch (kind) {
    case 5:
    case 6:
        return 4;
    case 7:
    case 11:
    case 15:
    case 16:
    case 17:
    case 21:
        return 12;
    case 58:
    case 59:
        return 22;
    default:
        return kind;
    }
}

namespace {

std::uint32_t nameLength(std::size_t size) noexcept
{
    // No name comes near 4 GiB; the clamp only keeps the conversion defined.
    return size > UINT32_MAX ? UINT32_MAX : static_cast<std::uint32_t>(size);
}

}  // namespace

MacroBox::MacroBox(const model::SymbolEntry* shown) : entry(shown)
{
    if (shown) {
        shownKind = model::toInt(shown->kind);
        nameSize = nameLength(shown->name.size());
        nameData = shown->name.data();
    }
}

MacroBox::MacroBox(const model::SymbolEntry& shown, const char* name, std::size_t size)
    : shownKind(model::toInt(shown.kind)),
      nameSize(nameLength(size)),
      entry(&shown),
      nameData(name)
{
}

MacroBox::~MacroBox()
{
    if (children.empty()) {
        return;
    }
    std::vector<MacroBox> pending = std::move(children);
    while (!pending.empty()) {
        MacroBox box = std::move(pending.back());
        pending.pop_back();
        for (MacroBox& child : box.children) {
            pending.push_back(std::move(child));
        }
        box.children.clear();
    }
}

}  // namespace qm::macro
