// CMacroPreviewView: the "Preview" of the theme dialog — a small scroll view that draws the
// sample program's macro diagram with the dialog's working theme (ThemePreview). It has no mouse
// interaction: no picking, folding or moving.
#pragma once

#include "draw/qt_text_metrics.h"
#include "session/theme_preview.h"

#include <QAbstractScrollArea>

#include <filesystem>

namespace qm::app {

class CMacroPreviewView : public QAbstractScrollArea {
    Q_OBJECT

public:
    // The preview's place and size in the dialog's "Preview" group, in pixels.
    static constexpr int kWidth = 205;
    static constexpr int kHeight = 375;

    // `theme` is the working copy it draws, `values` give the sort settings; both must outlive
    // the view.
    CMacroPreviewView(const macro::Theme& theme, const settings::SettingValues& values, QWidget* parent = nullptr);

    session::ThemePreview& model() noexcept { return m_model; }
    // One analysis of the sample file; a missing file leaves the preview blank.
    void analyzeSample(const std::filesystem::path& sample);
    // A change of the working theme: lays out or measures again as `update` asks and repaints
    // at once.
    void themeChanged(session::PreviewUpdate update);

protected:
    void paintEvent(QPaintEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void updateScrollBars();

    session::ThemePreview m_model;
    const macro::Theme& m_theme;
    draw::QtTextMetrics m_metrics;
};

}  // namespace qm::app
