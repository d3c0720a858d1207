// The Visual C++ importers: the input read as a .dsp, a .dsw and a .vcproj.
#include "../fuzz_support.h"
#include "project/workspace_import.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    frontend::LogSink log;
    project::ImportResult dsp;
    (void)project::importDsp(fuzz::inputFile("input.dsp", text).string(), dsp, log);
    project::ImportResult dsw;
    (void)project::importDsw(fuzz::inputFile("input.dsw", text).string(), dsw, log);
    project::ImportResult vcproj;
    (void)project::importVcproj(fuzz::inputFile("input.vcproj", text).string(), vcproj, log);
    return 0;
}
