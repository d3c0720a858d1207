// The class diagram of every class the input declares (the first few dozen).
#include "../fuzz_support.h"
#include "draw/text_metrics.h"
#include "macro/class_diagram.h"
#include "macro/theme.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::AnalysedSource source(fuzz::asText(data, size));
    const draw::FixedTextMetrics metrics(7, 14);
    const macro::Theme theme;
    source.forEachEntry(256, [&](const model::SymbolEntry& entry) {
        if (entry.kind != model::NodeKind::Class && entry.kind != model::NodeKind::Struct
            && entry.kind != model::NodeKind::Union) {
            return;
        }
        macro::ClassDiagram diagram;
        diagram.setSelection(&entry, &source.root);
        diagram.rebuild();
        (void)diagram.measureAndLayout(metrics, theme.fonts);
    });
    return 0;
}
