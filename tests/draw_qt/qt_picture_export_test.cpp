// Writing drawings to PNG, SVG and PDF files, and refusing what cannot be written.
#include "draw/qt_picture_export.h"
#include "draw/shape_painter.h"
#include "gui_test_support.h"

#include <QImage>
#include <QImageReader>
#include <QXmlStreamReader>

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace qm::draw {
namespace {

namespace fs = std::filesystem;

class PictureExportTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ensureGuiApplication();
        m_folder = fs::temp_directory_path() / ("qm_draw_qt_" + std::to_string(::getpid()) + "_" +
                                                ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_folder);
        fs::create_directories(m_folder);
    }
    void TearDown() override { fs::remove_all(m_folder); }

    static std::string contents(const fs::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream out;
        out << in.rdbuf();
        return out.str();
    }

    // A small flowchart-like drawing: a shaded box, a hexagon, a connector and a caption.
    static void sample(Canvas& canvas)
    {
        ShapePainter painter(canvas, 1);
        painter.shadedRect(Rect{10, 10, 60, 30}, rgb(200, 200, 230));
        painter.hexagon(Rect{10, 60, 60, 30}, rgb(230, 230, 200));
        canvas.setPen(Pen::solid(rgb(128, 128, 0)));
        painter.line(Point{40, 40}, Point{40, 60});
        painter.arrowHead(Point{40, 60}, 4, ArrowDirection::Down, true);
        canvas.setFont(FontSpec::cellPixels("Arial", 13));
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.drawText(Point{14, 16}, "x = 1;");
    }

    fs::path m_folder;
};

TEST_F(PictureExportTest, PngKeepsThePixelsOfTheDrawing)
{
    const fs::path path = m_folder / "chart.PNG";
    exportPicture(path, Size{120, 100}, sample, rgb(250, 250, 250));
    QImage image;
    ASSERT_TRUE(image.load(QString::fromStdString(path.string()), "PNG"));
    EXPECT_EQ(image.size(), QSize(120, 100));
    EXPECT_EQ(image.pixel(60, 10), qRgb(199, 199, 229));
    EXPECT_EQ(image.pixel(60, 39), qRgb(170, 170, 200));
    EXPECT_EQ(image.pixel(5, 5), qRgb(250, 250, 250));
    EXPECT_EQ(image.pixel(40, 50), qRgb(128, 128, 0));
    EXPECT_EQ(image.pixel(11, 61), qRgb(250, 250, 250)) << "outside the hexagon's left corner";
    EXPECT_EQ(image.pixel(40, 61), qRgb(229, 229, 199));
    EXPECT_TRUE(fs::is_regular_file(path));
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1)
        << "no temporary file is left behind";
}

TEST_F(PictureExportTest, SvgIsWellFormedAndDrawsTheShading)
{
    const fs::path path = m_folder / "chart.svg";
    exportPicture(path, Size{120, 100}, sample);
    const std::string svg = contents(path);
    QXmlStreamReader xml(QByteArray::fromStdString(svg));
    bool sawSvg = false;
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QStringLiteral("svg")) sawSvg = true;
    }
    EXPECT_FALSE(xml.hasError()) << xml.errorString().toStdString();
    EXPECT_TRUE(sawSvg);
    EXPECT_NE(svg.find("#c7c7e5"), std::string::npos) << "the first step RGB(199,199,229)";

    if (QImageReader::supportedImageFormats().contains("svg")) {
        QImage image;
        ASSERT_TRUE(image.load(QString::fromStdString(path.string())));
        EXPECT_EQ(image.size(), QSize(120, 100));
        EXPECT_EQ(image.pixel(60, 20), qRgb(189, 189, 219));  // row 10 of 30: step 10
    }
}

TEST_F(PictureExportTest, SvgShowsTheShapesAndCutTextsThatPngShows)
{
    if (!QImageReader::supportedImageFormats().contains("svg")) {
        GTEST_SKIP() << "no SVG reader to render the picture back";
    }
    // Shaded shapes whose colour steps are cut to their outlines, and a statement cut at the
    // edge of its box and followed by the cut marker, as the flowchart draws them.
    const auto draw = [](Canvas& canvas) {
        ShapePainter painter(canvas, 1);
        painter.hexagon(Rect{10, 10, 80, 40}, rgb(230, 230, 200));
        painter.ellipseShape(Rect{100, 10, 80, 40}, rgb(240, 200, 200));
        painter.roundBox(Rect{190, 10, 80, 40}, rgb(200, 230, 230));
        canvas.setFont(FontSpec::cellPixels("Arial", 13));
        canvas.setBackgroundMode(BackgroundMode::Transparent);
        canvas.drawTextClipped(Point{12, 70}, "WWWWWWWWWWWWWWWWWWWWWWWW", Rect{12, 70, 50, 16});
        canvas.drawText(Point{64, 70}, "..");
    };
    const Size size{300, 100};
    const std::string png = renderPicture(PictureFormat::Png, size, draw);
    const std::string svg = renderPicture(PictureFormat::Svg, size, draw);
    const QImage fromPng = QImage::fromData(QByteArray::fromStdString(png), "PNG");
    const QImage fromSvg = QImage::fromData(QByteArray::fromStdString(svg), "SVG").convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(fromSvg.size(), fromPng.size());
    const auto near = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 6 && std::abs(qGreen(a) - qGreen(b)) <= 6 && std::abs(qBlue(a) - qBlue(b)) <= 6;
    };
    // Inside each shape and outside its outline in the corners of its box.
    for (const QPoint p : {QPoint(50, 30), QPoint(140, 30), QPoint(230, 30), QPoint(12, 12), QPoint(102, 12),
                           QPoint(191, 11), QPoint(88, 47), QPoint(178, 48), QPoint(268, 48)}) {
        EXPECT_TRUE(near(fromPng.pixel(p), fromSvg.pixel(p)))
            << p.x() << "," << p.y() << ": PNG " << std::hex << fromPng.pixel(p) << ", SVG " << fromSvg.pixel(p);
    }
    EXPECT_EQ(fromPng.pixel(12, 12), qRgb(255, 255, 255));
    // The text shows up to the edge of its clip and not beyond the marker.
    const auto inked = [](const QImage& image, int left, int right) {
        for (int x = left; x < right; ++x) {
            for (int y = 70; y < 86; ++y) {
                if (qGray(image.pixel(x, y)) < 128) return true;
            }
        }
        return false;
    };
    EXPECT_TRUE(inked(fromPng, 12, 62));
    EXPECT_TRUE(inked(fromSvg, 12, 62));
    EXPECT_FALSE(inked(fromPng, 80, 300));
    EXPECT_FALSE(inked(fromSvg, 80, 300));
    // The characters that show whole stay text; the whole statement is not in the file.
    EXPECT_NE(svg.find("WWW"), std::string::npos);
    EXPECT_EQ(svg.find("WWWWWWWWWWWWWWWWWWWWWWWW"), std::string::npos);
}

TEST_F(PictureExportTest, PdfIsOnePageOfTheDrawingsSize)
{
    const fs::path path = m_folder / "chart.pdf";
    exportPicture(path, Size{120, 100}, sample);
    const std::string pdf = contents(path);
    ASSERT_GT(pdf.size(), 100u);
    EXPECT_EQ(pdf.substr(0, 5), "%PDF-");
    EXPECT_NE(pdf.find("%%EOF"), std::string::npos);
    const std::size_t box = pdf.find("/MediaBox [0 0 ");
    ASSERT_NE(box, std::string::npos);
    const std::string corner = pdf.substr(box, pdf.find(']', box) - box);
    EXPECT_NE(corner.find(" 90"), std::string::npos) << corner << ": 120 x 100 pixels at 96 per inch";
    EXPECT_NE(corner.find(" 75"), std::string::npos) << corner;
}

TEST_F(PictureExportTest, RefusesUnknownEndingsAndSizesWithoutTouchingTheFile)
{
    const fs::path text = m_folder / "chart.txt";
    try {
        exportPicture(text, Size{10, 10}, sample);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), text.string() + " : unknown picture type (use .png, .svg or .pdf)");
    }
    EXPECT_THROW(pictureFormatFor("chart"), Error);
    EXPECT_EQ(pictureFormatFor("a/b.Svg"), PictureFormat::Svg);
    EXPECT_FALSE(fs::exists(text));

    const fs::path png = m_folder / "chart.png";
    try {
        exportPicture(png, Size{0, 10}, sample);
        FAIL() << "no exception";
    } catch (const Error& e) {
        EXPECT_EQ(std::string(e.what()), "cannot draw a picture of 0x10 pixels");
    }
    EXPECT_THROW(exportPicture(png, Size{100000, 100000}, sample), Error);
    EXPECT_FALSE(fs::exists(png));
}

TEST_F(PictureExportTest, AFailedDrawingOrWriteLeavesTheOldFileWhole)
{
    const fs::path path = m_folder / "chart.png";
    { std::ofstream(path) << "old picture"; }
    EXPECT_THROW(exportPicture(path, Size{20, 20}, [](Canvas&) { throw std::runtime_error("broken"); }),
                 std::runtime_error);
    EXPECT_EQ(contents(path), "old picture");

    const fs::path missing = m_folder / "no such folder" / "chart.pdf";
    try {
        exportPicture(missing, Size{20, 20}, sample);
        FAIL() << "no exception";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), missing.string() + " : cannot write file");
    }
    EXPECT_EQ(std::distance(fs::directory_iterator(m_folder), fs::directory_iterator()), 1);
}

}  // namespace
}  // namespace qm::draw
