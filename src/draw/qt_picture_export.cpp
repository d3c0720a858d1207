// Pictures of a drawing: PNG through QImage, SVG through QSvgGenerator, PDF through QPdfWriter,
// rendered in memory and then written to the file in one atomic step.
#include "draw/qt_picture_export.h"

#include "draw/qt_canvas.h"
#include "frontend/atomic_file.h"

#include <QBuffer>
#include <QByteArray>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSvgGenerator>

#include <sstream>

namespace qm::draw {

namespace {

// Vector pages are laid out at the screen's 96 pixels per inch, so a pixel of the diagram is
// 0.75 point on the page.
constexpr int kVectorResolution = 96;
// Larger pictures would need gigabytes of memory as images.
constexpr long long kMaxPixels = 400LL * 1000 * 1000;

std::string sizeText(Size size)
{
    std::ostringstream out;
    out << size.width << 'x' << size.height;
    return out.str();
}

void checkCanRender(Size size)
{
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        throw Error("cannot draw a picture without a running QGuiApplication");
    }
    if (size.width <= 0 || size.height <= 0) {
        throw Error("cannot draw a picture of " + sizeText(size) + " pixels");
    }
    if (static_cast<long long>(size.width) * size.height > kMaxPixels) {
        throw Error("picture of " + sizeText(size) + " pixels is too large");
    }
}

// Fills the background and runs the drawing on a canvas over `device`.
void paintOn(QPaintDevice& device, Size size, const DrawFunction& draw, Rgb background)
{
    QPainter painter;
    if (!painter.begin(&device)) {
        throw Error("cannot draw a picture of " + sizeText(size) + " pixels");
    }
    painter.fillRect(QRect(0, 0, size.width, size.height), QColor(background.r, background.g, background.b));
    {
        QtCanvas canvas(painter, Rect{0, 0, size.width, size.height});
        draw(canvas);
    }
    painter.end();
}

QByteArray renderPng(Size size, const DrawFunction& draw, Rgb background)
{
    QImage image(size.width, size.height, QImage::Format_RGB32);
    if (image.isNull()) {
        throw Error("picture of " + sizeText(size) + " pixels is too large");
    }
    paintOn(image, size, draw, background);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        throw Error("cannot encode the picture as PNG");
    }
    return bytes;
}

// The generator gives the picture's size in millimetres, which viewers turn back into pixels at
// differing resolutions. The root element gets the size in pixels instead, so the picture opens
// at exactly the drawing's size everywhere.
QByteArray withPixelSize(QByteArray svg, Size size)
{
    const qsizetype root = svg.indexOf("<svg");
    const qsizetype rootEnd = root < 0 ? -1 : svg.indexOf('>', root);
    if (rootEnd < 0) return svg;
    QByteArray tag = svg.mid(root, rootEnd - root);
    static const QRegularExpression width(QStringLiteral(R"( width="[^"]*")"));
    static const QRegularExpression height(QStringLiteral(R"( height="[^"]*")"));
    QString text = QString::fromUtf8(tag);
    text.replace(width, QStringLiteral(" width=\"%1\"").arg(size.width));
    text.replace(height, QStringLiteral(" height=\"%1\"").arg(size.height));
    svg.replace(root, rootEnd - root, text.toUtf8());
    return svg;
}

QByteArray renderSvg(Size size, const DrawFunction& draw, Rgb background)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QSvgGenerator generator;
    generator.setOutputDevice(&buffer);
    generator.setSize(QSize(size.width, size.height));
    generator.setViewBox(QRect(0, 0, size.width, size.height));
    generator.setResolution(kVectorResolution);
    generator.setTitle(QStringLiteral("Quillmarsh diagram"));
    paintOn(generator, size, draw, background);
    buffer.close();
    return withPixelSize(bytes, size);
}

QByteArray renderPdf(Size size, const DrawFunction& draw, Rgb background)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setResolution(kVectorResolution);
        writer.setCreator(QStringLiteral("Quillmarsh"));
        const QSizeF points(size.width * 72.0 / kVectorResolution, size.height * 72.0 / kVectorResolution);
        writer.setPageLayout(QPageLayout(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch),
                                         QPageLayout::Portrait, QMarginsF(0, 0, 0, 0)));
        paintOn(writer, size, draw, background);
    }
    return bytes;
}

}  // namespace

std::string renderPicture(PictureFormat format, Size size, const DrawFunction& draw, Rgb background)
{
    checkCanRender(size);
    QByteArray bytes;
    switch (format) {
    case PictureFormat::Png: bytes = renderPng(size, draw, background); break;
    case PictureFormat::Svg: bytes = renderSvg(size, draw, background); break;
    case PictureFormat::Pdf: bytes = renderPdf(size, draw, background); break;
    }
    return bytes.toStdString();
}

void exportPicture(const std::filesystem::path& path, Size size, const DrawFunction& draw, Rgb background)
{
    const PictureFormat format = pictureFormatFor(path);
    const std::string bytes = renderPicture(format, size, draw, background);
    frontend::writeFileAtomically(path, bytes);
}

}  // namespace qm::draw
