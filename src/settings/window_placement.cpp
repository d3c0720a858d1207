#include "settings/window_placement.h"

#include <charconv>
#include <sstream>

namespace qm::settings {

namespace {

// Reads the number at the front of `text` (after blanks) into `value` and takes it off.
template <typename Number>
bool takeNumber(std::string_view& text, Number& value)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{}) {
        return false;  // no digits, a minus sign on an unsigned field, or out of range
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

}  // namespace

std::string formatWindowPlacement(const WindowPlacement& p)
{
    std::ostringstream out;
    out << p.flags << ',' << p.showCommand << ',' << p.minimizedX << ',' << p.minimizedY << ','
        << p.maximizedX << ',' << p.maximizedY << ',' << p.left << ',' << p.top << ',' << p.right << ','
        << p.bottom;
    return out.str();
}

std::optional<WindowPlacement> parseWindowPlacement(std::string_view text)
{
    WindowPlacement p;
    if (!takeNumber(text, p.flags)) return std::nullopt;
    bool read = true;
    const auto next = [&](auto& field) {
        read = read && !text.empty() && text.front() == ',';
        if (read) {
            text.remove_prefix(1);
            read = takeNumber(text, field);
        }
    };
    next(p.showCommand);
    next(p.minimizedX);
    next(p.minimizedY);
    next(p.maximizedX);
    next(p.maximizedY);
    next(p.left);
    next(p.top);
    next(p.right);
    next(p.bottom);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r' || text.back() == '\n')) {
        text.remove_suffix(1);
    }
    if (!read || !text.empty()) return std::nullopt;
    return p;
}

std::optional<WindowPlacements> loadWindowPlacements(SettingsStore& profile)
{
    if (!profile.open()) return std::nullopt;
    const std::optional<std::string> mainText = profile.readText(std::string(kMainWindowPlacementEntry));
    const std::optional<std::string> codeText = profile.readText(std::string(kCodeWindowPlacementEntry));
    if (!mainText || !codeText) return std::nullopt;
    const std::optional<WindowPlacement> mainWindow = parseWindowPlacement(*mainText);
    const std::optional<WindowPlacement> codeWindow = parseWindowPlacement(*codeText);
    if (!mainWindow || !codeWindow) return std::nullopt;
    return WindowPlacements{*mainWindow, *codeWindow};
}

bool saveWindowPlacements(SettingsStore& profile, WindowPlacements placements, bool mainWindowMaximized)
{
    if (mainWindowMaximized) {
        placements.mainWindow.flags |= kRestoreToMaximized;
    }
    return profile.create()
           && profile.writeText(std::string(kMainWindowPlacementEntry), formatWindowPlacement(placements.mainWindow))
           && profile.writeText(std::string(kCodeWindowPlacementEntry), formatWindowPlacement(placements.codeWindow))
           && profile.flush();
}

}  // namespace qm::settings
