// The theme reader: any text gives a theme, and a theme written out reads back as itself.
#include "../fuzz_support.h"
#include "macro/theme.h"
#include "macro/theme_file.h"
#include "model/error.h"

#include <cstdlib>

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    macro::Theme theme;
    try {
        macro::parseTheme(fuzz::asText(data, size), theme);
    } catch (const model::Error&) {
        return 0;  // shown to the user as the load's failure
    }
    const std::string written = macro::formatTheme(theme);
    macro::Theme again;
    macro::parseTheme(written, again);
    if (macro::formatTheme(again) != written) std::abort();
    return 0;
}
