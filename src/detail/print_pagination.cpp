#include "detail/print_pagination.h"

#include <algorithm>
#include <cmath>

namespace qm::detail {

namespace {

int truncated(double value)
{
    return static_cast<int>(std::clamp(value, -2.0e9, 2.0e9));
}

// Millimetres to printer pixels. A margin written back as pixels / (pixels per mm) comes back to
// the same pixels despite rounding in the last bit.
int toPixels(double millimetres, double pixelsPerMm)
{
    return truncated(millimetres * pixelsPerMm + 1e-6);
}

}  // namespace

PrintLayout paginate(draw::Size image, const PrinterGeometry& printer, PrintMargins& margins)
{
    if (truncated(image.width * kMillimetresPerPixel) == 0 || truncated(image.height * kMillimetresPerPixel) == 0) {
        throw PrintError(std::string(kNoImageToPrinter));
    }
    if (printer.printableWidth <= 0 || printer.printableHeight <= 0) {
        throw PrintError(std::string(kPaperSizeZero));
    }
    if (!(printer.printableWidthMm > 0) || !(printer.printableHeightMm > 0)) {
        throw PrintError(std::string(kPixelPerMmZero));
    }
    PrintLayout layout;
    layout.image = image;
    layout.pixelsPerMmX = printer.printableWidth / printer.printableWidthMm;
    layout.pixelsPerMmY = printer.printableHeight / printer.printableHeightMm;
    layout.scaleX = layout.pixelsPerMmX * kMillimetresPerPixel;
    layout.scaleY = layout.pixelsPerMmY * kMillimetresPerPixel;
    layout.printedWidth = truncated(layout.scaleX * image.width);
    layout.printedHeight = truncated(layout.scaleY * image.height);

    const int rightBand = printer.physicalWidth - printer.printableWidth - printer.offsetX;
    const int bottomBand = printer.physicalHeight - printer.printableHeight - printer.offsetY;
    layout.marginTop = std::max(toPixels(margins.top, layout.pixelsPerMmY), printer.offsetY);
    layout.marginBottom = std::max(toPixels(margins.bottom, layout.pixelsPerMmY), bottomBand);
    layout.marginLeft = std::max(toPixels(margins.left, layout.pixelsPerMmX), printer.offsetX);
    layout.marginRight = std::max(toPixels(margins.right, layout.pixelsPerMmX), rightBand);

    margins.top = layout.marginTop / layout.pixelsPerMmY;
    margins.bottom = layout.marginBottom / layout.pixelsPerMmY;
    margins.left = layout.marginLeft / layout.pixelsPerMmX;
    margins.right = layout.marginRight / layout.pixelsPerMmX;
    margins.offsetX = printer.offsetX / layout.pixelsPerMmX;
    margins.offsetY = printer.offsetY / layout.pixelsPerMmY;
    margins.rightBand = rightBand / layout.pixelsPerMmX;
    margins.bottomBand = bottomBand / layout.pixelsPerMmY;
    margins.pageWidth = printer.physicalWidth / layout.pixelsPerMmX;
    margins.pageHeight = printer.physicalHeight / layout.pixelsPerMmY;

    layout.cellWidth = std::max(1, printer.printableWidth - layout.marginRight - layout.marginLeft);
    layout.cellHeight = std::max(1, printer.printableHeight - layout.marginBottom - layout.marginTop);
    layout.pagesAcross = layout.printedWidth / layout.cellWidth + 1;
    layout.pagesDown = layout.printedHeight / layout.cellHeight + 1;
    if (static_cast<long long>(layout.pagesAcross) * layout.pagesDown > kMaxPrintPages) {
        throw PrintError("Printer Error : " + std::to_string(static_cast<long long>(layout.pagesAcross) * layout.pagesDown) +
                         " pages; make the margins smaller.");
    }
    return layout;
}

PageSlice PrintLayout::slice(int page) const
{
    const int index = std::max(0, page - 1);
    const int column = index % std::max(1, pagesAcross);
    const int row = index / std::max(1, pagesAcross);
    const int width = column == pagesAcross - 1 ? printedWidth % cellWidth : cellWidth;
    const int height = row == pagesDown - 1 ? printedHeight % cellHeight : cellHeight;
    PageSlice slice;
    slice.source = {truncated(column * static_cast<double>(cellWidth) / scaleX),
                    truncated(row * static_cast<double>(cellHeight) / scaleY), truncated(width / scaleX),
                    truncated(height / scaleY)};
    slice.target = {marginLeft, marginTop, width, height};
    return slice;
}

bool PrintLayout::marginsChanged(const PrintMargins& margins) const
{
    return toPixels(margins.top, pixelsPerMmY) != marginTop || toPixels(margins.bottom, pixelsPerMmY) != marginBottom ||
           toPixels(margins.left, pixelsPerMmX) != marginLeft || toPixels(margins.right, pixelsPerMmX) != marginRight;
}

double roundMargin(double millimetres)
{
    if (!(millimetres > 0)) return 0;
    return std::round(std::min(millimetres, 9999.0) * 100.0) / 100.0;
}

void clampMargins(PrintMargins& m)
{
    if (!(m.pageWidth > 0) || !(m.pageHeight > 0)) {
        // No printer measured yet: nothing to keep the margins within.
        m.top = roundMargin(m.top);
        m.bottom = roundMargin(m.bottom);
        m.left = roundMargin(m.left);
        m.right = roundMargin(m.right);
        return;
    }
    const auto keep = [](double value, double low, double high) {
        return roundMargin(std::max(low, std::min(value, high)));
    };
    m.top = keep(roundMargin(m.top), m.offsetY, m.pageHeight - m.bottom - 10);
    m.bottom = keep(roundMargin(m.bottom), m.bottomBand, m.pageHeight - m.top - 10);
    m.left = keep(roundMargin(m.left), m.offsetX, m.pageWidth - m.right - 10);
    m.right = keep(roundMargin(m.right), m.rightBand, m.pageWidth - m.left - 10);
}

}  // namespace qm::detail
