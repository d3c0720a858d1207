// PrintableView: what a diagram view gives printing and picture export — the size of its whole
// drawing in view pixels, the background it is drawn on, and its ordinary drawing for whatever
// part of it the canvas's clip box asks for.
#pragma once

#include "draw/canvas.h"

#include <string_view>

namespace qm::app {

class PrintableView {
public:
    virtual ~PrintableView() = default;
    // The whole drawing's size; 0 x 0 when there is nothing to print.
    virtual draw::Size printSize() const = 0;
    virtual draw::Rgb printBackground() const = 0;
    // Draws the part of the drawing inside canvas.clipBox(), in drawing coordinates.
    virtual void printSlice(draw::Canvas& canvas) = 0;
    // "Flow-view have No Image to print." or "Macro-view have No Image to print.".
    virtual std::string_view noImageMessage() const = 0;
};

}  // namespace qm::app
