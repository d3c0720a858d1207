// ThemeEditor: the visual-setting dialog (CDialogMacroSetting) without its window. It keeps the
// working copy of the theme that every control changes and the copy the dialog was opened with
// ("Current"), lists the named themes — the user's own in the configuration folder and those
// shipped with the program — loads them into the working copy, saves the working copy under a
// new name and removes the user's themes. Each change tells the host what the preview must do
// again.
#pragma once

#include "macro/theme.h"
#include "project/message_reporter.h"

#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qm::session {

// What the preview must do after a change of the working copy.
enum class PreviewUpdate {
    Repaint,    // colours, shading: paint again
    Relayout,   // the spacing unit: lay out again, then paint
    Remeasure,  // fonts, or a whole theme: measure, lay out and paint
};

class ThemeEditorHost {
public:
    virtual ~ThemeEditorHost() = default;
    virtual void workingThemeChanged(PreviewUpdate update) = 0;
};

// The four rows of extra colours, in the dialog's order.
enum class AccentRow { Content = 0, Public = 1, Protected = 2, Private = 3 };
inline constexpr int kAccentRowCount = 4;

// The three colours of an element row.
enum class ColorPart { Font = 0, Border = 1, Background = 2 };

// The element rows: 0 to 6 are macro::kThemeElements (Namespace, Class, Struct, Union, Variable,
// Function, Enum), 7 is "Unknown", the theme's default font and colours.
inline constexpr int kElementRowCount = static_cast<int>(macro::kThemeElements.size()) + 1;
inline constexpr int kUnknownRow = kElementRowCount - 1;
// The caption of an element row.
std::string_view elementCaption(int row);

// One entry of the theme list.
struct ThemeListEntry {
    enum class Origin { Current, User, Shipped };
    std::string name;
    Origin origin;
};

class ThemeEditor {
public:
    static constexpr std::string_view kCurrentName = "Current";
    // The font sizes of the size lists, in points; index 0 is 6.
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxFontSize = 32;

    // `current` is the theme the dialog opens with. Named themes are the ".cif" files of
    // `userFolder` (written and removed here) and of `shippedFolder` (read-only; a user's theme
    // of the same name hides the shipped one). Load failures are shown on `messages`.
    ThemeEditor(const macro::Theme& current, std::filesystem::path userFolder, std::filesystem::path shippedFolder,
                ThemeEditorHost& host, project::MessageReporter& messages);

    const macro::Theme& working() const noexcept { return m_working; }
    const macro::Theme& current() const noexcept { return m_current; }

    // --- the controls ----------------------------------------------------------------------
    // Each setter changes the working copy and tells the host; values out of the lists' ranges
    // are ignored.
    void setShadingType(int index);  // 0 "None" to 4 "Right Brighten"
    void setUnitSpace(int index);    // 0 to 32
    void setBackground(macro::Rgb color);
    void setAccentType(AccentRow row, int type);  // 0 "Nothing", 1 "Font", 2 "Border", 3 "Background"
    void setAccentColor(AccentRow row, macro::Rgb color);
    int accentType(AccentRow row) const;
    macro::Rgb accentColor(AccentRow row) const;

    // The element rows: the face name, bold or size changes only that value of the row's font.
    void setFaceName(int row, const std::string& face);
    void setBold(int row, bool bold);
    void setSizeIndex(int row, int index);  // size index + 6 points
    void setElementColor(int row, ColorPart part, macro::Rgb color);
    const macro::ElementFont& elementFont(int row) const;
    const macro::ElementColors& elementColors(int row) const;
    // The size list's index of a row's font: size - 6, or -1 outside 6 to 32.
    int sizeIndex(int row) const;

    // --- the theme list ----------------------------------------------------------------------
    // "Current" first, then the named themes sorted by name.
    const std::vector<ThemeListEntry>& themes() const noexcept { return m_themes; }
    int selectedTheme() const noexcept { return m_selected; }
    // A choice in the list: "Current" takes back the theme the dialog opened with; a named theme
    // is read over a copy of the working one, which it replaces only when it loaded whole (a
    // damaged file shows "theme load fail." and changes nothing). The preview is re-measured.
    void chooseTheme(int index);
    // "Save As...": writes the working copy as `name`, lists it second and selects it. The
    // refusal text instead: kThemeExistsMessage when a file of that name (or a shipped theme, or
    // "Current") is there already or the name is not one file name (empty, ".", "..", with '/');
    // the folder's own failure text when it cannot be written. Nothing is half-written.
    std::optional<std::string> saveAs(std::string_view name);
    // Whether "Remove" asks at all: not for "Current" or no entry.
    bool canRemove(int index) const;
    // "Remove" after the question was answered OK: deletes the user's theme file and selects the
    // entry above. kThemeRemoveFailMessage when that fails or the theme is a shipped one.
    std::optional<std::string> remove(int index);

private:
    macro::ElementFont& fontForRow(int row);
    macro::ElementColors& colorsForRow(int row);
    void changed(PreviewUpdate update) { m_host.workingThemeChanged(update); }
    std::filesystem::path pathOf(const ThemeListEntry& entry) const;

    macro::Theme m_working;
    const macro::Theme m_current;
    std::filesystem::path m_userFolder;
    std::filesystem::path m_shippedFolder;
    ThemeEditorHost& m_host;
    project::MessageReporter& m_messages;
    std::vector<ThemeListEntry> m_themes;
    int m_selected = 0;
};

}  // namespace qm::session
