// CDetailView: the detail view window, the right pane of the main window. It paints what its
// DetailView shows (the flowchart of the picked function or the class diagram of the picked
// class), sets its scroll bars from the picture's size, and forwards the mouse and the wheel.
#pragma once

#include "app/print/printable_view.h"
#include "draw/qt_text_metrics.h"
#include "macro/theme.h"
#include "session/detail_view.h"
#include "session/session.h"

#include <QAbstractScrollArea>

#include <functional>

namespace qm::app {

class CDetailView : public QAbstractScrollArea,
                    public session::DetailViewHost,
                    public session::SessionObserver,
                    public PrintableView {
    Q_OBJECT

public:
    // `theme` gives the theme class diagrams are drawn with (the macro view's).
    CDetailView(session::Session& session, std::function<const macro::Theme&()> theme, QWidget* parent = nullptr);
    ~CDetailView() override;

    session::DetailView& model() noexcept { return m_model; }
    const session::DetailView& model() const noexcept { return m_model; }
    draw::Size scrollSize() const noexcept { return m_scrollSize; }

    // --- DetailViewHost ---------------------------------------------------------------------
    void setScrollSize(draw::Size size) override;
    draw::Point scrollPosition() const override;
    void scrollTo(draw::Point position) override;
    draw::Size clientSize() const override;
    void redrawNow() override;
    void invalidate() override;
    void selectCodeLines(int firstLine, int lastLine) override;

    // --- PrintableView: the flowchart or class diagram, on white ----------------------------
    draw::Size printSize() const override;
    draw::Rgb printBackground() const override { return draw::kWhite; }
    void printSlice(draw::Canvas& canvas) override;
    std::string_view noImageMessage() const override;

    // --- SessionObserver --------------------------------------------------------------------
    void runStarting() override;
    void runFinished(const model::SymbolEntry& root) override;
    void resultCleared() override;

signals:
    // The statement under the mouse spans these source lines.
    void codeLinesHovered(int firstLine, int lastLine);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void updateScrollBars();

    session::Session& m_session;
    std::function<const macro::Theme&()> m_theme;
    session::DetailView m_model;
    draw::QtTextMetrics m_metrics;
    draw::Size m_scrollSize;
};

}  // namespace qm::app
