#include "cli/element_path.h"

#include "cli/cli_command.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <iostream>

namespace qm::cli {

namespace {

// The count of a trailing `/N`, with `name` shortened to the part before it.
std::optional<std::int32_t> takeCount(std::string& name)
{
    const auto slash = name.rfind('/');
    if (slash == std::string::npos || slash == 0 || slash + 1 == name.size()) {
        return std::nullopt;
    }
    const std::string_view digits = std::string_view(name).substr(slash + 1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    std::int32_t count = 0;
    const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
    if (error != std::errc() || end != digits.data() + digits.size()) {
        return std::nullopt;
    }
    name.resize(slash);
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

const model::SymbolEntry* findParsed(const model::SymbolEntry& root, const ElementName& name)
{
    const model::SymbolEntry* entry = &root;
    for (std::size_t i = 0; i < name.components.size() && entry; ++i) {
        entry = findIn(*entry, name.components[i].name, name.components[i].count);
    }
    return entry == &root ? nullptr : entry;
}

std::string lower(std::string_view text)
{
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

// The last `::` component of a path, without its /N.
std::string_view lastComponent(std::string_view path)
{
    const auto separator = path.rfind("::");
    std::string_view last = separator == std::string_view::npos ? path : path.substr(separator + 2);
    const auto slash = last.rfind('/');
    if (slash != std::string_view::npos && slash > 0 && slash + 1 < last.size() &&
        std::all_of(last.begin() + static_cast<std::ptrdiff_t>(slash) + 1, last.end(),
                    [](char c) { return c >= '0' && c <= '9'; })) {
        last = last.substr(0, slash);
    }
    return last;
}

// Edit distance of two short texts; anything beyond `limit` counts as limit + 1.
std::size_t editDistance(std::string_view a, std::string_view b, std::size_t limit)
{
    if (a.size() > b.size()) std::swap(a, b);
    if (b.size() - a.size() > limit) return limit + 1;
    std::vector<std::size_t> row(a.size() + 1);
    for (std::size_t i = 0; i <= a.size(); ++i) row[i] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
        std::size_t diagonal = row[0];
        row[0] = j;
        std::size_t best = row[0];
        for (std::size_t i = 1; i <= a.size(); ++i) {
            const std::size_t above = row[i];
            row[i] = std::min({row[i] + 1, row[i - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
            best = std::min(best, row[i]);
        }
        if (best > limit) return limit + 1;
    }
    return std::min(row[a.size()], limit + 1);
}

// The text of an ELEMENT up to its @FILE:LINE.
std::string_view withoutSite(std::string_view text)
{
    return text.substr(0, text.find('@'));
}

std::string withoutCount(const ElementName& name)
{
    std::string path;
    for (const auto& component : name.components) {
        if (!path.empty()) path += "::";
        path += component.name;
    }
    return path;
}

}  // namespace

std::optional<ElementName> parseElement(std::string_view text)
{
    ElementName name;
    // No name holds an `@`, so the first one starts the site; the file may hold more.
    const auto at = text.find('@');
    if (at != std::string_view::npos) {
        const std::string_view site = text.substr(at + 1);
        const auto colon = site.rfind(':');
        if (colon == std::string_view::npos || colon == 0) {
            return std::nullopt;
        }
        const std::string_view digits = site.substr(colon + 1);
        int line = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), line);
        if (digits.empty() || error != std::errc() || end != digits.data() + digits.size() || line <= 0) {
            return std::nullopt;
        }
        name.siteFile = std::string(site.substr(0, colon));
        name.siteLine = line;
        text = text.substr(0, at);
    }
    for (std::size_t start = 0;;) {
        const auto separator = text.find("::", start);
        std::string component(text.substr(start, separator == std::string_view::npos ? separator : separator - start));
        const std::optional<std::int32_t> count = takeCount(component);
        name.components.push_back({std::move(component), count});
        if (separator == std::string_view::npos) {
            break;
        }
        start = separator + 2;
    }
    return name;
}

std::vector<std::string> closeNames(const std::vector<ListedSymbol>& symbols, std::string_view wanted,
                                    std::size_t limit)
{
    const std::string wantedLast = lower(lastComponent(wanted));
    const std::string wantedWhole = lower(wanted);
    if (wantedLast.empty()) {
        return {};
    }
    // Names longer than this are only compared whole or as parts, not letter by letter.
    constexpr std::size_t kLongest = 200;
    const std::size_t allowed = std::max<std::size_t>(2, wantedLast.size() / 3);
    struct Scored {
        std::size_t score;
        const std::string* path;
    };
    std::vector<Scored> scored;
    for (const ListedSymbol& symbol : symbols) {
        const std::string last = lower(lastComponent(symbol.path));
        std::size_t score = 0;
        if (last == wantedLast) {
            score = 0;
        } else if (last.find(wantedLast) != std::string::npos || lower(symbol.path).find(wantedWhole) != std::string::npos) {
            score = 1;
        } else if (last.size() <= kLongest && wantedLast.size() <= kLongest) {
            const std::size_t distance = editDistance(last, wantedLast, allowed);
            if (distance > allowed) continue;
            score = 1 + distance;
        } else {
            continue;
        }
        scored.push_back({score, &symbol.path});
    }
    std::stable_sort(scored.begin(), scored.end(), [](const Scored& a, const Scored& b) { return a.score < b.score; });
    std::vector<std::string> names;
    for (const Scored& s : scored) {
        if (names.size() == limit) break;
        if (std::find(names.begin(), names.end(), *s.path) == names.end()) names.push_back(*s.path);
    }
    return names;
}

int chooseElement(const frontend::AnalysisEngine& engine, std::string_view text, KindFilter kinds,
                  ElementChoice& choice)
{
    const std::optional<ElementName> name = parseElement(text);
    if (!name) {
        std::cerr << text << ": expected NAME@FILE:LINE with a line number after the last ':'\n";
        return kExitUsage;
    }
    const TokenFiles files(engine);
    const model::SymbolEntry* entry = findParsed(engine.result(), *name);
    if (!entry) {
        std::cerr << text << ": no such element\n";
        const std::vector<std::string> close =
            closeNames(listSymbols(engine.result(), files, kinds), withoutCount(*name));
        if (close.size() == 1) {
            std::cerr << "did you mean " << close.front() << "?\n";
        } else if (!close.empty()) {
            std::cerr << "did you mean one of these?\n";
            for (const std::string& each : close) std::cerr << "  " << each << '\n';
        }
        std::cerr << "(quillmarsh-cli list with the same inputs shows every name)\n";
        return kExitInputError;
    }
    choice.entry = entry;
    const std::vector<SymbolSite> sites = sitesOf(*entry, files);
    const std::string path(withoutSite(text));
    if (!name->siteFile.empty()) {
        for (const SymbolSite& site : sites) {
            if (siteMatches(site, name->siteFile, name->siteLine)) {
                choice.site = site;
                return kExitSuccess;
            }
        }
        std::cerr << text << ": no definition of " << path << " at " << name->siteFile << ':' << name->siteLine << '\n';
        if (!sites.empty()) {
            std::cerr << (entry->definitions.empty() ? "its declarations:" : "its definitions:") << '\n';
            for (const SymbolSite& site : sites) std::cerr << "  " << path << '@' << siteText(site) << '\n';
        }
        return kExitInputError;
    }
    if (!sites.empty()) {
        choice.site = sites.front();
    }
    if (entry->definitions.size() > 1 && kinds == KindFilter::Function) {
        std::cerr << "note: " << path << " has " << entry->definitions.size() << " definitions; this is the first, "
                  << siteText(sites.front()) << ". Pick one with:\n";
        for (const SymbolSite& site : sites) std::cerr << "  " << path << '@' << siteText(site) << '\n';
    }
    // Other parameter counts of the same name, when none was asked for.
    const ElementName::Component& last = name->components.back();
    if (!last.count && entry->parent && entry->parent->children) {
        std::vector<std::int32_t> others;
        for (const auto& [key, sibling] : *entry->parent->children) {
            if (key.name == entry->name && &sibling != entry) others.push_back(key.parameterCount);
        }
        if (!others.empty()) {
            std::cerr << "note: " << path << " also has ";
            for (std::size_t i = 0; i < others.size(); ++i) {
                std::cerr << (i ? ", " : "") << path << '/' << others[i];
            }
            std::cerr << "; this is " << path << '/' << entry->parameterCount << "\n";
        }
    }
    return kExitSuccess;
}

}  // namespace qm::cli
