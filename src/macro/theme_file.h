// The theme file (".cif", and the current theme "default"): a text file of 44 lines with CR LF
// line ends. Lines 1 to 12 hold the header, the shading mode, the spacing unit, the background
// and the four extra colours with their types; lines 13 to 20 the font, border and background
// colours of the default and of the seven elements; lines 21 to 44 one key line, one face-name
// line and a "size bold" line for the default font and each element's font:
//
//   Color Information File Version 1.1
//   HighColorShading 1
//   ...
//   PubllcColor 0 100 0            <- the public colour's key is spelled this way
//   ...
//   DefaultColor 0 0 0 255 255 255 255 255 255 <blank>
//   ...
//   EnumColor 0 0 0 255 255 255 255 255 255
//   DefaultFont
//   Arial
//   10 0
#pragma once

#include "macro/theme.h"
#include "project/message_reporter.h"

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace qm::macro {

// The first line of a theme file (readers skip it).
inline constexpr std::string_view kThemeFileTitle = "Color Information File Version 1.1";

// Shown when a theme file ends early (or cannot be read to its end).
inline constexpr std::string_view kThemeLoadFailMessage = "theme load fail.";

// The most of a theme file that is read; a file that needs more than this for its 44 lines
// counts as one that ends early.
inline constexpr std::size_t kMaxThemeFileBytes = std::size_t{4} << 20;

// The theme file text of `theme`. Elements without colours or a font of their own are written
// with the default ones. Line breaks inside a face name are written as blanks, so the file keeps
// its shape.
std::string formatTheme(const Theme& theme);

// Reads theme file text over `theme`. Reading goes by position, not by key: line 1 and every
// key are skipped unread, so misspelled keys do not matter. Each number is one blank-separated
// word read with its leading integer; a word that does not start with one, or a value outside
// its field's range, leaves that field as it was. Colour components keep their low 8 bits. Each
// element's colours and font are stored in its own entry, created when absent. A text that ends
// before the last value throws model::Error(kThemeLoadFailMessage); the values read before that
// point stay in `theme`.
void parseTheme(std::string_view text, Theme& theme);

// Reads the theme file at `path` over `theme`. False without a message when it is not a regular
// file or cannot be opened; false after showing kThemeLoadFailMessage on `messages` when it ends
// early or a read fails, with the values read so far left in `theme`; true otherwise.
bool loadTheme(const std::filesystem::path& path, Theme& theme, project::MessageReporter& messages);

// Writes formatTheme(theme) to `path`, replacing an existing file whole: a failure leaves the
// earlier file as it was and throws model::Error "<path> : cannot write file". The folder must
// exist.
void saveTheme(const std::filesystem::path& path, const Theme& theme);

}  // namespace qm::macro
