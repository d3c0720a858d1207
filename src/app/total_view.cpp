#include "app/total_view.h"

#include "detail/print_pagination.h"
#include "app/scroll_range.h"
#include "draw/qt_canvas.h"
#include "macro/macro_style.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace qm::app {

namespace {

constexpr int kLineStep = 16;

QColor toQColor(draw::Rgb rgb)
{
    return QColor(rgb.r, rgb.g, rgb.b);
}

draw::Point toPoint(const QPointF& point)
{
    return {static_cast<int>(point.x()), static_cast<int>(point.y())};
}

}  // namespace

CTotalView::CTotalView(session::Session& session, QWidget* parent)
    : QAbstractScrollArea(parent), m_session(session), m_model(*this, session.selection())
{
    setObjectName(QStringLiteral("Macro View"));
    setAccessibleName(QStringLiteral("Macro View"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    setMinimumSize(0, 0);
    m_session.addObserver(*this);
    updateScrollBars();
}

CTotalView::~CTotalView()
{
    m_session.removeObserver(*this);
}

QPoint CTotalView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

draw::Point CTotalView::scrollPoint() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CTotalView::setShowVcHeader(bool on)
{
    m_showVcHeader = on;
    m_model.requestRebuild();
    viewport()->update();
}

void CTotalView::setShowFileName(bool on)
{
    m_showFileName = on;
    m_model.requestRebuild();
    viewport()->update();
}

bool CTotalView::isRunActive() const
{
    return m_session.isRunActive();
}

void CTotalView::setScrollSize(draw::Size size)
{
    m_scrollSize = size;
    updateScrollBars();
}

void CTotalView::updateScrollBars()
{
    setScrollRanges(*this, m_scrollSize, kLineStep);
}

void CTotalView::resetScrollPosition()
{
    horizontalScrollBar()->setValue(0);
    verticalScrollBar()->setValue(0);
}

void CTotalView::redrawNow()
{
    viewport()->repaint();
}

void CTotalView::invalidate()
{
    viewport()->update();
}

void CTotalView::redrawDetailNow()
{
    emit detailRedrawRequested();
}

void CTotalView::clearDetailHover()
{
    emit detailHoverCleared();
}

void CTotalView::openCodeFile(const std::string& path)
{
    emit codeFileRequested(path);
}

void CTotalView::markCodeLines(int firstLine, int lastLine)
{
    emit codeLinesRequested(firstLine, lastLine);
}

void CTotalView::resetCodeWindow()
{
    emit codeResetRequested();
}

void CTotalView::log(std::string_view line)
{
    m_session.log().writeLine(line);
}

draw::Size CTotalView::printSize() const
{
    if (!m_model.result() || m_session.isRunActive() || m_model.diagram().boxes().empty()) {
        return {};
    }
    return m_scrollSize;
}

draw::Rgb CTotalView::printBackground() const
{
    return macro::drawColor(m_model.theme().colors.background);
}

void CTotalView::printSlice(draw::Canvas& canvas)
{
    m_model.paintCopy(canvas);
}

std::string_view CTotalView::noImageMessage() const
{
    return detail::kMacroViewNoImage;
}

void CTotalView::runStarting()
{
    m_model.runStarting();
    viewport()->update();
}

void CTotalView::runFinished(const model::SymbolEntry& root)
{
    m_model.runFinished(&root);
    viewport()->update();
}

void CTotalView::resultCleared()
{
    m_model.clearAll();
}

void CTotalView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), toQColor(macro::drawColor(m_model.theme().colors.background)));
    // The layout may change the scroll range, and with it the scroll position the boxes are
    // painted at; so it runs before the offset is read.
    if (!m_model.prepareDraw(m_metrics, viewport()->width())) {
        return;
    }
    const draw::Point scroll = scrollPoint();
    painter.translate(-scroll.x, -scroll.y);
    // The whole visible area is painted every time: hit tests use the boxes the last paint met.
    draw::QtCanvas canvas(painter, draw::Rect{scroll.x, scroll.y, viewport()->width(), viewport()->height()});
    m_model.paintDiagram(canvas);
}

void CTotalView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
    m_model.resized(viewport()->width());
    if (m_model.relayoutPending()) {
        viewport()->update();
    }
}

void CTotalView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CTotalView::wheelEvent(QWheelEvent* event)
{
    // One notch scrolls by the wheel's delta in pixels.
    const int delta = event->angleDelta().y();
    if (delta == 0) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    verticalScrollBar()->setValue(verticalScrollBar()->value() - delta);
    event->accept();
}

void CTotalView::mousePressEvent(QMouseEvent* event)
{
    // A button pressed alone, without another button or a modifier key.
    const bool alone = event->modifiers() == Qt::NoModifier &&
                       (event->buttons() == Qt::LeftButton || event->buttons() == Qt::RightButton);
    if (alone) {
        m_model.mouseDown(toPoint(event->position()), scrollPoint());
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CTotalView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_model.doubleClick(toPoint(event->position()), scrollPoint());
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CTotalView::mouseMoveEvent(QMouseEvent* event)
{
    if (event->buttons() == Qt::LeftButton && event->modifiers() == Qt::NoModifier) {
        m_model.mouseMove(toPoint(event->position()), scrollPoint());
    }
    QAbstractScrollArea::mouseMoveEvent(event);
}

}  // namespace qm::app
