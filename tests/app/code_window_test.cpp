// The code window as the main window drives it, the editor it starts, and printing and picture
// export of the diagram views, on the offscreen platform.
#include "frame_test_support.h"

#include "app/code_window_dialog.h"
#include "app/code_wnd.h"
#include "app/editor_launcher.h"
#include "app/print/diagram_printer.h"
#include "app/print/margin_dialog.h"
#include "detail/flow_picture.h"
#include "draw/qt_text_metrics.h"

#include <QCheckBox>
#include <QImage>
#include <QPushButton>
#include <QDoubleSpinBox>
#include <QPrinter>
#include <QToolButton>

#include <gmock/gmock.h>

#include <thread>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::HasSubstr;

std::string readAll(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST_F(FrameTest, TheCodeWindowShowsFilesAsTheySayAndKeepsItsTextOnFailure)
{
    open();
    CodeWindowDialog& code = *frame->codeWindow();
    EXPECT_EQ(code.objectName().toStdString(), "Code Window");
    EXPECT_EQ(code.codeText()->objectName().toStdString(), "Code Text");
    const std::string a = write("code/a.cpp", "int a;\r\nint b;\r\n");
    ASSERT_TRUE(code.openFile(a));
    EXPECT_EQ(code.windowTitle().toStdString(), a);
    EXPECT_EQ(code.codeText()->model().text(), "int a;\nint b;\n\n");  // carriage returns removed
    EXPECT_FALSE(code.openFile(a));                                     // the same file: nothing

    // An empty or missing file keeps the text and takes the title.
    const std::string empty = write("code/empty.cpp", "");
    EXPECT_FALSE(code.openFile(empty));
    EXPECT_EQ(code.windowTitle().toStdString(), empty);
    EXPECT_EQ(code.codeText()->model().text(), "int a;\nint b;\n\n");
    EXPECT_FALSE(code.openFile(file("code/gone.cpp")));
    // Binary bytes are shown, not refused.
    ASSERT_TRUE(code.openFile(write("code/blob.bin", std::string("\x00\x01\xff\xfe" "abc", 7))));

    code.clear(false);
    EXPECT_EQ(code.codeText()->model().text(), " \n\n");
    EXPECT_FALSE(code.windowTitle().isEmpty());
    code.clear(true);
    EXPECT_TRUE(code.windowTitle().isEmpty());

    // F9 shows and hides it, with the "Code" check and the setting.
    QTest::keyClick(frame.get(), Qt::Key_F9);
    EXPECT_TRUE(code.isVisible());
    EXPECT_TRUE(frame->controlBar()->code->isChecked());
    EXPECT_TRUE(settings->values.showCode);
    frame->controlBar()->code->click();
    EXPECT_FALSE(code.isVisible());
    EXPECT_FALSE(settings->values.showCode);
}

TEST_F(FrameTest, PickingShowsTheSourceAndHoveringMarksTheStatement)
{
    open();
    ASSERT_TRUE(frame->openProjectFile(QString::fromStdString(exampleProject())));
    frame->showCodeWindow(true);
    frame->draw();
    ASSERT_TRUE(waitForRunEnd());
    frame->unfoldAll();
    ASSERT_NE(clickBox("fromString"), nullptr);
    CodeWindowDialog& code = *frame->codeWindow();
    EXPECT_THAT(code.currentPath(), HasSubstr("money.cpp"));
    const detail::CodeView& text = code.codeText()->model();
    ASSERT_GE(text.selectedFirst(), 0);
    EXPECT_GT(text.selectedLast(), text.selectedFirst());  // the function's lines

    // The mouse over the flowchart's first shape marks that statement's lines only.
    CDetailView& detail = *frame->detailView();
    detail.viewport()->repaint();
    const detail::Flowchart* chart = detail.model().flowchart();
    ASSERT_NE(chart, nullptr);
    const QPoint shape(chart->startColumn() * chart->parameters().cellWidth + 10 - detail.horizontalScrollBar()->value(),
                       chart->parameters().cellHeight + 10 - detail.verticalScrollBar()->value());
    const int functionFirst = text.selectedFirst();
    QMouseEvent move(QEvent::MouseMove, QPointF(shape), detail.viewport()->mapToGlobal(QPointF(shape)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(detail.viewport(), &move);
    detail.viewport()->repaint();
    EXPECT_NE(detail.model().shownElement(), nullptr);
    EXPECT_GE(text.selectedFirst(), functionFirst);
    EXPECT_LT(text.selectedLast() - text.selectedFirst(), 10);

    // A new project forgets the file and the title.
    frame->newProject();
    EXPECT_TRUE(code.windowTitle().isEmpty());
}

TEST(EditorLauncher, TheFileIsOneArgumentAndFailuresNameTheProgram)
{
    ensureApplication();
    const fs::path dir = fs::temp_directory_path() / ("qm-editor-" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const fs::path out = dir / "args.txt";
    const fs::path script = dir / "record.sh";
    std::ofstream(script) << "#!/bin/sh\nfor a in \"$@\"; do printf '[%s]' \"$a\"; done > '" << out.string() << "'\n";
    fs::permissions(script, fs::perms::owner_all);
    // The setting's own words are split as a shell splits them; the file stays one word.
    const QString file = QString::fromStdString((dir / "my file; rm -rf x.cpp").string());
    EXPECT_EQ(launchEditor(QStringLiteral("'%1' --line 1").arg(QString::fromStdString(script.string())), file), QString());
    ASSERT_TRUE(waitUntil([&] { return fs::exists(out) && fs::file_size(out) > 0; }, 20));
    EXPECT_EQ(readAll(out.string()), "[--line][1][" + file.toStdString() + "]");

    EXPECT_EQ(launchEditor(QStringLiteral("no-such-editor-qm"), file).toStdString(),
              "\"no-such-editor-qm\"  file was not found. \r\ncheck option.");
    EXPECT_EQ(launchEditor(QStringLiteral("/no/such/dir/ed"), file).toStdString(),
              "\"/no/such/dir/ed\"  path was not found. \r\ncheck option.");
    EXPECT_EQ(launchEditor(QString::fromStdString(out.string()), file).toStdString(),
              "\"" + out.string() + "\"  file is invalid. ");
    EXPECT_THAT(launchEditor(QString(), file).toStdString(), HasSubstr("file was not found."));
    fs::remove_all(dir);
}

// A drawing of a given size: a frame around it and a cross, drawn only where the canvas shows.
class FakeDiagram final : public PrintableView {
public:
    explicit FakeDiagram(draw::Size size) : m_size(size) {}
    draw::Size printSize() const override { return m_size; }
    draw::Rgb printBackground() const override { return draw::kWhite; }
    void printSlice(draw::Canvas& canvas) override
    {
        ++slices;
        canvas.drawRect({0, 0, m_size.width, m_size.height});
        canvas.drawLine({0, 0}, {m_size.width, m_size.height});
    }
    std::string_view noImageMessage() const override { return "Flow-view have No Image to print."; }
    int slices = 0;

private:
    draw::Size m_size;
};

int pdfPages(const std::string& path)
{
    const std::string pdf = readAll(path);
    int pages = 0;
    for (std::size_t at = pdf.find("/Type /Page"); at != std::string::npos; at = pdf.find("/Type /Page", at + 1)) {
        pages += pdf.compare(at, 12, "/Type /Pages") != 0;
    }
    return pages;
}

TEST_F(FrameTest, DiagramsPrintAcrossPagesInsideTheMarginsAndExportAsPictures)
{
    open();
    DiagramPrinter& printer = frame->diagramPrinter();
    QPrinter pdf(QPrinter::HighResolution);
    pdf.setOutputFormat(QPrinter::PdfFormat);
    pdf.setPageSize(QPageSize(QPageSize::A4));

    // 400 x 300 view pixels print 100 x 75 mm, on one page.
    pdf.setOutputFileName(QString::fromStdString(file("small.pdf")));
    FakeDiagram small({400, 300});
    ASSERT_TRUE(printer.printTo(pdf, small));
    const detail::PrintLayout& layout = printer.lastLayout();
    EXPECT_NEAR(layout.printedWidth / layout.pixelsPerMmX, 100.0, 0.5);
    EXPECT_NEAR(layout.printedHeight / layout.pixelsPerMmY, 75.0, 0.5);
    EXPECT_EQ(layout.pageCount(), 1);
    EXPECT_EQ(pdfPages(file("small.pdf")), 1);

    // A large drawing goes across pages, each drawn for its slice.
    pdf.setOutputFileName(QString::fromStdString(file("large.pdf")));
    FakeDiagram large({3000, 2000});
    ASSERT_TRUE(printer.printTo(pdf, large));
    const int pages = printer.lastLayout().pageCount();
    EXPECT_GT(pages, 4);
    EXPECT_EQ(pdfPages(file("large.pdf")), pages);
    EXPECT_LE(large.slices, pages);

    // Wider margins, more pages.
    printer.margins().left = printer.margins().right = 60;
    ASSERT_TRUE(printer.printTo(pdf, large));
    EXPECT_GT(printer.lastLayout().pageCount(), pages);

    // The margin dialog keeps its fields on the page.
    MarginDialog margins(printer.margins());
    margins.left()->setValue(500);
    margins.left()->editingFinished();
    EXPECT_LE(margins.left()->value(), printer.margins().pageWidth - printer.margins().right - 10 + 0.01);

    // Empty views refuse, with their messages.
    frame->printDiagram();
    EXPECT_THAT(prompts.messages, ::testing::Contains("Macro-view have No Image to print."));
    QTest::mouseClick(frame->detailView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    frame->exportPicture();
    EXPECT_THAT(prompts.messages, ::testing::Contains("Flow-view have No Image to print."));

    // The macro diagram of the example, exported as each kind of picture.
    ASSERT_TRUE(frame->openProjectFile(QString::fromStdString(exampleProject())));
    frame->draw();
    ASSERT_TRUE(waitForRunEnd());
    QTest::mouseClick(frame->totalView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    for (const char* name : {"macro.png", "macro.svg", "macro.pdf"}) {
        prompts.files = {QString::fromStdString(file(name))};
        frame->exportPicture();
        EXPECT_GT(fs::file_size(file(name)), 100u) << name;
    }
    pdf.setOutputFileName(QString::fromStdString(file("macro-print.pdf")));
    ASSERT_TRUE(printer.printTo(pdf, *frame->totalView()));
    EXPECT_GE(pdfPages(file("macro-print.pdf")), 1);

    // The flowchart of Order::advance reaches left of its first column (its case labels are wider
    // than their boxes): paper and pictures show all of it, with a small margin of white.
    frame->controlBar()->unfold->click();
    ASSERT_NE(clickBox("advance"), nullptr);
    frame->detailView()->viewport()->repaint();
    ASSERT_NE(frame->detailView()->model().flowchart(), nullptr);
    const draw::Size printed = frame->detailView()->printSize();
    const draw::QtTextMetrics metrics;
    EXPECT_EQ(printed.width, frame->detailView()->model().pictureArea(metrics).width);
    EXPECT_LT(frame->detailView()->model().pictureArea(metrics).left, 0);
    // The flow view becomes the diagram that the export takes.
    QTest::mouseClick(frame->detailView()->viewport(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
    prompts.files = {QString::fromStdString(file("advance.png"))};
    frame->exportPicture();
    QImage flow;
    ASSERT_TRUE(flow.load(QString::fromStdString(file("advance.png"))));
    EXPECT_EQ(flow.width(), printed.width);
    const auto inkInColumns = [&flow](int from, int to) {
        for (int x = from; x < to; ++x) {
            for (int y = 0; y < flow.height(); ++y) {
                if (flow.pixel(x, y) != qRgb(255, 255, 255)) return true;
            }
        }
        return false;
    };
    EXPECT_FALSE(inkInColumns(0, detail::kPictureMargin));
    EXPECT_TRUE(inkInColumns(detail::kPictureMargin, detail::kPictureMargin + 4));
    EXPECT_FALSE(inkInColumns(flow.width() - detail::kPictureMargin, flow.width()));
}

}  // namespace
}  // namespace qm::app
