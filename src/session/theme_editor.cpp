#include "session/theme_editor.h"

#include "macro/theme_file.h"
#include "macro/theme_folder.h"
#include "model/error.h"

#include <algorithm>
#include <exception>

namespace qm::session {

namespace fs = std::filesystem;
using macro::ColorTarget;
using macro::Rgb;

namespace {

bool validRow(int row)
{
    return row >= 0 && row < kElementRowCount;
}

std::int32_t categoryOf(int row)
{
    return macro::kThemeElements[static_cast<std::size_t>(row)].category;
}

}  // namespace

std::string_view elementCaption(int row)
{
    if (row == kUnknownRow) return "Unknown";
    return validRow(row) ? macro::kThemeElements[static_cast<std::size_t>(row)].caption : std::string_view();
}

ThemeEditor::ThemeEditor(const macro::Theme& current, fs::path userFolder, fs::path shippedFolder,
                         ThemeEditorHost& host, project::MessageReporter& messages)
    : m_working(current),
      m_current(current),
      m_userFolder(std::move(userFolder)),
      m_shippedFolder(std::move(shippedFolder)),
      m_host(host),
      m_messages(messages)
{
    std::vector<ThemeListEntry> named;
    for (std::string& name : macro::listThemeNames(m_userFolder)) {
        named.push_back({std::move(name), ThemeListEntry::Origin::User});
    }
    for (std::string& name : macro::listThemeNames(m_shippedFolder)) {
        const bool hidden = std::any_of(named.begin(), named.end(), [&](const ThemeListEntry& e) {
            return e.origin == ThemeListEntry::Origin::User && e.name == name;
        });
        if (!hidden) named.push_back({std::move(name), ThemeListEntry::Origin::Shipped});
    }
    std::stable_sort(named.begin(), named.end(),
                     [](const ThemeListEntry& a, const ThemeListEntry& b) { return a.name < b.name; });
    m_themes.push_back({std::string(kCurrentName), ThemeListEntry::Origin::Current});
    m_themes.insert(m_themes.end(), named.begin(), named.end());
}

// --- global values -------------------------------------------------------------------------------

void ThemeEditor::setShadingType(int index)
{
    if (index < 0 || index > macro::kMaxShadingType) return;
    m_working.colors.shadingType = index;
    changed(PreviewUpdate::Repaint);
}

void ThemeEditor::setUnitSpace(int index)
{
    if (index < 0 || index > macro::kMaxUnitSpace) return;
    m_working.colors.unitSpace = index;
    changed(PreviewUpdate::Relayout);
}

void ThemeEditor::setBackground(Rgb color)
{
    m_working.colors.background = color;
    changed(PreviewUpdate::Repaint);
}

void ThemeEditor::setAccentType(AccentRow row, int type)
{
    if (type < 0 || type > macro::kMaxColorTarget) return;
    const auto target = static_cast<ColorTarget>(type);
    macro::ThemeColors& c = m_working.colors;
    switch (row) {
    case AccentRow::Content: c.contentType = target; break;
    case AccentRow::Public: c.publicType = target; break;
    case AccentRow::Protected: c.protectedType = target; break;
    case AccentRow::Private: c.privateType = target; break;
    }
    changed(PreviewUpdate::Repaint);
}

void ThemeEditor::setAccentColor(AccentRow row, Rgb color)
{
    macro::ThemeColors& c = m_working.colors;
    switch (row) {
    case AccentRow::Content: c.contentColor = color; break;
    case AccentRow::Public: c.publicColor = color; break;
    case AccentRow::Protected: c.protectedColor = color; break;
    case AccentRow::Private: c.privateColor = color; break;
    }
    changed(PreviewUpdate::Repaint);
}

int ThemeEditor::accentType(AccentRow row) const
{
    const macro::ThemeColors& c = m_working.colors;
    switch (row) {
    case AccentRow::Content: return static_cast<int>(c.contentType);
    case AccentRow::Public: return static_cast<int>(c.publicType);
    case AccentRow::Protected: return static_cast<int>(c.protectedType);
    case AccentRow::Private: return static_cast<int>(c.privateType);
    }
    return 0;
}

Rgb ThemeEditor::accentColor(AccentRow row) const
{
    const macro::ThemeColors& c = m_working.colors;
    switch (row) {
    case AccentRow::Content: return c.contentColor;
    case AccentRow::Public: return c.publicColor;
    case AccentRow::Protected: return c.protectedColor;
    case AccentRow::Private: return c.privateColor;
    }
    return Rgb{};
}

// --- element rows --------------------------------------------------------------------------------

macro::ElementFont& ThemeEditor::fontForRow(int row)
{
    return row == kUnknownRow ? m_working.fonts.defaultFont : m_working.fonts.fontFor(categoryOf(row));
}

macro::ElementColors& ThemeEditor::colorsForRow(int row)
{
    return row == kUnknownRow ? m_working.colors.defaultColors : m_working.colors.colorsFor(categoryOf(row));
}

const macro::ElementFont& ThemeEditor::elementFont(int row) const
{
    if (!validRow(row) || row == kUnknownRow) return m_working.fonts.defaultFont;
    return m_working.fonts.fontOf(categoryOf(row));
}

const macro::ElementColors& ThemeEditor::elementColors(int row) const
{
    if (!validRow(row) || row == kUnknownRow) return m_working.colors.defaultColors;
    return m_working.colors.colorsOf(categoryOf(row));
}

int ThemeEditor::sizeIndex(int row) const
{
    const std::int32_t size = elementFont(row).size;
    return size >= kMinFontSize && size <= kMaxFontSize ? size - kMinFontSize : -1;
}

void ThemeEditor::setFaceName(int row, const std::string& face)
{
    if (!validRow(row)) return;
    fontForRow(row).faceName = face;
    changed(PreviewUpdate::Remeasure);
}

void ThemeEditor::setBold(int row, bool bold)
{
    if (!validRow(row)) return;
    fontForRow(row).bold = bold;
    changed(PreviewUpdate::Remeasure);
}

void ThemeEditor::setSizeIndex(int row, int index)
{
    if (!validRow(row) || index < 0 || index > kMaxFontSize - kMinFontSize) return;
    fontForRow(row).size = index + kMinFontSize;
    changed(PreviewUpdate::Remeasure);
}

void ThemeEditor::setElementColor(int row, ColorPart part, Rgb color)
{
    if (!validRow(row)) return;
    macro::ElementColors& colors = colorsForRow(row);
    switch (part) {
    case ColorPart::Font: colors.font = color; break;
    case ColorPart::Border: colors.border = color; break;
    case ColorPart::Background: colors.background = color; break;
    }
    changed(PreviewUpdate::Repaint);
}

// --- the theme list --------------------------------------------------------------------------------

fs::path ThemeEditor::pathOf(const ThemeListEntry& entry) const
{
    const fs::path& folder = entry.origin == ThemeListEntry::Origin::Shipped ? m_shippedFolder : m_userFolder;
    return macro::themePath(folder, entry.name);
}

void ThemeEditor::chooseTheme(int index)
{
    if (index < 0 || index >= static_cast<int>(m_themes.size())) return;
    m_selected = index;
    const ThemeListEntry& entry = m_themes[static_cast<std::size_t>(index)];
    if (entry.origin == ThemeListEntry::Origin::Current) {
        m_working = m_current;
    } else {
        macro::Theme loaded = m_working;
        if (macro::loadTheme(pathOf(entry), loaded, m_messages)) {
            m_working = std::move(loaded);
        }
    }
    changed(PreviewUpdate::Remeasure);
}

std::optional<std::string> ThemeEditor::saveAs(std::string_view name)
{
    const std::string exists(macro::kThemeExistsMessage);
    if (!macro::isValidThemeName(name) || name == kCurrentName) {
        return exists;
    }
    const bool listed = std::any_of(m_themes.begin(), m_themes.end(),
                                    [&](const ThemeListEntry& e) { return e.name == name; });
    if (listed) {
        return exists;
    }
    try {
        macro::saveNamedTheme(m_userFolder, name, m_working);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    m_themes.insert(m_themes.begin() + 1, ThemeListEntry{std::string(name), ThemeListEntry::Origin::User});
    m_selected = 1;
    return std::nullopt;
}

bool ThemeEditor::canRemove(int index) const
{
    return index > 0 && index < static_cast<int>(m_themes.size());
}

std::optional<std::string> ThemeEditor::remove(int index)
{
    if (!canRemove(index)) return std::nullopt;
    ThemeListEntry& entry = m_themes[static_cast<std::size_t>(index)];
    if (entry.origin != ThemeListEntry::Origin::User) {
        return std::string(macro::kThemeRemoveFailMessage);
    }
    try {
        macro::removeNamedTheme(m_userFolder, entry.name);
    } catch (const std::exception& e) {
        return std::string(e.what());
    }
    // A shipped theme of the same name comes back into view.
    const std::vector<std::string> shipped = macro::listThemeNames(m_shippedFolder);
    if (std::binary_search(shipped.begin(), shipped.end(), entry.name)) {
        entry.origin = ThemeListEntry::Origin::Shipped;
        m_selected = index - 1;
        return std::nullopt;
    }
    m_themes.erase(m_themes.begin() + index);
    m_selected = index - 1;
    return std::nullopt;
}

}  // namespace qm::session
