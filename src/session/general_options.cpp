#include "session/general_options.h"

namespace qm::session {

GeneralOptions::GeneralOptions(settings::SettingValues& values, GeneralOptionsHost& host)
    : m_values(values), m_host(host), m_opened(values)
{
}

int GeneralOptions::codeFontSizeIndex() const noexcept
{
    const std::int32_t points = m_values.codeFontSize / 10;
    if (points < kMinFontSize || points > kMaxFontSize) {
        return -1;
    }
    return points - kMinFontSize;
}

void GeneralOptions::setSkipPreprocessSameFile(bool skip)
{
    // Read by the next run; nothing to redraw.
    m_values.preprocessSameNameFile = !skip;
}

void GeneralOptions::setAutoResize(bool on)
{
    m_values.autoResizeMacroView = on;
    m_host.macroViewSettingsChanged();
}

void GeneralOptions::setAlwaysShowDetail(bool on)
{
    m_values.autoShowDetailContent = on;
    m_host.detailViewSettingsChanged();
}

void GeneralOptions::setFixedSize(bool on)
{
    m_values.fixedSizeArrange = on;
    m_host.macroViewSettingsChanged();
}

void GeneralOptions::setSortIndex(int index)
{
    if (index != 0 && index != 1) {
        return;
    }
    m_values.macroViewSort = index == 0 ? settings::kSortBySize : settings::kSortByName;
    m_host.macroViewSettingsChanged();
}

void GeneralOptions::setCodeFontName(const std::string& name)
{
    m_values.codeFontName = name;
    m_host.codeWindowSettingsChanged();
}

void GeneralOptions::setCodeFontSizeIndex(int index)
{
    if (index < 0 || index >= kFontSizeCount) {
        return;
    }
    m_values.codeFontSize = index * 10 + kMinFontSize * 10;
    m_host.codeWindowSettingsChanged();
}

void GeneralOptions::setEditButtonShown(bool shown)
{
    m_values.codeEditButtonShow = shown;
    m_host.codeWindowSettingsChanged();
}

void GeneralOptions::setEditProgram(const std::string& program)
{
    // Read when the edit button is pressed; nothing to redraw.
    m_values.codeEditProgram = program;
}

void GeneralOptions::restoreDefaults()
{
    assignAndApply(settings::SettingValues{});
}

void GeneralOptions::cancel()
{
    assignAndApply(m_opened);
}

void GeneralOptions::assignAndApply(const settings::SettingValues& from)
{
    m_values.preprocessSameNameFile = from.preprocessSameNameFile;
    m_values.autoResizeMacroView = from.autoResizeMacroView;
    m_values.autoShowDetailContent = from.autoShowDetailContent;
    m_values.fixedSizeArrange = from.fixedSizeArrange;
    m_values.macroViewSort = from.macroViewSort;
    m_values.codeFontName = from.codeFontName;
    m_values.codeFontSize = from.codeFontSize;
    m_values.codeEditButtonShow = from.codeEditButtonShow;
    m_values.codeEditProgram = from.codeEditProgram;
    m_host.macroViewSettingsChanged();
    m_host.detailViewSettingsChanged();
    m_host.codeWindowSettingsChanged();
}

}  // namespace qm::session
