// Tokens to tree to symbol table.
#include "../fuzz_support.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const fuzz::AnalysedSource source(fuzz::asText(data, size));
    return 0;
}
