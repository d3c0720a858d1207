// QtCanvas on a QImage: pixel coverage of shapes and lines, shading, clipping, inversion and
// text; QtTextMetrics against the installed fonts.
#include "draw/qt_canvas.h"
#include "draw/qt_text_metrics.h"
#include "draw/shape_painter.h"
#include "gui_test_support.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <functional>

namespace qm::draw {
namespace {

class QtCanvasTest : public ::testing::Test {
protected:
    void SetUp() override { ensureGuiApplication(); }

    // A white image of 100 x 80 pixels with `draw` run on a canvas over it.
    static QImage drawn(const std::function<void(Canvas&)>& draw)
    {
        QImage image(100, 80, QImage::Format_RGB32);
        image.fill(Qt::white);
        QPainter painter(&image);
        {
            QtCanvas canvas(painter);
            draw(canvas);
        }
        painter.end();
        return image;
    }

    static Rgb at(const QImage& image, int x, int y)
    {
        const QRgb pixel = image.pixel(x, y);
        return rgb(qRed(pixel), qGreen(pixel), qBlue(pixel));
    }
};

TEST_F(QtCanvasTest, ShapesCoverExactlyTheirBoxAndLinesStopBeforeTheirEnd)
{
    const QImage image = drawn([](Canvas& canvas) {
        canvas.setPen(Pen::solid(kBlack));
        canvas.setBrush(Brush::solid(rgb(255, 0, 0)));
        canvas.drawRect(Rect{10, 10, 5, 5});
        canvas.setPen(Pen::none());
        canvas.drawRect(Rect{30, 10, 5, 5});
        canvas.setPen(Pen::solid(rgb(0, 0, 255)));
        canvas.drawLine(Point{0, 40}, Point{10, 40});
        canvas.drawLine(Point{50, 50}, Point{50, 40});
        // A connector drawn as three lines, right, up, left: both corners are covered.
        canvas.drawLine(Point{60, 60}, Point{70, 60});
        canvas.drawLine(Point{70, 60}, Point{70, 50});
        canvas.drawLine(Point{70, 50}, Point{60, 50});
    });
    EXPECT_EQ(at(image, 10, 10), kBlack);
    EXPECT_EQ(at(image, 14, 14), kBlack);
    EXPECT_EQ(at(image, 12, 12), rgb(255, 0, 0));
    EXPECT_EQ(at(image, 15, 15), kWhite);
    EXPECT_EQ(at(image, 34, 14), rgb(255, 0, 0));
    EXPECT_EQ(at(image, 35, 14), kWhite);
    EXPECT_EQ(at(image, 0, 40), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 9, 40), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 10, 40), kWhite);
    EXPECT_EQ(at(image, 50, 50), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 50, 41), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 50, 40), kWhite);
    EXPECT_EQ(at(image, 70, 60), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 70, 50), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 61, 50), rgb(0, 0, 255));
    EXPECT_EQ(at(image, 60, 50), kWhite);
}

TEST_F(QtCanvasTest, ShadingStepsShowAsPixelsInsideTheShapeOnly)
{
    const QImage image = drawn([](Canvas& canvas) {
        ShapePainter painter(canvas, 1);
        EXPECT_EQ(painter.colourDepth(), 32);
        painter.shadedRect(Rect{10, 10, 30, 60}, rgb(200, 200, 230));
        painter.ellipseShape(Rect{50, 10, 40, 30}, rgb(240, 200, 200));
    });
    EXPECT_EQ(at(image, 20, 10), rgb(199, 199, 229));
    EXPECT_EQ(at(image, 20, 69), rgb(170, 170, 200));
    EXPECT_EQ(at(image, 39, 40), rgb(184, 184, 214));  // row 30 of 60: step 15
    EXPECT_EQ(at(image, 40, 40), kWhite);
    EXPECT_EQ(at(image, 20, 70), kWhite);
    EXPECT_EQ(at(image, 50, 10), kWhite) << "the corner of the ellipse's box stays as it was";
    EXPECT_EQ(at(image, 89, 39), kWhite);
    EXPECT_EQ(at(image, 70, 25), rgb(224, 184, 184));  // row 15 of 30: step 15
}

TEST_F(QtCanvasTest, ClipsNestAndTheClipBoxFollowsThem)
{
    const QImage image = drawn([](Canvas& canvas) {
        EXPECT_EQ(canvas.clipBox(), (Rect{0, 0, 100, 80}));
        canvas.pushClip(Outline::rectangle(Rect{10, 10, 50, 50}));
        canvas.pushClip(Outline::rectangle(Rect{30, 0, 50, 30}));
        EXPECT_EQ(canvas.clipBox(), (Rect{30, 10, 30, 20}));
        canvas.setPen(Pen::solid(rgb(0, 128, 0)));  // changed while clipped: kept after the pop
        canvas.fillRect(Rect{0, 0, 100, 80}, rgb(0, 0, 128));
        canvas.popClip();
        EXPECT_EQ(canvas.clipBox(), (Rect{10, 10, 50, 50}));
        canvas.popClip();
        EXPECT_EQ(canvas.clipBox(), (Rect{0, 0, 100, 80}));
        canvas.drawLine(Point{0, 79}, Point{100, 79});
        canvas.invertRect(Rect{0, 0, 5, 5});
    });
    EXPECT_EQ(at(image, 30, 10), rgb(0, 0, 128));
    EXPECT_EQ(at(image, 59, 29), rgb(0, 0, 128));
    EXPECT_EQ(at(image, 29, 20), kWhite);
    EXPECT_EQ(at(image, 60, 20), kWhite);
    EXPECT_EQ(at(image, 40, 30), kWhite);
    EXPECT_EQ(at(image, 50, 79), rgb(0, 128, 0));
    EXPECT_EQ(at(image, 2, 2), kBlack);  // white inverted
}

TEST_F(QtCanvasTest, ScrolledPainterReportsTheClipBoxInDiagramCoordinates)
{
    QImage image(100, 80, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.translate(-30, -20);  // the view scrolled to (30, 20)
    {
        QtCanvas whole(painter);
        EXPECT_EQ(whole.clipBox(), (Rect{30, 20, 100, 80}));
        QtCanvas part(painter, Rect{40, 20, 10, 10});  // a paint event's area
        EXPECT_EQ(part.clipBox(), (Rect{40, 20, 10, 10}));
        ShapePainter painterOnPart(part, 1);
        EXPECT_FALSE(painterOnPart.isVisible(Rect{0, 0, 10, 10}));
        whole.fillRect(Rect{30, 20, 1, 1}, rgb(1, 2, 3));
    }
    painter.end();
    EXPECT_EQ(at(image, 0, 0), rgb(1, 2, 3));
}

TEST_F(QtCanvasTest, TextIsDrawnFromItsTopLeftCornerAndClipped)
{
    const FontSpec font = FontSpec::cellPixels("Arial", 20);
    const QImage image = drawn([&](Canvas& canvas) {
        canvas.setFont(font);
        canvas.setBackgroundMode(BackgroundMode::Opaque);
        canvas.setBackgroundColor(rgb(180, 180, 255));
        canvas.drawText(Point{2, 2}, "HH");
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.drawTextClipped(Point{2, 40}, "HHHHHHHHHHHHHHHH", Rect{2, 40, 20, 20});
    });
    const Size size = QtTextMetrics().textSize(font, "HH");
    EXPECT_LE(size.height, 20);
    EXPECT_GE(size.height, 17);
    // Opaque background behind the text, and dark glyph pixels inside its box only.
    EXPECT_EQ(at(image, 2, 2), rgb(180, 180, 255));
    int darkInside = 0;
    for (int y = 2; y < 2 + size.height; ++y) {
        for (int x = 2; x < 2 + size.width; ++x) darkInside += at(image, x, y).r < 100;
    }
    EXPECT_GT(darkInside, 10);
    EXPECT_EQ(at(image, 2 + size.width + 1, 10), kWhite);
    int darkClipped = 0;
    int darkBeyond = 0;
    for (int y = 40; y < 60; ++y) {
        for (int x = 0; x < 100; ++x) (x < 22 ? darkClipped : darkBeyond) += at(image, x, y).r < 100;
    }
    EXPECT_GT(darkClipped, 10);
    EXPECT_EQ(darkBeyond, 0);
}

TEST_F(QtCanvasTest, MetricsOfTheInstalledFonts)
{
    const QtTextMetrics metrics;
    for (const int cell : {13, 17, 18, 20, 24, 30}) {
        const FontSpec font = FontSpec::cellPixels("Arial", cell);
        const Size empty = metrics.textSize(font, "");
        EXPECT_EQ(empty.width, 0);
        EXPECT_LE(empty.height, cell);
        EXPECT_GE(empty.height, cell - 2) << cell;
    }
    const FontSpec arial = FontSpec::points("Arial", 10);
    EXPECT_GT(metrics.textSize(arial, "Attributes").width, metrics.textSize(arial, "Etc.").width);
    EXPECT_GT(metrics.textSize(FontSpec::points("Arial", 10, true), "Namespace").width,
              metrics.textSize(arial, "Namespace").width - 1);
    const FontInfo mono = metrics.fontInfo(FontSpec::points("Courier New", 10));
    EXPECT_GT(mono.height, 0);
    EXPECT_GT(mono.ascent, 0);
    EXPECT_EQ(metrics.textSize(FontSpec::points("Courier New", 10), "iiii").width,
              metrics.textSize(FontSpec::points("Courier New", 10), "MMMM").width)
        << "the code font is monospaced";
}

}  // namespace
}  // namespace qm::draw
