// The scroll bars of a view that paints a picture of `picture` pixels into its viewport: each
// bar's range is what of the picture does not fit, its page the viewport, its line `lineStep`.
#pragma once

#include "draw/draw_types.h"

#include <QAbstractScrollArea>
#include <QScrollBar>

#include <algorithm>

namespace qm::app {

inline void setScrollRanges(QAbstractScrollArea& view, draw::Size picture, int lineStep = 16)
{
    const QSize area = view.viewport()->size();
    QScrollBar* horizontal = view.horizontalScrollBar();
    horizontal->setRange(0, std::max(0, picture.width - area.width()));
    horizontal->setPageStep(std::max(1, area.width()));
    horizontal->setSingleStep(lineStep);
    QScrollBar* vertical = view.verticalScrollBar();
    vertical->setRange(0, std::max(0, picture.height - area.height()));
    vertical->setPageStep(std::max(1, area.height()));
    vertical->setSingleStep(lineStep);
}

}  // namespace qm::app
