// GeneralOptions: the General option dialog ("Project Option") without its window. Every change
// goes into the settings at once and is applied at once through GeneralOptionsHost (the macro
// view laid out again, the detail view repainted, the code window's font or edit button changed);
// "Default" sets the dialog's values to their defaults, and Cancel puts back every value the
// dialog opened with and applies it again.
#pragma once

#include "settings/app_settings.h"

#include <cstdint>
#include <string>

namespace qm::session {

// What a change of the General options asks of the rest of the program.
class GeneralOptionsHost {
public:
    virtual ~GeneralOptionsHost() = default;
    // "Fixed size arrangement", the sort key or "Auto resize" changed: lay the macro diagram
    // out again with them and redraw it.
    virtual void macroViewSettingsChanged() = 0;
    // "Always show detail diagram" changed: the detail view repaints.
    virtual void detailViewSettingsChanged() = 0;
    // The code font or the edit button changed: the code window follows.
    virtual void codeWindowSettingsChanged() = 0;
};

class GeneralOptions {
public:
    // The code font sizes the size list offers, in points; index 0 is 6.
    static constexpr int kMinFontSize = 6;
    static constexpr int kMaxFontSize = 32;
    static constexpr int kFontSizeCount = kMaxFontSize - kMinFontSize + 1;

    // Remembers `values` as they are, to put them back on cancel(). Both must outlive this.
    GeneralOptions(settings::SettingValues& values, GeneralOptionsHost& host);

    // --- what the controls show ------------------------------------------------------------
    // "Skip preprocess same file" is checked when "Preprocessing Same Name File" is off.
    bool skipPreprocessSameFile() const noexcept { return !m_values.preprocessSameNameFile; }
    bool autoResize() const noexcept { return m_values.autoResizeMacroView; }
    bool alwaysShowDetail() const noexcept { return m_values.autoShowDetailContent; }
    bool fixedSize() const noexcept { return m_values.fixedSizeArrange; }
    // 0 "Size", 1 "Name"; a stored value other than 0 sorts by name.
    int sortIndex() const noexcept { return m_values.macroViewSort == settings::kSortBySize ? 0 : 1; }
    const std::string& codeFontName() const noexcept { return m_values.codeFontName; }
    // The size list's entry for "Code Font Size" (tenths of a point): size / 10 - 6 (105 shows
    // "10"); -1 (no entry) for a size outside 6 to 32 points.
    int codeFontSizeIndex() const noexcept;
    bool editButtonShown() const noexcept { return m_values.codeEditButtonShow; }
    const std::string& editProgram() const noexcept { return m_values.codeEditProgram; }

    // --- changes, each applied at once -----------------------------------------------------
    void setSkipPreprocessSameFile(bool skip);
    void setAutoResize(bool on);
    void setAlwaysShowDetail(bool on);
    void setFixedSize(bool on);
    void setSortIndex(int index);  // 0 or 1; anything else is ignored
    void setCodeFontName(const std::string& name);
    // "Code Font Size" becomes index × 10 + 60; an index outside the list is ignored.
    void setCodeFontSizeIndex(int index);
    void setEditButtonShown(bool shown);
    void setEditProgram(const std::string& program);

    // "Default": the flags, the sort key, the editor and the code font get their defaults; the
    // changes are applied.
    void restoreDefaults();
    // Cancel: every value the dialog shows is put back as it was when the dialog opened, and
    // applied again.
    void cancel();

private:
    // Copies the dialog's values from `from` into the settings and applies them.
    void assignAndApply(const settings::SettingValues& from);

    settings::SettingValues& m_values;
    GeneralOptionsHost& m_host;
    const settings::SettingValues m_opened;
};

}  // namespace qm::session
