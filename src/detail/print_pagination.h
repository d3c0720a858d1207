// Printing a diagram on paper: a view pixel becomes 0.25 mm, the drawing is cut into a grid of
// pages inside margins given in millimetres (never inside the printer's unprintable bands), and
// each page shows one slice of the drawing. Only arithmetic here: the printer's measures come in,
// the grid and each page's slice go out.
#pragma once

#include "draw/draw_types.h"

#include <stdexcept>
#include <string>
#include <string_view>

namespace qm::detail {

inline constexpr std::string_view kNoImageToPrinter = "Printer Error : No Image To Printer.";
inline constexpr std::string_view kPaperSizeZero = "Printer Error : Paper Size is Zero.";
inline constexpr std::string_view kPixelPerMmZero = "Printer Error : Printer Pixel/mm is Zero.";
inline constexpr std::string_view kFlowViewNoImage = "Flow-view have No Image to print.";
inline constexpr std::string_view kMacroViewNoImage = "Macro-view have No Image to print.";
inline constexpr std::string_view kUnknownPrinterError = "Unknown Printer Error";
// More pages than any print job should have: margins that leave next to no room on the page.
inline constexpr int kMaxPrintPages = 10000;

// Millimetres of paper per view pixel.
inline constexpr double kMillimetresPerPixel = 0.25;

class PrintError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// The margins in millimetres, shared by both views. Each pagination raises them to the printer's
// unprintable bands and keeps the printer's measures (in millimetres) for the margin dialog.
struct PrintMargins {
    double top = 10;
    double bottom = 10;
    double left = 3;
    double right = 3;
    // From the last pagination.
    double offsetX = 0;         // unprintable band on the left
    double offsetY = 0;         // unprintable band at the top
    double rightBand = 0;
    double bottomBand = 0;
    double pageWidth = 0;       // the physical page
    double pageHeight = 0;
};

// What a printer says of itself, in its pixels.
struct PrinterGeometry {
    int printableWidth = 0;   // the area it can print on
    int printableHeight = 0;
    double printableWidthMm = 0;
    double printableHeightMm = 0;
    int offsetX = 0;          // where the printable area starts on the physical page
    int offsetY = 0;
    int physicalWidth = 0;    // the whole page
    int physicalHeight = 0;
};

// One page's part of the drawing: `source` in view pixels, drawn into `target` in printer pixels
// (relative to the printable area's corner).
struct PageSlice {
    draw::Rect source;
    draw::Rect target;
};

struct PrintLayout {
    draw::Size image;          // the drawing, in view pixels
    double pixelsPerMmX = 0;   // of the printer
    double pixelsPerMmY = 0;
    double scaleX = 0;         // printer pixels per view pixel
    double scaleY = 0;
    int printedWidth = 0;      // the drawing, in printer pixels
    int printedHeight = 0;
    int marginTop = 0;         // printer pixels
    int marginBottom = 0;
    int marginLeft = 0;
    int marginRight = 0;
    int cellWidth = 1;         // the part of a page the drawing goes on
    int cellHeight = 1;
    int pagesAcross = 0;
    int pagesDown = 0;

    int pageCount() const noexcept { return pagesAcross * pagesDown; }
    // The slice of page `page` (1-based). A page of the last column or row gets the rest of the
    // drawing, which may be nothing (the grid has one more column and row than it needs when the
    // drawing fills its pages exactly).
    PageSlice slice(int page) const;
    // Whether `margins` are not what this layout was made with (then paginate again).
    bool marginsChanged(const PrintMargins& margins) const;
};

// Lays a drawing of `image` view pixels out on the printer's pages inside `margins`, which are
// raised to the printer's bands and written back with the printer's measures. Throws PrintError
// with kNoImageToPrinter, kPaperSizeZero or kPixelPerMmZero, or saying so when the grid would have
// more than kMaxPrintPages pages.
PrintLayout paginate(draw::Size image, const PrinterGeometry& printer, PrintMargins& margins);

// The value a margin field shows: rounded to two decimals, 0 for anything not above 0, at most 9999.
double roundMargin(double millimetres);

// A margin field that lost the focus: rounded, then kept between the printer's band for that side
// and what leaves 10 mm of page between the opposite margins.
void clampMargins(PrintMargins& margins);

}  // namespace qm::detail
