// Pagination of a diagram on paper: the scale, the margins raised to the printer's bands, the page
// grid and each page's slice, and the margin fields' rounding and limits.
#include "detail/print_pagination.h"

#include <gtest/gtest.h>

namespace qm::detail {
namespace {

// A printer of 10 pixels per millimetre: an A4 page (210 x 297 mm) with unprintable bands of
// 5 mm left and top and 4 mm right and bottom.
PrinterGeometry a4()
{
    PrinterGeometry p;
    p.physicalWidth = 2100;
    p.physicalHeight = 2970;
    p.offsetX = 50;
    p.offsetY = 50;
    p.printableWidth = 2100 - 50 - 40;
    p.printableHeight = 2970 - 50 - 40;
    p.printableWidthMm = p.printableWidth / 10.0;
    p.printableHeightMm = p.printableHeight / 10.0;
    return p;
}

TEST(PrintPagination, AViewPixelIsAQuarterMillimetreOnEveryPrinter)
{
    PrintMargins margins;
    const PrintLayout layout = paginate({400, 300}, a4(), margins);
    EXPECT_DOUBLE_EQ(layout.scaleX, 2.5);
    EXPECT_EQ(layout.printedWidth, 1000);  // 100 mm
    EXPECT_EQ(layout.printedHeight, 750);  // 75 mm
    EXPECT_EQ(layout.pageCount(), 1);
    const PageSlice page = layout.slice(1);
    EXPECT_EQ(page.source.width, 400);
    EXPECT_EQ(page.source.height, 300);
    EXPECT_EQ(page.target.width, 1000);
}

TEST(PrintPagination, MarginsAreRaisedToTheBandsAndTheGridHasOneMoreColumnAndRow)
{
    PrintMargins margins;  // top 10, bottom 10, left 3, right 3
    PrintLayout layout = paginate({4000, 3000}, a4(), margins);
    EXPECT_EQ(layout.marginLeft, 50);   // 3 mm is inside the 5 mm band
    EXPECT_EQ(layout.marginRight, 40);
    EXPECT_EQ(layout.marginTop, 100);
    EXPECT_DOUBLE_EQ(margins.left, 5.0);  // written back, as the margin dialog then shows
    EXPECT_DOUBLE_EQ(margins.right, 4.0);
    EXPECT_DOUBLE_EQ(margins.pageWidth, 210.0);
    EXPECT_EQ(layout.cellWidth, 2010 - 40 - 50);
    EXPECT_EQ(layout.pagesAcross, 10000 / 1920 + 1);
    EXPECT_EQ(layout.pagesDown, 7500 / (2880 - 100 - 100) + 1);
    EXPECT_FALSE(layout.marginsChanged(margins));

    // Page 2 is the second column of the first row; the last column gets the rest.
    const PageSlice second = layout.slice(2);
    EXPECT_EQ(second.source.left, 1920 * 10 / 25);
    EXPECT_EQ(second.source.top, 0);
    const PageSlice last = layout.slice(layout.pageCount());
    EXPECT_EQ(last.target.width, 10000 % 1920);
    EXPECT_EQ(last.target.height, 7500 % 2680);

    // A drawing that fills its pages exactly still gets the extra column, with empty slices.
    PrintMargins exact;
    exact.left = exact.right = 5;
    exact.top = exact.bottom = 10;
    const PrinterGeometry printer = a4();
    const int cell = printer.printableWidth - 50 - 50;
    layout = paginate({cell * 2 * 10 / 25, 100}, printer, exact);
    EXPECT_EQ(layout.pagesAcross, 3);
    EXPECT_EQ(layout.slice(3).target.width, 0);

    // New margins change the grid.
    margins.left = margins.right = 50;
    EXPECT_TRUE(layout.marginsChanged(margins));
    EXPECT_GT(paginate({4000, 3000}, a4(), margins).pagesAcross, 6);
}

TEST(PrintPagination, NothingToPrintOrNoPaperIsSaidOnce)
{
    PrintMargins margins;
    const auto failure = [&](draw::Size image, PrinterGeometry printer) {
        try {
            paginate(image, printer, margins);
        } catch (const PrintError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure({0, 300}, a4()), "Printer Error : No Image To Printer.");
    EXPECT_EQ(failure({3, 300}, a4()), "Printer Error : No Image To Printer.");  // under a millimetre
    PrinterGeometry noPaper = a4();
    noPaper.printableWidth = 0;
    EXPECT_EQ(failure({400, 300}, noPaper), "Printer Error : Paper Size is Zero.");
    PrinterGeometry noSize = a4();
    noSize.printableHeightMm = 0;
    EXPECT_EQ(failure({400, 300}, noSize), "Printer Error : Printer Pixel/mm is Zero.");
    // Margins that leave a pixel of page would make millions of pages.
    margins.left = 100;
    margins.right = 106;
    EXPECT_EQ(failure({4000, 3000}, a4()).rfind("Printer Error : ", 0), 0u);
}

TEST(PrintPagination, MarginFieldsAreRoundedAndKeptOnThePage)
{
    EXPECT_DOUBLE_EQ(roundMargin(3.14159), 3.14);
    EXPECT_DOUBLE_EQ(roundMargin(-2), 0);
    EXPECT_DOUBLE_EQ(roundMargin(123456), 9999);
    PrintMargins margins;
    paginate({400, 300}, a4(), margins);
    margins.left = 1;      // inside the band
    margins.top = 500;     // larger than the page
    clampMargins(margins);
    EXPECT_DOUBLE_EQ(margins.left, 5.0);
    EXPECT_DOUBLE_EQ(margins.top, 297.0 - margins.bottom - 10);
    // Without a printer measured, only the rounding applies.
    PrintMargins fresh;
    fresh.left = 2.346;
    clampMargins(fresh);
    EXPECT_DOUBLE_EQ(fresh.left, 2.35);
}

}  // namespace
}  // namespace qm::detail
