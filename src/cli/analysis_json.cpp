#include "cli/analysis_json.h"

#include "cli/json_output.h"
#include "cli/node_detail_json.h"
#include "model/token_text.h"

#include <utility>
#include <vector>

namespace qm::cli {

void writeNodeJson(JsonStreamWriter& out, const model::AnalysisNode& node)
{
    std::string& b = out.buffer();
    b.append("{\"kind\": ");
    b.append(std::to_string(model::toInt(node.kind)));
    b.append(", \"kindName\": ");
    appendJsonString(b, model::nodeKindName(node.kind));
    b.append(node.hasBody ? ", \"hasBody\": true" : ", \"hasBody\": false");
    b.append(", \"text\": ");
    appendJsonString(b, model::TokenText(node.tokens, true));
    b.append(", \"line\": ");
    b.append(std::to_string(node.line()));
    if (const auto detail = nodeDetailJson(node)) {
        b.append(", \"detail\": ");
        b.append(detail->dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
    }
    if (!node.children.empty()) {
        b.append(", \"children\": [");
        for (std::size_t i = 0; i < node.children.size(); ++i) {
            if (i) b.append(", ");
            writeNodeJson(out, node.children[i]);
        }
        b.push_back(']');
    }
    b.push_back('}');
    out.maybeFlush();
}

void writeUnitJson(JsonStreamWriter& out, const model::SourceUnit& unit, const UnitDumpOptions& options)
{
    std::string& b = out.buffer();
    b.append("{\"path\": ");
    appendJsonString(b, unit.fileName);
    b.append(", \"userFile\": ");
    b.append(std::to_string(unit.userFile));
    b.append(", \"tokenCount\": ");
    b.append(std::to_string(unit.tokens.size() + unit.lineBreaks.size()));
    if (options.tokens) {
        b.append(", \"tokens\": [");
        bool first = true;
        unit.lineBreaks.forEachToken(unit.tokens, [&](const model::Token& token) {
            if (!std::exchange(first, false)) b.append(", ");
            appendTokenJson(b, token);
            out.maybeFlush();
        });
        b.push_back(']');
    }
    if (options.tree) {
        b.append(", \"nodes\": [");
        for (std::size_t i = 0; i < unit.nodes.size(); ++i) {
            if (i) b.append(", ");
            writeNodeJson(out, unit.nodes[i]);
        }
        b.push_back(']');
    }
    b.append(", \"included\": [");
    for (std::size_t i = 0; i < unit.includedUnits.size(); ++i) {
        if (i) b.append(", ");
        writeUnitJson(out, *unit.includedUnits[i], options);
    }
    b.append("]}");
    out.maybeFlush();
}

namespace {

void appendEntryHead(std::string& b, const model::SymbolEntry& entry)
{
    b.append("{\"name\": ");
    appendJsonString(b, entry.name);
    b.append(", \"count\": ");
    b.append(std::to_string(entry.parameterCount));
    b.append(", \"kind\": ");
    b.append(std::to_string(model::toInt(entry.kind)));
    b.append(", \"kindName\": ");
    appendJsonString(b, model::nodeKindName(entry.kind));
    b.append(", \"isTemplate\": ");
    b.append(std::to_string(entry.isTemplate));
    b.append(", \"declarations\": ");
    b.append(std::to_string(entry.declarations.size()));
    b.append(", \"definitions\": ");
    b.append(std::to_string(entry.definitions.size()));
    b.append(", \"definitionFiles\": [");
    for (std::size_t i = 0; i < entry.definitionFiles.size(); ++i) {
        if (i) b.append(", ");
        appendJsonString(b, entry.definitionFiles[i]);
    }
    b.append("], ");
}

}  // namespace

void writeSymbolsJson(JsonStreamWriter& out, const model::SymbolEntry& root)
{
    struct Frame {
        model::SymbolTable::Map::const_iterator next;
        model::SymbolTable::Map::const_iterator end;
        bool first;
    };
    std::string& b = out.buffer();
    b.append("{\"name\": \"\", \"children\": [");
    std::vector<Frame> stack;
    if (root.children) stack.push_back({root.children->begin(), root.children->end(), true});
    while (!stack.empty()) {
        Frame& frame = stack.back();
        if (frame.next == frame.end) {
            stack.pop_back();
            b.append("]}");
            continue;
        }
        const model::SymbolEntry& entry = frame.next->second;
        ++frame.next;
        if (!frame.first) b.append(", ");
        frame.first = false;
        appendEntryHead(b, entry);
        b.append("\"children\": [");
        if (entry.children && !entry.children->empty()) {
            stack.push_back({entry.children->begin(), entry.children->end(), true});
        } else {
            b.append("]}");
        }
        out.maybeFlush();
    }
    // The root's own closing was written by the last pop when it had a table.
    if (!root.children) b.append("]}");
}

}  // namespace qm::cli
