// The flowchart of every function the input defines (the first few dozen): built and laid out.
#include "../fuzz_support.h"
#include "detail/flowchart.h"
#include "detail/flowchart_builder.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::AnalysedSource source(fuzz::asText(data, size));
    source.forEachEntry(64, [](const model::SymbolEntry& entry) {
        for (const model::AnalysisNode* node : entry.definitions) {
            if (node->kind != model::NodeKind::Function && node->kind != model::NodeKind::OverloadMethod
                && node->kind != model::NodeKind::OverloadFunctionMethod) {
                continue;
            }
            detail::FlowchartBuilder builder([](std::string_view) {});
            builder.build(*node);
            detail::Flowchart chart(builder.elements());
            chart.layout();
        }
    });
    return 0;
}
