// ThemePreview: the theme dialog's preview without its window. It analyses the sample source
// once, with an engine of its own on the calling thread, and draws the sample's macro diagram
// with the dialog's working theme: every box unfolded, laid out by the sort whatever "Auto Sort"
// says. A change of the working theme asks for a repaint, a new layout or a new measurement;
// none of them analyses the sample again.
#pragma once

#include "draw/canvas.h"
#include "draw/text_metrics.h"
#include "frontend/analysis_engine.h"
#include "frontend/log_sink.h"
#include "macro/macro_diagram.h"
#include "macro/theme.h"
#include "session/theme_editor.h"
#include "settings/app_settings.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace qm::session {

class ThemePreview {
public:
    // `theme` is the working copy the preview draws (not owned, read at every paint); `values`
    // gives the sort key and "Fixed Size Arrange". Both must outlive the preview.
    ThemePreview(const macro::Theme& theme, const settings::SettingValues& values);
    ~ThemePreview();
    ThemePreview(const ThemePreview&) = delete;
    ThemePreview& operator=(const ThemePreview&) = delete;

    // One analysis run of `sample` on this thread. A missing or unreadable sample leaves the
    // result empty and the preview blank.
    void analyzeSample(const std::filesystem::path& sample);
    // How many times the sample was analysed.
    int analysisCount() const noexcept { return m_analyses; }

    // What the next prepare() must do again after a change of the working theme.
    void themeChanged(PreviewUpdate update);
    // While set (the dialog is applying a change), paint() draws nothing.
    void setBusy(bool busy) noexcept { m_busy = busy; }
    bool isBusy() const noexcept { return m_busy; }

    // The layout half of a paint: measures and lays out what is pending for a client area of
    // `clientWidth` (below 0 counts as 0). Returns the diagram's size when it was laid out
    // again (the scroll range follows it), nothing otherwise.
    std::optional<draw::Size> prepare(const draw::TextMetrics& metrics, int clientWidth);
    // Paints the boxes as the macro view does, with nothing picked. Nothing while busy.
    void paint(draw::Canvas& canvas);

    const macro::MacroDiagram& diagram() const noexcept { return m_diagram; }
    draw::Size size() const noexcept { return m_size; }
    // How many times the diagram was measured, and laid out, since the preview was made.
    int measureCount() const noexcept { return m_measures; }
    int layoutCount() const noexcept { return m_layouts; }

private:
    const macro::Theme& m_theme;
    const settings::SettingValues& m_values;
    frontend::LogSink m_log;
    std::unique_ptr<frontend::AnalysisEngine> m_engine;
    bool m_hasResult = false;
    macro::MacroDiagram m_diagram;
    std::vector<macro::MacroBox*> m_drawList;
    draw::Size m_size;
    bool m_remeasure = true;
    bool m_relayout = false;
    bool m_busy = false;
    bool m_drawing = false;
    int m_lastWidth = -1;
    int m_analyses = 0;
    int m_measures = 0;
    int m_layouts = 0;
};

}  // namespace qm::session
