// FileKind: what a path names, judged by its ending alone.
#pragma once

#include <string_view>

namespace qm::project {

enum class FileKind {
    None = 0,     // anything else, folders included
    Source = 1,   // .cpp .cc .cxx .c
    Dsp = 2,      // Visual C++ project
    Dsw = 3,      // Visual C++ workspace
    Project = 4,  // .qmp, this program's project file
    Vcproj = 5,   // Visual C++ XML project
    Header = 6,   // .h .hpp .hh .hxx .inl .ipp: analysed like sources (a header that a source
                  // includes is analysed as part of that source)
};

// The kind of `path` by its ending, compared without regard to letter case; an ending followed
// by one double quote counts too (`"a.cpp"` as a dropped name may carry one). Only ASCII letters
// are folded, so multi-byte UTF-8 names are never cut apart.
FileKind classifyPath(std::string_view path);

// Whether `text` ends with `upperSuffix` when the ASCII letters of `text` are upper-cased.
bool endsWithFolded(std::string_view text, std::string_view upperSuffix);

}  // namespace qm::project
