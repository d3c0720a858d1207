// Most of a large analysis is memory written once: tokens, nodes and the symbol table grow the
// heap by hundreds of megabytes, and touching each new 4 KiB page costs a page fault (a quarter
// of the preprocessing thread's time on a code base of 20 MB). The C library can back its heap
// with transparent huge pages instead, but only when GLIBC_TUNABLES says so as the program
// starts: so the program starts itself once more with that setting (when the system offers
// huge pages on request and the user has not chosen otherwise), and puts the environment back
// as it was right after, so that nothing it runs inherits the setting. Starting again costs about
// a millisecond, and a heap of 2 MB pages holds up to 2 MB more than it uses: a small run starts
// only once.
#pragma once

#include <cstddef>
#include <functional>

namespace qm::cli {

// Called first thing in main. Either replaces the process (and so does not return) or returns
// with the environment as the program was started with. `worthIt` is asked, on the first start
// only, whether the run is large enough to gain from huge pages.
void restartWithHugePageHeap(char** argv, const std::function<bool()>& worthIt);

// Whether the command line names at least kHugePageFiles C and C++ files (any argument that is an
// existing file or folder counts, include directories too, so that a doubtful case counts as
// large; a project file or workspace counts as large).
inline constexpr std::size_t kHugePageFiles = 128;
bool namesManySources(int argc, char** argv);

}  // namespace qm::cli
