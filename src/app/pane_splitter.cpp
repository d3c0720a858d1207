#include "app/pane_splitter.h"

#include <QResizeEvent>

#include <algorithm>

namespace qm::app {

PaneSplitter::PaneSplitter(Qt::Orientation orientation, QWidget* parent) : QSplitter(orientation, parent)
{
    setChildrenCollapsible(true);
    setOpaqueResize(true);
    connect(this, &QSplitter::splitterMoved, this, [this] { takeDraggedSizes(); });
}

int PaneSplitter::extent() const
{
    const int whole = orientation() == Qt::Vertical ? height() : width();
    return std::max(0, whole - handleWidth());
}

void PaneSplitter::setMode(int mode)
{
    m_mode = (mode == 0 || mode == 1) ? mode : 2;
    applyMode();
}

void PaneSplitter::setSecondSize(int size)
{
    m_secondSize = std::max(0, size);
    applyMode();
}

void PaneSplitter::setModeAndSize(int mode, int size)
{
    m_mode = (mode == 0 || mode == 1) ? mode : 2;
    m_secondSize = std::max(0, size);
    applyMode();
}

void PaneSplitter::growSecond()
{
    if (m_mode == 1) {
        setMode(0);
    } else if (m_mode == 2) {
        setMode(1);
    }
}

void PaneSplitter::shrinkSecond()
{
    if (m_mode == 0) {
        setMode(1);
    } else if (m_mode == 1) {
        setMode(2);
    }
}

void PaneSplitter::setSecondFraction(int numerator, int denominator)
{
    setModeAndSize(1, extent() * numerator / denominator);
}

void PaneSplitter::fitSecond(int preferred)
{
    if (extent() < preferred) {
        setMode(0);
    } else if (preferred > 0) {
        setModeAndSize(1, preferred);
    } else {
        setMode(2);
    }
}

void PaneSplitter::resizeEvent(QResizeEvent* event)
{
    QSplitter::resizeEvent(event);
    applyMode();
}

void PaneSplitter::applyMode()
{
    if (count() < 2) {
        return;
    }
    const int whole = extent();
    const int kept = m_mode == 1 ? std::min(m_secondSize, whole) : (m_mode == 0 ? whole : 0);
    m_applying = true;
    setSizes({std::max(0, whole - kept), kept});
    m_applying = false;
}

void PaneSplitter::takeDraggedSizes()
{
    if (m_applying || count() < 2) {
        return;
    }
    const QList<int> now = sizes();
    const int first = now.value(0);
    const int second = now.value(1);
    m_secondSize = second;
    if ((m_mode == 2 && second > 0) || (m_mode == 0 && first > 0)) {
        m_mode = 1;
    }
}

}  // namespace qm::app
