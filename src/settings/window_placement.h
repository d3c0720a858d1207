// The placements of the main window and the code window, kept between sessions as two text
// entries of the section "QuillmarshSettings": "WindowPos" and "CodeWindowPos".
#pragma once

#include "settings/settings_store.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace qm::settings {

// Where a window was and how it was shown, in the order of its text form.
struct WindowPlacement {
    std::uint32_t flags = 0;
    std::uint32_t showCommand = 0;
    std::int32_t minimizedX = 0;  // position of the minimised window
    std::int32_t minimizedY = 0;
    std::int32_t maximizedX = 0;  // position of the maximised window
    std::int32_t maximizedY = 0;
    std::int32_t left = 0;  // the normal (restored) rectangle
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;

    bool operator==(const WindowPlacement&) const = default;
};

// The flag that makes a window restored from its minimised state come back maximised.
inline constexpr std::uint32_t kRestoreToMaximized = 2;

inline constexpr std::string_view kMainWindowPlacementEntry = "QuillmarshSettings/WindowPos";
inline constexpr std::string_view kCodeWindowPlacementEntry = "QuillmarshSettings/CodeWindowPos";

// The text form: ten decimal numbers separated by commas, flags and show command unsigned, the
// others signed: "2,1,-1,-1,-8,-8,10,20,810,620".
std::string formatWindowPlacement(const WindowPlacement& placement);

// Reads the text form. Blanks may precede each number; anything else that is not exactly ten
// numbers in range (nine numbers, an eleventh, a sign on an unsigned field, trailing words) gives
// none.
std::optional<WindowPlacement> parseWindowPlacement(std::string_view text);

struct WindowPlacements {
    WindowPlacement mainWindow;
    WindowPlacement codeWindow;

    bool operator==(const WindowPlacements&) const = default;
};

// Both placements, or none unless the store opens and both entries are there and parse; the
// main window is then shown where the system puts it.
std::optional<WindowPlacements> loadWindowPlacements(SettingsStore& profile);

// Writes both entries, first adding kRestoreToMaximized to the main window's flags when it is
// maximised at the time. False when the store could not be created, an entry could not be written
// or the store could not be flushed (no entry is written after a failed one).
bool saveWindowPlacements(SettingsStore& profile, WindowPlacements placements, bool mainWindowMaximized);

}  // namespace qm::settings
