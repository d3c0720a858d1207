// Which language a file is read in, and which files are headers, judged by the file name alone.
#pragma once

#include <string_view>

namespace qm::frontend {

enum class SourceLanguage { C, Cpp };

// C for a name that ends in ".c" (lower case, as compilers decide), C++ for every other name:
// .cpp, .cc, .cxx, .C and the headers.
SourceLanguage languageOfPath(std::string_view path);

// Whether the name ends in .h, .hpp, .hh, .hxx, .inl or .ipp, in any letter case (a closing
// double quote after the ending counts as well).
bool isHeaderPath(std::string_view path);

// Whether the predefined word `name` is given to files of `language`: `__cplusplus`, the
// feature words starting with `__cpp_` and the other words only the C++ compiler defines
// (`__GNUG__`, `__GXX_...`, `__EXCEPTIONS`, `__DEPRECATED`, `_GNU_SOURCE`) only to C++ files,
// `__STDC_VERSION__` and `__GNUC_STDC_INLINE__` only to C files, every other word to both.
bool wordAppliesTo(std::string_view name, SourceLanguage language);

}  // namespace qm::frontend
