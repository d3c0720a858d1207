// The macro diagram of the input's symbols: boxes built, measured, unfolded and laid out.
#include "../fuzz_support.h"
#include "draw/text_metrics.h"
#include "macro/macro_diagram.h"
#include "macro/theme.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::AnalysedSource source(fuzz::asText(data, size));
    const draw::FixedTextMetrics metrics(7, 14);
    const macro::Theme theme;
    macro::MacroDiagram diagram;
    diagram.buildBoxes(source.root);
    diagram.measureBoxes(metrics, theme.fonts);
    macro::MacroLayoutOptions options;
    options.availableWidth = size > 0 ? 100 + data[0] * 8 : 1024;
    options.sortKey = size > 1 && (data[1] & 1) ? macro::MacroSortKey::Size : macro::MacroSortKey::Name;
    (void)diagram.layout(options);
    diagram.setExpandedAll(true);
    (void)diagram.layout(options);
    return 0;
}
