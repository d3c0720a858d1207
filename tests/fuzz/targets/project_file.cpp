// The project file reader, and the writer over what it read.
#include "../fuzz_support.h"
#include "model/error.h"
#include "project/project_file.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto path = fuzz::inputFile("input.qmp", fuzz::asText(data, size));
    try {
        if (const auto contents = project::readProjectFile(path)) {
            (void)project::formatProjectFile(contents->paths, contents->defines);
        }
    } catch (const model::Error&) {
        // A line that cannot be stored again, or a file too large: reported to the user.
    }
    return 0;
}
