// Most of a large analysis is memory written once: tokens, nodes and the symbol table grow the
// heap by hundreds of megabytes, and touching each new 4 KiB page costs a page fault (a quarter
// of the preprocessing thread's time on a code base of 20 MB). The C library can back its heap
// with transparent huge pages instead, but only when GLIBC_TUNABLES says so as the program
// starts: so the program starts itself once more with that setting (when the system offers
// huge pages on request and the user has not chosen otherwise), and puts the environment back
// as it was right after, so that nothing it runs inherits the setting.
#pragma once

namespace qm::cli {

// Called first thing in main. Either replaces the process (and so does not return) or returns
// with the environment as the program was started with.
void restartWithHugePageHeap(char** argv);

}  // namespace qm::cli
