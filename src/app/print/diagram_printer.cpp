#include "app/print/diagram_printer.h"

#include "app/print/margin_dialog.h"
#include "draw/qt_canvas.h"

#include <QAction>
#include <QPageSetupDialog>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QToolBar>

#include <exception>
#include <stdexcept>
#include <string>

namespace qm::app {

namespace {

QString toQString(std::string_view text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace

detail::PrinterGeometry printerGeometry(QPrinter& printer)
{
    detail::PrinterGeometry g;
    const QRect page = printer.pageRect(QPrinter::DevicePixel).toRect();
    const QRect paper = printer.paperRect(QPrinter::DevicePixel).toRect();
    g.printableWidth = page.width();
    g.printableHeight = page.height();
    g.printableWidthMm = printer.pageRect(QPrinter::Millimeter).width();
    g.printableHeightMm = printer.pageRect(QPrinter::Millimeter).height();
    g.offsetX = page.left() - paper.left();
    g.offsetY = page.top() - paper.top();
    g.physicalWidth = paper.width();
    g.physicalHeight = paper.height();
    return g;
}

DiagramPrinter::DiagramPrinter(UserPrompts& prompts, QObject* parent)
    : QObject(parent), m_prompts(prompts), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution))
{
}

DiagramPrinter::~DiagramPrinter() = default;

bool DiagramPrinter::hasImage(PrintableView& view)
{
    const draw::Size size = view.printSize();
    if (size.width <= 0 || size.height <= 0) {
        m_prompts.message(toQString(view.noImageMessage()));
        return false;
    }
    return true;
}

bool DiagramPrinter::printTo(QPrinter& printer, PrintableView& view)
{
    try {
        m_layout = detail::paginate(view.printSize(), printerGeometry(printer), m_margins);
    } catch (const detail::PrintError& e) {
        m_prompts.message(QString::fromUtf8(e.what()));
        return false;
    }
    QPainter painter;
    if (!painter.begin(&printer)) {
        m_prompts.message(toQString(detail::kUnknownPrinterError));
        return false;
    }
    try {
        for (int page = 1; page <= m_layout.pageCount(); ++page) {
            if (page > 1 && !printer.newPage()) {
                throw std::runtime_error(std::string(detail::kUnknownPrinterError));
            }
            const detail::PageSlice slice = m_layout.slice(page);
            if (slice.source.isEmpty() || slice.target.isEmpty()) {
                continue;  // the extra column or row of an exactly filled grid
            }
            painter.save();
            // The painter's origin is the printable area's corner.
            painter.translate(slice.target.left, slice.target.top);
            painter.setClipRect(0, 0, slice.target.width, slice.target.height);
            painter.scale(m_layout.scaleX, m_layout.scaleY);
            painter.translate(-slice.source.left, -slice.source.top);
            painter.fillRect(QRect(slice.source.left, slice.source.top, slice.source.width, slice.source.height),
                             QColor(view.printBackground().r, view.printBackground().g, view.printBackground().b));
            draw::QtCanvas canvas(painter, slice.source);
            view.printSlice(canvas);
            painter.restore();
        }
    } catch (const std::exception& e) {
        painter.end();
        m_prompts.message(QString::fromUtf8(e.what()));
        return false;
    }
    painter.end();
    return true;
}

void DiagramPrinter::print(PrintableView& view, QWidget* parent)
{
    if (!hasImage(view)) {
        return;
    }
    QPrintDialog dialog(m_printer.get(), parent);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    printTo(*m_printer, view);
}

void DiagramPrinter::printPreview(PrintableView& view, QWidget* parent)
{
    if (!hasImage(view)) {
        return;
    }
    QPrintPreviewDialog preview(m_printer.get(), parent);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this, &view](QPrinter* printer) { printTo(*printer, view); });
    // "&Margin": new margins, and the pages laid out again with them.
    auto* margin = new QAction(QStringLiteral("&Margin"), &preview);
    margin->setObjectName(QStringLiteral("Margin"));
    connect(margin, &QAction::triggered, &preview, [this, &preview] {
        MarginDialog dialog(m_margins, &preview);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
        m_margins = dialog.margins();
        if (auto* widget = preview.findChild<QPrintPreviewWidget*>()) {
            widget->updatePreview();
        }
    });
    if (auto* bar = preview.findChild<QToolBar*>()) {
        bar->addSeparator();
        bar->addAction(margin);
    } else {
        preview.addAction(margin);
    }
    preview.exec();
}

void DiagramPrinter::printSetup(QWidget* parent)
{
    QPageSetupDialog dialog(m_printer.get(), parent);
    dialog.exec();
}

}  // namespace qm::app
