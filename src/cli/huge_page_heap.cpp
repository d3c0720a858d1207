#include "cli/huge_page_heap.h"

#include "project/source_count.h"

#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include <unistd.h>

namespace qm::cli {

namespace {

constexpr const char* kTunables = "GLIBC_TUNABLES";
constexpr const char* kSetting = "glibc.malloc.hugetlb=1";
// Set for the second start only: "1" and the former GLIBC_TUNABLES, or "0" when it was not set.
constexpr const char* kFormer = "QUILLMARSH_FORMER_TUNABLES";

bool builtWithSanitizer()
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    return true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
    return true;
#else
    return false;
#endif
#else
    return false;
#endif
}

// Whether the kernel gives huge pages to memory that asks for them ("always" or "madvise").
bool hugePagesOnRequest()
{
    std::ifstream in("/sys/kernel/mm/transparent_hugepage/enabled");
    std::string modes;
    std::getline(in, modes);
    return modes.find("[always]") != std::string::npos || modes.find("[madvise]") != std::string::npos;
}

void restoreTunables(const char* former)
{
    if (former[0] == '1') {
        ::setenv(kTunables, former + 1, 1);
    } else {
        ::unsetenv(kTunables);
    }
    ::unsetenv(kFormer);
}

}  // namespace

bool namesManySources(int argc, char** argv)
{
    // The command word and the options go along: they name no file.
    const std::vector<std::string> arguments(argv + (argc > 1 ? 2 : argc), argv + argc);
    return project::countSourceFiles(arguments, kHugePageFiles) >= kHugePageFiles;
}

void restartWithHugePageHeap(char** argv, const std::function<bool()>& worthIt)
{
    if (const char* former = std::getenv(kFormer)) {
        const std::string copy = former;  // restoreTunables changes the environment it points into
        restoreTunables(copy.c_str());
        return;
    }
    // The sanitizers bring allocators of their own.
    if (builtWithSanitizer() || !hugePagesOnRequest()) {
        return;
    }
    const char* current = std::getenv(kTunables);
    const std::string tunables = current ? current : "";
    if (tunables.find("glibc.malloc.hugetlb") != std::string::npos) {
        return;  // the user's own choice
    }
    if (!worthIt()) return;
    const std::string former = current ? "1" + tunables : std::string("0");
    ::setenv(kFormer, former.c_str(), 1);
    ::setenv(kTunables, (tunables.empty() ? std::string(kSetting) : tunables + ":" + kSetting).c_str(), 1);
    ::execv("/proc/self/exe", argv);
    // Not started again (no /proc, say): go on as it is.
    restoreTunables(former.c_str());
}

}  // namespace qm::cli
