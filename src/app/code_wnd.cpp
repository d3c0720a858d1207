#include "app/code_wnd.h"

#include "draw/qt_canvas.h"

#include <QKeyEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolButton>

#include <optional>

namespace qm::app {

namespace {

std::optional<detail::CodeKey> codeKey(int key)
{
    switch (key) {
    case Qt::Key_PageUp: return detail::CodeKey::PageUp;
    case Qt::Key_PageDown: return detail::CodeKey::PageDown;
    case Qt::Key_Home: return detail::CodeKey::Home;
    case Qt::Key_End: return detail::CodeKey::End;
    case Qt::Key_Left: return detail::CodeKey::Left;
    case Qt::Key_Right: return detail::CodeKey::Right;
    case Qt::Key_Up: return detail::CodeKey::Up;
    case Qt::Key_Down: return detail::CodeKey::Down;
    default: return std::nullopt;
    }
}

}  // namespace

CCodeWnd::CCodeWnd(QWidget* parent) : QAbstractScrollArea(parent), m_model(m_metrics)
{
    setObjectName(QStringLiteral("Code Text"));
    setAccessibleName(QStringLiteral("Code Text"));
    setFocusPolicy(Qt::StrongFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    viewport()->setCursor(Qt::IBeamCursor);
    m_edit = new QToolButton(this);
    m_edit->setText(QStringLiteral("E"));
    m_edit->setObjectName(QStringLiteral("E"));
    m_edit->setAccessibleName(QStringLiteral("E"));
    m_edit->setToolTip(QStringLiteral("Open the file in the editor program"));
    m_edit->setFocusPolicy(Qt::NoFocus);
    connect(m_edit, &QToolButton::clicked, this, &CCodeWnd::editRequested);
    syncFromModel();
}

void CCodeWnd::setText(std::string_view text)
{
    m_model.setText(text);
    syncFromModel();
    viewport()->update();
}

void CCodeWnd::setCodeFont(const std::string& face, int tenthsOfPoint)
{
    m_model.setFont(face, tenthsOfPoint);
    syncFromModel();
    viewport()->update();
}

void CCodeWnd::selectLines(int first, int last, bool keepView)
{
    m_model.selectLines(first, last, keepView);
    syncFromModel();
    viewport()->update();
}

void CCodeWnd::setEditButtonWanted(bool wanted)
{
    m_editWanted = wanted;
    placeEditButton();
}

void CCodeWnd::syncFromModel()
{
    m_syncing = true;
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, m_model.maxFirstLine());
    vertical->setPageStep(std::max(1, 3 * m_model.pageLines() / 4));
    vertical->setSingleStep(1);
    vertical->setValue(m_model.firstLine());
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, m_model.maxXOffset());
    horizontal->setPageStep(std::max(1, 3 * viewport()->width() / 4));
    horizontal->setSingleStep(4);
    horizontal->setValue(m_model.xOffset());
    m_syncing = false;
}

void CCodeWnd::placeEditButton()
{
    const QSize area = viewport()->size();
    const bool room = area.width() > kEditButtonSize && area.height() > kEditButtonSize;
    m_edit->setVisible(m_editWanted && room);
    if (room) {
        const QPoint corner = viewport()->geometry().topRight();
        m_edit->setGeometry(corner.x() - kEditButtonSize + 1, corner.y(), kEditButtonSize, kEditButtonSize);
        m_edit->raise();
    }
}

void CCodeWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    draw::QtCanvas canvas(painter);
    m_model.paint(canvas);
    if (hasFocus()) {
        if (const std::optional<draw::Rect> caret = m_model.caretRect()) {
            painter.fillRect(QRect(caret->left, caret->top, caret->width, caret->height), Qt::black);
        }
    }
}

void CCodeWnd::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    m_model.setClientSize({viewport()->width(), viewport()->height()});
    syncFromModel();
    placeEditButton();
}

void CCodeWnd::scrollContentsBy(int, int)
{
    if (m_syncing) return;
    m_model.setFirstLine(verticalScrollBar()->value());
    m_model.setXOffset(horizontalScrollBar()->value());
    viewport()->update();
}

void CCodeWnd::wheelEvent(QWheelEvent* event)
{
    m_model.wheel(event->angleDelta().y());
    syncFromModel();
    viewport()->update();
    event->accept();
}

void CCodeWnd::mousePressEvent(QMouseEvent* event)
{
    setFocus(Qt::MouseFocusReason);
    if (event->button() == Qt::LeftButton) {
        m_model.click({static_cast<int>(event->position().x()), static_cast<int>(event->position().y())});
        viewport()->update();
    }
    event->accept();
}

void CCodeWnd::keyPressEvent(QKeyEvent* event)
{
    const std::optional<detail::CodeKey> key = codeKey(event->key());
    if (key && m_model.key(*key, event->modifiers().testFlag(Qt::ControlModifier))) {
        syncFromModel();
        viewport()->repaint();
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

void CCodeWnd::focusInEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void CCodeWnd::focusOutEvent(QFocusEvent* event)
{
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

}  // namespace qm::app
