// CDialogMacroSetting: the visual setting dialog of the macro diagram. Its controls edit a
// working copy of the theme (ThemeEditor) — shading, spacing unit, background, the four extra
// colours with what they replace, and per element the font family, bold, size and three colours
// — and the preview beside them draws the sample program with every change at once. The theme
// list loads named themes, "Save As..." and "Remove" keep and delete the user's own. OK hands
// the working copy to the caller; Cancel drops it.
#pragma once

#include "session/theme_editor.h"
#include "settings/app_settings.h"
#include "app/user_prompts.h"

#include <QDialog>

#include <array>
#include <filesystem>
#include <memory>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QPushButton;

namespace qm::app {

class CDialogProgress;
class CMacroPreviewView;
class ColorComboBox;

// Where the theme dialog finds its files.
struct ThemeDialogPaths {
    std::filesystem::path userThemes;     // the user's named themes (written here)
    std::filesystem::path shippedThemes;  // the themes that come with the program (read-only)
    std::filesystem::path sample;         // the sample source of the preview

    // The configuration folder's "Color" and the program's data folder ("Color", "preview.dat").
    static ThemeDialogPaths standard();
};

class CDialogMacroSetting : public QDialog, public session::ThemeEditorHost {
    Q_OBJECT

public:
    // The dialog's name for tests and screen readers, and its caption as it has always been.
    static constexpr const char* kTitle = "Macro View Visual Setting";
    static constexpr const char* kCaption = "d";
    static constexpr const char* kReallyRemove = "Really Remove?";

    // `current` is the theme the dialog opens with; `values` give the preview's sort settings;
    // `prompts` answers the dialog's questions. All must outlive the dialog.
    CDialogMacroSetting(const macro::Theme& current, const settings::SettingValues& values, UserPrompts& prompts,
                        const ThemeDialogPaths& paths, QWidget* parent = nullptr);
    ~CDialogMacroSetting() override;

    // The working copy: the caller takes it when the dialog ends with OK.
    const macro::Theme& working() const noexcept { return m_editor->working(); }
    session::ThemeEditor& editor() noexcept { return *m_editor; }

    struct ElementRow {
        QComboBox* face = nullptr;
        QCheckBox* bold = nullptr;
        QComboBox* size = nullptr;
        std::array<ColorComboBox*, 3> colors{};  // font, border, background
    };
    QComboBox* shadingList() const noexcept { return m_shading; }
    QComboBox* unitSpaceList() const noexcept { return m_unitSpace; }
    ColorComboBox* backgroundColor() const noexcept { return m_background; }
    QComboBox* accentTypeList(session::AccentRow row) const { return m_accentTypes[static_cast<std::size_t>(row)]; }
    ColorComboBox* accentColor(session::AccentRow row) const { return m_accentColors[static_cast<std::size_t>(row)]; }
    const ElementRow& elementRow(int row) const { return m_rows[static_cast<std::size_t>(row)]; }
    QComboBox* themeList() const noexcept { return m_themeList; }
    QPushButton* saveAsButton() const noexcept { return m_saveAs; }
    QPushButton* removeButton() const noexcept { return m_remove; }
    CMacroPreviewView* preview() const noexcept { return m_preview; }
    // The positions the "Loading Progress" dialog showed while this dialog was built.
    const QList<int>& loadingSteps() const noexcept { return m_loadingSteps; }

    // --- ThemeEditorHost --------------------------------------------------------------------
    void workingThemeChanged(session::PreviewUpdate update) override;

private:
    QGroupBox* buildGlobalGroup();
    QGroupBox* buildThemeGroup();
    QGroupBox* buildElementGroup();
    ColorComboBox* makeColorList(QWidget* parent, const QString& name);
    // Every control shows the working copy; nothing is handed back meanwhile.
    void showWorkingCopy();
    void refillThemeList();
    void saveAs();
    void removeTheme();

    UserPrompts& m_prompts;
    PromptReporter m_messages;
    std::unique_ptr<session::ThemeEditor> m_editor;
    bool m_showing = false;
    QList<int> m_loadingSteps;

    CMacroPreviewView* m_preview = nullptr;
    QComboBox* m_shading = nullptr;
    QComboBox* m_unitSpace = nullptr;
    ColorComboBox* m_background = nullptr;
    std::array<QComboBox*, session::kAccentRowCount> m_accentTypes{};
    std::array<ColorComboBox*, session::kAccentRowCount> m_accentColors{};
    std::array<ElementRow, session::kElementRowCount> m_rows{};
    QComboBox* m_themeList = nullptr;
    QPushButton* m_saveAs = nullptr;
    QPushButton* m_remove = nullptr;
};

}  // namespace qm::app
