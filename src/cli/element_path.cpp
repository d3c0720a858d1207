#include "cli/element_path.h"

#include <charconv>
#include <iostream>
#include <cstdint>
#include <optional>
#include <vector>

namespace qm::cli {

namespace {

// The count of a trailing `/N`, with `path` shortened to the part before it.
std::optional<std::int32_t> takeCount(std::string_view& path)
{
    const auto slash = path.rfind('/');
    if (slash == std::string_view::npos || slash == 0 || slash + 1 == path.size()) {
        return std::nullopt;
    }
    const std::string_view digits = path.substr(slash + 1);
    std::int32_t count = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (error != std::errc() || end != digits.data() + digits.size() || digits.front() == '-' ||
        digits.front() == '+') {
        return std::nullopt;
    }
    path = path.substr(0, slash);
    return count;
}

// The entry named `name` in `scope`'s table: the given count, or the smallest there is.
const model::SymbolEntry* findIn(const model::SymbolEntry& scope, const std::string& name,
                                 std::optional<std::int32_t> count)
{
    if (!scope.children) {
        return nullptr;
    }
    const model::SymbolTable& table = *scope.children;
    if (count) {
        return table.find(name, *count);
    }
    if (const model::SymbolEntry* plain = table.find(name, 0)) {
        return plain;
    }
    // Entries of one name sit together in count order; the table offers no ranged search, so
    // the first one of that name is looked for by scanning.
    for (const auto& [key, entry] : table) {
        if (key.name == name) {
            return &entry;
        }
    }
    return nullptr;
}

}  // namespace

const model::SymbolEntry* findElement(const model::SymbolEntry& root, std::string_view path)
{
    const std::optional<std::int32_t> count = takeCount(path);
    std::vector<std::string> components;
    for (std::size_t start = 0;;) {
        const auto separator = path.find("::", start);
        components.emplace_back(path.substr(start, separator == std::string_view::npos ? separator : separator - start));
        if (separator == std::string_view::npos) {
            break;
        }
        start = separator + 2;
    }
    const model::SymbolEntry* entry = &root;
    for (std::size_t i = 0; i < components.size() && entry; ++i) {
        const bool last = i + 1 == components.size();
        entry = findIn(*entry, components[i], last ? count : std::nullopt);
    }
    return entry == &root ? nullptr : entry;
}

const model::SymbolEntry* findElementOrReport(const model::SymbolEntry& root, std::string_view path)
{
    const model::SymbolEntry* entry = findElement(root, path);
    if (!entry) {
        std::cerr << path << ": no such element\n";
    }
    return entry;
}

}  // namespace qm::cli
