// Reading a theme file named on the command line (theme --read, macro --theme).
#pragma once

#include "macro/theme.h"

#include <string>

namespace qm::cli {

// Reads the theme file `path` over `theme` as the desktop program loads a theme. Returns
// kExitSuccess, or kExitInputError after saying why on standard error: no such file, not a
// theme file (not text, or its second line is not a key and a number), or a file that cannot be
// read or ends early ("theme load fail.").
int readThemeFile(const std::string& path, macro::Theme& theme);

}  // namespace qm::cli
