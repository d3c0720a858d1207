#include "macro/theme_folder.h"

#include "frontend/option_files.h"
#include "macro/theme_file.h"
#include "model/error.h"

#include <algorithm>
#include <string>
#include <system_error>

namespace qm::macro {

namespace fs = std::filesystem;

namespace {

fs::path createFolder(const fs::path& folder)
{
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder, ec)) {
        throw model::Error(folder.string() + " : cannot create folder");
    }
    return folder;
}

}  // namespace

fs::path themeFolder()
{
    return frontend::configDirectory() / "Color";
}

fs::path ensureThemeFolder()
{
    return createFolder(themeFolder());
}

fs::path currentThemePath()
{
    return themeFolder() / std::string(kCurrentThemeFileName);
}

Theme loadCurrentTheme(project::MessageReporter& messages)
{
    Theme scratch;
    if (loadTheme(currentThemePath(), scratch, messages)) {
        return scratch;
    }
    return Theme{};
}

void saveCurrentTheme(const Theme& theme)
{
    ensureThemeFolder();
    saveTheme(currentThemePath(), theme);
}

std::vector<std::string> listThemeNames(const fs::path& folder)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    for (; !ec && it != fs::directory_iterator(); it.increment(ec)) {
        const std::string fileName = it->path().filename().string();
        if (fileName.size() <= kThemeExtension.size() || !fileName.ends_with(kThemeExtension)) {
            continue;
        }
        std::error_code typeError;
        if (!it->is_regular_file(typeError)) {
            continue;
        }
        names.push_back(fileName.substr(0, fileName.size() - kThemeExtension.size()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool isValidThemeName(std::string_view name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

fs::path themePath(const fs::path& folder, std::string_view name)
{
    if (!isValidThemeName(name)) {
        // A NUL would end the message text early; it is left out of it.
        std::string shown(name);
        std::erase(shown, '\0');
        throw model::Error(shown + " : not a valid theme name");
    }
    return folder / (std::string(name) + std::string(kThemeExtension));
}

void saveNamedTheme(const fs::path& folder, std::string_view name, const Theme& theme)
{
    const fs::path path = themePath(folder, name);
    std::error_code ec;
    if (fs::exists(fs::symlink_status(path, ec))) {
        throw model::Error(std::string(kThemeExistsMessage));
    }
    createFolder(folder);
    saveTheme(path, theme);
}

void removeNamedTheme(const fs::path& folder, std::string_view name)
{
    const fs::path path = themePath(folder, name);
    std::error_code ec;
    const fs::file_status status = fs::symlink_status(path, ec);
    const bool removable = fs::is_regular_file(status) || fs::is_symlink(status);
    if (!removable || !fs::remove(path, ec) || ec) {
        throw model::Error(std::string(kThemeRemoveFailMessage));
    }
}

}  // namespace qm::macro
