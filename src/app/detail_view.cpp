#include "app/detail_view.h"

#include "detail/print_pagination.h"
#include "app/scroll_range.h"
#include "draw/qt_canvas.h"

#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>

#include <algorithm>

namespace qm::app {

namespace {

constexpr int kLineStep = 16;

draw::Point toPoint(const QPointF& point)
{
    return {static_cast<int>(point.x()), static_cast<int>(point.y())};
}

session::HeldButtons heldButtons(Qt::MouseButtons buttons)
{
    if (buttons == Qt::NoButton) return session::HeldButtons::None;
    if (buttons == Qt::LeftButton) return session::HeldButtons::Left;
    if (buttons == Qt::RightButton) return session::HeldButtons::Right;
    return session::HeldButtons::Other;
}

}  // namespace

CDetailView::CDetailView(session::Session& session, std::function<const macro::Theme&()> theme, QWidget* parent)
    : QAbstractScrollArea(parent), m_session(session), m_theme(std::move(theme)), m_model(*this, session.selection())
{
    setObjectName(QStringLiteral("Detail View"));
    setAccessibleName(QStringLiteral("Detail View"));
    setFocusPolicy(Qt::StrongFocus);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setMouseTracking(true);
    setMinimumSize(0, 0);
    m_model.setAlwaysShowDetail(session.settings().values.autoShowDetailContent);
    m_model.setLog([&session](std::string_view line) { session.log().writeLine(line); });
    m_session.addObserver(*this);
    updateScrollBars();
}

CDetailView::~CDetailView()
{
    m_session.removeObserver(*this);
}

void CDetailView::setScrollSize(draw::Size size)
{
    m_scrollSize = size;
    updateScrollBars();
}

void CDetailView::updateScrollBars()
{
    setScrollRanges(*this, m_scrollSize, kLineStep);
}

draw::Point CDetailView::scrollPosition() const
{
    return {horizontalScrollBar()->value(), verticalScrollBar()->value()};
}

void CDetailView::scrollTo(draw::Point position)
{
    horizontalScrollBar()->setValue(position.x);
    verticalScrollBar()->setValue(position.y);
}

draw::Size CDetailView::clientSize() const
{
    return {viewport()->width(), viewport()->height()};
}

void CDetailView::redrawNow()
{
    viewport()->repaint();
}

void CDetailView::invalidate()
{
    viewport()->update();
}

void CDetailView::selectCodeLines(int firstLine, int lastLine)
{
    emit codeLinesHovered(firstLine, lastLine);
}

draw::Size CDetailView::printSize() const
{
    // What the last paint drew: nothing without a picked definition.
    if (!m_session.selection().definition || m_session.selection().changed) {
        return {};
    }
    // The whole drawing, which may reach left of and above the view's origin.
    const draw::Rect area = m_model.pictureArea(m_metrics);
    return {area.width, area.height};
}

void CDetailView::printSlice(draw::Canvas& canvas)
{
    m_model.paintPicture(canvas, m_metrics, m_theme());
}

std::string_view CDetailView::noImageMessage() const
{
    return detail::kFlowViewNoImage;
}

void CDetailView::runStarting()
{
    m_model.clear();
}

void CDetailView::runFinished(const model::SymbolEntry&)
{
    viewport()->update();
}

void CDetailView::resultCleared()
{
    m_model.clear();
}

void CDetailView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), Qt::white);
    m_model.setAlwaysShowDetail(m_session.settings().values.autoShowDetailContent);
    const macro::Theme& theme = m_theme();
    // The layout may change the scroll range and position, so it runs before the offset is read.
    if (!m_model.prepareDraw(m_metrics, theme)) {
        return;
    }
    const draw::Point scroll = scrollPosition();
    painter.translate(-scroll.x, -scroll.y);
    draw::QtCanvas canvas(painter, draw::Rect{scroll.x, scroll.y, viewport()->width(), viewport()->height()});
    m_model.paint(canvas, theme);
}

void CDetailView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

void CDetailView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CDetailView::wheelEvent(QWheelEvent* event)
{
    m_model.wheel(event->angleDelta().y());
    event->accept();
}

void CDetailView::mousePressEvent(QMouseEvent* event)
{
    const draw::Point point = toPoint(event->position());
    if (event->button() == Qt::LeftButton) {
        m_model.leftButtonDown(point);
    } else if (event->button() == Qt::RightButton) {
        m_model.rightButtonDown(point);
    }
    QAbstractScrollArea::mousePressEvent(event);
}

void CDetailView::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::RightButton) {
        m_model.rightButtonUp();
    }
    QAbstractScrollArea::mouseReleaseEvent(event);
}

void CDetailView::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton) {
        m_model.leftDoubleClick(toPoint(event->position()));
        event->accept();
        return;
    }
    QAbstractScrollArea::mouseDoubleClickEvent(event);
}

void CDetailView::mouseMoveEvent(QMouseEvent* event)
{
    m_model.mouseMove(toPoint(event->position()), heldButtons(event->buttons()));
    QAbstractScrollArea::mouseMoveEvent(event);
}

}  // namespace qm::app
