#include "cli/symbol_listing.h"

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

namespace qm::cli {

namespace fs = std::filesystem;
using model::NodeKind;

bool matchesKind(NodeKind kind, KindFilter filter)
{
    switch (filter) {
    case KindFilter::All:
        return true;
    case KindFilter::Function:
        return kind == NodeKind::Function || kind == NodeKind::OverloadMethod ||
               kind == NodeKind::OverloadFunctionMethod;
    case KindFilter::Class:
        return kind == NodeKind::Class || kind == NodeKind::Struct || kind == NodeKind::Union;
    case KindFilter::Namespace:
        return kind == NodeKind::Namespace;
    case KindFilter::Variable:
        return kind == NodeKind::Variable || kind == NodeKind::ShortDeclare ||
               kind == NodeKind::MultipleDeclareVariable;
    }
    return false;
}

std::string kindWord(NodeKind kind)
{
    switch (kind) {
    case NodeKind::Function: return "function";
    case NodeKind::OverloadMethod:
    case NodeKind::OverloadFunctionMethod: return "operator";
    case NodeKind::MultipleDeclareVariable: return "variables";
    case NodeKind::ShortDeclare: return "variable";
    case NodeKind::ClassDeclare: return "class declaration";
    case NodeKind::StructDeclare: return "struct declaration";
    case NodeKind::ScopePlaceholder: return "scope";
    default: break;
    }
    // The display name without its brackets, in lower case: "[Class declare]" -> "class declare".
    std::string word;
    for (const char c : model::nodeKindName(kind)) {
        if (c != '[' && c != ']' && c != '*') {
            word.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
        }
    }
    const auto first = word.find_first_not_of(' ');
    word.erase(0, first == std::string::npos ? word.size() : first);
    return word.empty() ? "kind " + std::to_string(model::toInt(kind)) : word;
}

TokenFiles::TokenFiles(const frontend::AnalysisEngine& engine)
{
    std::vector<const model::SourceUnit*> pending;
    for (const auto& file : engine.files()) {
        if (file && file->rootUnit) {
            pending.push_back(file->rootUnit.get());
        }
    }
    while (!pending.empty()) {
        const model::SourceUnit* unit = pending.back();
        pending.pop_back();
        if (!unit->tokens.empty()) {
            m_ranges.push_back({unit->tokens.data(), unit->tokens.data() + unit->tokens.size(), &unit->fileName});
        }
        for (const auto& included : unit->includedUnits) {
            if (included) {
                pending.push_back(included.get());
            }
        }
    }
    std::sort(m_ranges.begin(), m_ranges.end(), [](const Range& a, const Range& b) { return a.begin < b.begin; });
}

const std::string* TokenFiles::fileOf(const model::Token* token) const
{
    // The last range that begins at or before the token.
    auto it = std::upper_bound(m_ranges.begin(), m_ranges.end(), token,
                               [](const model::Token* t, const Range& r) { return t < r.begin; });
    if (it == m_ranges.begin()) {
        return nullptr;
    }
    --it;
    return token < it->end ? it->file : nullptr;
}

std::vector<SymbolSite> sitesOf(const model::SymbolEntry& entry, const TokenFiles& files)
{
    std::vector<SymbolSite> sites;
    if (!entry.definitions.empty()) {
        for (std::size_t i = 0; i < entry.definitions.size(); ++i) {
            const model::AnalysisNode* node = entry.definitions[i];
            SymbolSite site{node, i < entry.definitionFiles.size() ? std::string(entry.definitionFiles[i]) : std::string(),
                            node ? node->line() : 0};
            if (site.file.empty() && node && !node->tokens.empty()) {
                if (const std::string* file = files.fileOf(node->tokens.front())) site.file = *file;
            }
            sites.push_back(std::move(site));
        }
        return sites;
    }
    for (const model::AnalysisNode* node : entry.declarations) {
        SymbolSite site{node, std::string(), node ? node->line() : 0};
        if (node && !node->tokens.empty()) {
            if (const std::string* file = files.fileOf(node->tokens.front())) site.file = *file;
        }
        sites.push_back(std::move(site));
    }
    return sites;
}

std::string displayPath(const std::string& path)
{
    std::error_code ec;
    const fs::path current = fs::current_path(ec);
    if (ec || path.empty() || path.front() != '/') {
        return path;
    }
    const fs::path relative = fs::path(path).lexically_relative(current);
    if (relative.empty() || *relative.begin() == "..") {
        return path;
    }
    return relative.string();
}

std::string siteText(const SymbolSite& site)
{
    if (site.file.empty()) {
        return site.line > 0 ? "?:" + std::to_string(site.line) : std::string("-");
    }
    return displayPath(site.file) + ":" + std::to_string(site.line);
}

bool siteMatches(const SymbolSite& site, std::string_view file, int line)
{
    if (site.line != line || site.file.empty() || file.empty()) {
        return false;
    }
    const std::string& path = site.file;
    if (path == file || displayPath(path) == file) {
        return true;
    }
    // A shorter path matches the end of the site's after a folder separator.
    return path.size() > file.size() && path.compare(path.size() - file.size(), file.size(), file) == 0 &&
           path[path.size() - file.size() - 1] == '/';
}

std::vector<ListedSymbol> listSymbols(const model::SymbolEntry& root, const TokenFiles& files, KindFilter filter)
{
    std::vector<ListedSymbol> listed;
    struct Frame {
        const model::SymbolEntry* entry;
        std::string path;
    };
    std::vector<Frame> stack{{&root, std::string()}};
    while (!stack.empty()) {
        Frame frame = std::move(stack.back());
        stack.pop_back();
        const model::SymbolEntry& entry = *frame.entry;
        if (&entry != &root && matchesKind(entry.kind, filter)) {
            listed.push_back({frame.path, &entry, sitesOf(entry, files)});
        }
        if (!entry.children) {
            continue;
        }
        // Children go on the stack in reverse so that they come off in table order. A name with
        // several counts gets /N on each of its entries.
        std::vector<Frame> children;
        const model::SymbolTable& table = *entry.children;
        const model::SymbolEntry* previous = nullptr;
        bool previousShared = false;
        for (const auto& [key, child] : table) {
            const bool sharesName = previous && previous->name == child.name;
            if (sharesName && !previousShared) {
                children.back().path += "/" + std::to_string(previous->parameterCount);
            }
            std::string path = frame.path.empty() ? child.name : frame.path + "::" + child.name;
            if (sharesName) {
                path += "/" + std::to_string(child.parameterCount);
            }
            children.push_back({&child, std::move(path)});
            previous = &child;
            previousShared = sharesName;
        }
        for (auto it = children.rbegin(); it != children.rend(); ++it) {
            stack.push_back(std::move(*it));
        }
    }
    return listed;
}

}  // namespace qm::cli
