// CTotalView: the macro view window, the left pane of the main window. It paints the macro
// diagram that its MacroView lays out, sets its scroll bars from the diagram's size, and forwards
// the mouse, the wheel and size changes to the MacroView; MacroViewHost is how the MacroView asks
// for redraws, scroll changes and log lines.
#pragma once

#include "app/print/printable_view.h"
#include "draw/qt_text_metrics.h"
#include "macro/macro_view.h"
#include "session/session.h"

#include <QAbstractScrollArea>

#include <functional>

namespace qm::app {

class CTotalView : public QAbstractScrollArea,
                   public macro::MacroViewHost,
                   public session::SessionObserver,
                   public PrintableView {
    Q_OBJECT

public:
    CTotalView(session::Session& session, QWidget* parent = nullptr);
    ~CTotalView() override;

    macro::MacroView& model() noexcept { return m_model; }
    const macro::MacroView& model() const noexcept { return m_model; }
    draw::Size scrollSize() const noexcept { return m_scrollSize; }
    QPoint scrollPosition() const;

    // The dialog-bar switches. Showing VC headers and file names rebuild the diagram; the
    // switches are kept for the layout options that read them.
    bool showVcHeader() const noexcept { return m_showVcHeader; }
    bool showFileName() const noexcept { return m_showFileName; }
    void setShowVcHeader(bool on);
    void setShowFileName(bool on);

    // --- MacroViewHost ----------------------------------------------------------------------
    bool isRunActive() const override;
    void setScrollSize(draw::Size size) override;
    void resetScrollPosition() override;
    void redrawNow() override;
    void invalidate() override;
    void redrawDetailNow() override;
    void clearDetailHover() override;
    void openCodeFile(const std::string& path) override;
    void markCodeLines(int firstLine, int lastLine) override;
    void resetCodeWindow() override;
    void log(std::string_view line) override;

    // --- PrintableView: the whole diagram, on the theme's background ------------------------
    draw::Size printSize() const override;
    draw::Rgb printBackground() const override;
    void printSlice(draw::Canvas& canvas) override;
    std::string_view noImageMessage() const override;

    // --- SessionObserver --------------------------------------------------------------------
    void runStarting() override;
    void runFinished(const model::SymbolEntry& root) override;
    void resultCleared() override;

signals:
    // The picked element changed: the detail view must repaint (and forget its hover state).
    void detailRedrawRequested();
    void detailHoverCleared();
    // The picked element's file is to be shown in the code window, with its lines marked; or the
    // code window is to forget its file (the pick was dropped).
    void codeFileRequested(const std::string& path);
    void codeLinesRequested(int firstLine, int lastLine);
    void codeResetRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void updateScrollBars();
    draw::Point scrollPoint() const;

    session::Session& m_session;
    macro::MacroView m_model;
    draw::QtTextMetrics m_metrics;
    draw::Size m_scrollSize = macro::MacroView::kEmptyScrollSize;
    bool m_showVcHeader = true;
    bool m_showFileName = false;
};

}  // namespace qm::app
