// Where themes are kept: the folder "Color" in the per-user configuration folder holds the
// current theme as "default" (no extension) and every named theme as "<name>.cif". Also the file
// side of the visual-setting dialog's theme list: listing, saving under a new name, removing.
#pragma once

#include "macro/theme.h"
#include "project/message_reporter.h"

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qm::macro {

inline constexpr std::string_view kThemeExtension = ".cif";
inline constexpr std::string_view kCurrentThemeFileName = "default";

// Shown when "Save As..." names a theme whose file is already there.
inline constexpr std::string_view kThemeExistsMessage = "already exist same name or not enough space.";
// Shown when a theme's file cannot be deleted.
inline constexpr std::string_view kThemeRemoveFailMessage = "Cannot Remove Theme";

// frontend::configDirectory() / "Color". The folder is not created here.
std::filesystem::path themeFolder();

// Creates themeFolder() with its missing parents and returns it; throws model::Error
// "<folder> : cannot create folder" when that fails.
std::filesystem::path ensureThemeFolder();

// themeFolder() / "default".
std::filesystem::path currentThemePath();

// The theme the macro view starts with: the built-in defaults, replaced by currentThemePath()
// only when that file loads completely. A missing file is silent; one that ends early shows
// kThemeLoadFailMessage and is not used at all.
Theme loadCurrentTheme(project::MessageReporter& messages);

// Writes `theme` to currentThemePath(), creating the folder when needed. Throws model::Error
// ("<folder> : cannot create folder", "<path> : cannot write file"); the earlier file then
// stays whole.
void saveCurrentTheme(const Theme& theme);

// The names of the named themes in `folder`: every regular file (or link to one) whose name ends
// in ".cif", without those four characters, sorted by byte value. "default", other endings,
// folders and a bare ".cif" are not themes. A missing or unreadable folder has none.
std::vector<std::string> listThemeNames(const std::filesystem::path& folder);

// A theme name becomes one file name: it must not be empty, "." or "..", and must not contain
// '/' or a NUL character (which would put the file elsewhere or cut its name short).
bool isValidThemeName(std::string_view name);

// `folder` / "<name>.cif"; throws model::Error "<name> : not a valid theme name" (NUL characters
// left out) for a name that isValidThemeName refuses.
std::filesystem::path themePath(const std::filesystem::path& folder, std::string_view name);

// "Save As...": writes `theme` as the named theme, creating `folder` when needed. When anything
// already has that file name it throws model::Error(kThemeExistsMessage) and leaves it untouched.
// Other failures throw as saveTheme and ensureThemeFolder do.
void saveNamedTheme(const std::filesystem::path& folder, std::string_view name, const Theme& theme);

// "Remove": deletes the named theme's file. Throws model::Error(kThemeRemoveFailMessage) when
// there is no such file (a folder of that name is not removed) or it cannot be deleted.
void removeNamedTheme(const std::filesystem::path& folder, std::string_view name);

}  // namespace qm::macro
