// The option files: the input read as Include.ini and as predefined.ini.
#include "../fuzz_support.h"
#include "frontend/option_files.h"

using namespace qm;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string_view text = fuzz::asText(data, size);
    frontend::IncludeDirectoryLists lists;
    (void)frontend::loadIncludeLists(fuzz::inputFile("Include.ini", text), lists);
    for (int i = -1; i <= static_cast<int>(lists.lists.size()); ++i) (void)frontend::selectIncludeList(lists, i);
    const auto words = frontend::loadPredefinedWords(fuzz::inputFile("predefined.ini", text));
    for (const auto& word : words) (void)frontend::validatePredefinedName(word.name);
    return 0;
}
