#include "app/dialogs/macro_preview_view.h"

#include "draw/qt_canvas.h"

#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace qm::app {

CMacroPreviewView::CMacroPreviewView(const macro::Theme& theme, const settings::SettingValues& values, QWidget* parent)
    : QAbstractScrollArea(parent), m_model(theme, values), m_theme(theme)
{
    setObjectName(QStringLiteral("Preview"));
    setAccessibleName(QStringLiteral("Preview"));
    setFocusPolicy(Qt::NoFocus);
    setFixedSize(kWidth, kHeight);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    horizontalScrollBar()->setSingleStep(16);
    verticalScrollBar()->setSingleStep(16);
}

void CMacroPreviewView::analyzeSample(const std::filesystem::path& sample)
{
    m_model.analyzeSample(sample);
    viewport()->update();
}

void CMacroPreviewView::themeChanged(session::PreviewUpdate update)
{
    m_model.themeChanged(update);
    viewport()->repaint();
}

void CMacroPreviewView::updateScrollBars()
{
    const draw::Size size = m_model.size();
    const QSize area = viewport()->size();
    horizontalScrollBar()->setRange(0, std::max(0, size.width - area.width()));
    horizontalScrollBar()->setPageStep(std::max(1, area.width()));
    verticalScrollBar()->setRange(0, std::max(0, size.height - area.height()));
    verticalScrollBar()->setPageStep(std::max(1, area.height()));
}

void CMacroPreviewView::paintEvent(QPaintEvent*)
{
    QPainter painter(viewport());
    painter.fillRect(viewport()->rect(), QColor(m_theme.colors.background.r, m_theme.colors.background.g,
                                                m_theme.colors.background.b));
    if (m_model.prepare(m_metrics, viewport()->width())) {
        updateScrollBars();
    }
    const QPoint scroll(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scroll);
    draw::QtCanvas canvas(painter, draw::Rect{scroll.x(), scroll.y(), viewport()->width(), viewport()->height()});
    m_model.paint(canvas);
}

void CMacroPreviewView::scrollContentsBy(int, int)
{
    viewport()->update();
}

void CMacroPreviewView::resizeEvent(QResizeEvent* event)
{
    QAbstractScrollArea::resizeEvent(event);
    updateScrollBars();
}

}  // namespace qm::app
