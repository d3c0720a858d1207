#include "session/theme_preview.h"

#include "macro/macro_view_paint.h"
#include "parser/make_analysis_engine.h"

#include <algorithm>

namespace qm::session {

namespace {

// Holds the draw lock for a scope, exceptions included.
class DrawLock {
public:
    explicit DrawLock(bool& held) : m_held(held) { m_held = true; }
    ~DrawLock() { m_held = false; }
    DrawLock(const DrawLock&) = delete;
    DrawLock& operator=(const DrawLock&) = delete;

private:
    bool& m_held;
};

}  // namespace

ThemePreview::ThemePreview(const macro::Theme& theme, const settings::SettingValues& values)
    : m_theme(theme), m_values(values), m_engine(parser::makeAnalysisEngine(m_log))
{
}

ThemePreview::~ThemePreview()
{
    // The boxes point into the engine's result: they go first.
    m_drawList.clear();
    m_diagram.clear();
}

void ThemePreview::analyzeSample(const std::filesystem::path& sample)
{
    frontend::RunSettings run;
    run.files.push_back({sample.string(), true});
    m_drawList.clear();
    m_diagram.clear();
    m_engine->runSynchronously(std::move(run));
    m_engine->takeRunFinished();
    m_log.takeLines();  // the preview has no log pane
    m_hasResult = true;
    m_remeasure = true;
    ++m_analyses;
}

void ThemePreview::themeChanged(PreviewUpdate update)
{
    switch (update) {
    case PreviewUpdate::Repaint: break;
    case PreviewUpdate::Relayout: m_relayout = true; break;
    case PreviewUpdate::Remeasure: m_remeasure = true; break;
    }
}

std::optional<draw::Size> ThemePreview::prepare(const draw::TextMetrics& metrics, int clientWidth)
{
    if (m_drawing || !m_hasResult) {
        return std::nullopt;
    }
    clientWidth = std::max(0, clientWidth);
    if (clientWidth != m_lastWidth) {
        m_relayout = true;
    }
    if (!m_remeasure && !m_relayout) {
        return std::nullopt;
    }
    const DrawLock lock(m_drawing);
    m_drawList.clear();
    if (m_remeasure) {
        m_diagram.buildBoxes(m_engine->result());
        m_diagram.measureBoxes(metrics, m_theme.fonts);
        m_diagram.setExpandedAll(true);  // the sample is always shown whole
        ++m_measures;
    }
    macro::MacroLayoutOptions options;
    options.availableWidth = clientWidth;
    options.unitSpace = m_theme.colors.unitSpace;
    options.sortKey = macro::sortKeyFromSetting(m_values.macroViewSort);
    options.fixedSize = m_values.fixedSizeArrange;
    options.autoSort = true;  // the sample is laid out by the sort whatever "Auto Sort" says
    m_size = m_diagram.layout(options);
    ++m_layouts;
    m_remeasure = false;
    m_relayout = false;
    m_lastWidth = clientWidth;
    return m_size;
}

void ThemePreview::paint(draw::Canvas& canvas)
{
    if (m_drawing || m_busy || !m_hasResult) {
        return;
    }
    const DrawLock lock(m_drawing);
    macro::paintBoxes(canvas, m_diagram.boxes(), m_theme, m_drawList);
}

}  // namespace qm::session
