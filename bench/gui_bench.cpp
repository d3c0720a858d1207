// The desktop program under load, on Qt's offscreen platform: the main window shown at 1600 x
// 1000 while a run analyses the corpus (JUCE's modules by default).
//
//   responsiveness  a 10 ms timer on the user-interface thread during the run: the longest gap
//                   between two ticks (target: at most 100 ms)
//   stop            20 runs stopped at random moments: the time from the request until the run
//                   has ended (target: 99th percentile at most 200 ms)
//   repaint         the unfolded macro diagram of the corpus, one repaint of the whole window at
//                   ten scroll positions, against a plain fill of the same area (target: at most
//                   1/60 s a repaint)
//   memory          the peak memory of the program after drawing the corpus against that of
//                   `quillmarsh-cli analyze` over the same folder, each in a child process of its
//                   own (target: at most 1.2)
//   code window     a generated 5 MB source opened in the code window (read, colour, first paint)
//                   against analysing it; a repaint after scrolling in it against the same in a
//                   5 KB file (targets: below 1 and about 1)
//   printing        the unfolded diagram printed to PDF against drawing it on screen: peak memory
//                   of two child processes (target: below 1.5)
//
// --smoke runs each part once over a few generated files (the CTest smoke test); --corpus=DIR
// names another folder; --only=PART,... runs only those parts (responsiveness, repaint, stop,
// code, memory, printing; stop and repaint run after the responsiveness run, which they need). Times of the user-interface thread are its CPU time, so other programs on
// the machine do not count; gaps and stop latencies are wall-clock time, as a user sees them.
#include "app/code_window_dialog.h"
#include "app/code_wnd.h"
#include "app/control_bar.h"
#include "app/print/diagram_printer.h"
#include "app/main_frame.h"
#include "app/pane_splitter.h"
#include "app/total_view.h"
#include "app/user_prompts.h"
#include "bench_support.h"
#include "parser/make_analysis_engine.h"
#include "settings/app_settings.h"
#include "settings/settings_store.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QPainter>
#include <QPrinter>
#include <QScrollBar>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <iostream>
#include <random>
#include <sstream>
#include <thread>

namespace {

namespace fs = std::filesystem;
using qm::bench::CpuClock;

constexpr const char* kProgram = "gui_bench";
constexpr std::string_view kWindowRunFlag = "--window-run=";
constexpr std::string_view kPrintRunFlag = "--print-run=";

// The main window over settings of its own, as at a first start.
struct Window {
    Window()
        : config(qm::bench::TempDir("qm-gui-bench-")),
          settings(store, reporter,
                   qm::settings::OptionFilePaths{config.dir() / "predefined.ini", config.dir() / "Include.ini"})
    {
        ::setenv("QUILLMARSH_CONFIG_DIR", config.dir().c_str(), 1);
        settings.values.showTutorial = false;
        frame = std::make_unique<qm::app::CMainFrame>(settings, store, prompts);
        frame->start({});
        frame->resize(1600, 1000);
        QCoreApplication::processEvents();
    }
    ~Window() { frame->session().stopAndWait(); }

    qm::bench::TempDir config;
    qm::settings::MemorySettingsStore store;
    qm::project::RecordingReporter reporter;
    qm::app::DeclinedPrompts prompts{std::string(kProgram) + ": "};
    qm::settings::AppSettings settings;
    std::unique_ptr<qm::app::CMainFrame> frame;
};

void processUntil(const std::function<bool()>& done)
{
    while (!done()) QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// Lets the window take the end of a run: the log, the new diagram, the enabled states.
void settle(qm::app::CMainFrame& frame)
{
    processUntil([&] { return !frame.session().isRunActive(); });
    frame.document().pollLog();
    frame.totalView()->viewport()->repaint();
}

std::string formatMs(double ms)
{
    std::ostringstream out;
    out.precision(ms < 10 ? 2 : 1);
    out << std::fixed << ms << " ms";
    return out.str();
}

// The longest gap between two ticks of a 10 ms timer while the window's run analyses `folder`.
// Returns the run's time in milliseconds.
double measureResponsiveness(Window& w, const std::string& folder)
{
    std::vector<qint64> ticks;
    QElapsedTimer clock;
    QTimer timer;
    timer.setTimerType(Qt::PreciseTimer);
    QObject::connect(&timer, &QTimer::timeout, [&] { ticks.push_back(clock.nsecsElapsed()); });
    w.frame->session().addPath(folder);
    clock.start();
    timer.start(10);
    w.frame->draw();
    processUntil([&] { return !w.frame->session().isRunActive(); });
    const double runMs = clock.nsecsElapsed() / 1e6;
    timer.stop();
    qint64 longest = 0;
    int over = 0;
    for (std::size_t i = 1; i < ticks.size(); ++i) {
        const qint64 gap = ticks[i] - ticks[i - 1];
        longest = std::max(longest, gap);
        over += gap > 100'000'000;
    }
    const auto rebuild0 = CpuClock::now();
    settle(*w.frame);
    const double rebuildMs = qm::bench::seconds(CpuClock::now() - rebuild0) * 1e3;
    std::cout << "responsiveness: run " << formatMs(runMs) << ", " << ticks.size() << " ticks, longest gap "
              << formatMs(longest / 1e6) << " (target <= 100 ms), gaps over 100 ms: " << over
              << "; the diagram's rebuild after the run: " << formatMs(rebuildMs) << '\n';
    return runMs;
}

// One repaint of the whole macro view at ten scroll positions of the unfolded diagram, against
// filling the same area.
void measureRepaint(Window& w)
{
    qm::app::CTotalView& view = *w.frame->totalView();
    w.frame->innerSplitter()->setMode(2);  // the macro view gets the whole width
    w.frame->outerSplitter()->setMode(2);
    // A window whose diagram area is 1600 x 1000.
    QCoreApplication::processEvents();
    const QSize extra = w.frame->size() - view.viewport()->size();
    w.frame->resize(QSize(1600, 1000) + extra);
    QCoreApplication::processEvents();
    w.frame->unfoldAll();
    view.viewport()->repaint();
    const QSize area = view.viewport()->size();
    const int positions = 10;
    CpuClock::duration painting{};
    for (int i = 0; i < positions; ++i) {
        view.verticalScrollBar()->setValue(view.verticalScrollBar()->maximum() * i / (positions - 1));
        const auto t0 = CpuClock::now();
        view.viewport()->repaint();
        painting += CpuClock::now() - t0;
    }
    // The reference: a widget of the same size that fills itself, repainted the same way.
    class Filler : public QWidget {
    protected:
        void paintEvent(QPaintEvent*) override { QPainter(this).fillRect(rect(), QColor(250, 250, 240)); }
    } filler;
    filler.resize(area);
    filler.show();
    processUntil([&] { return filler.isVisible(); });
    QCoreApplication::processEvents();
    filler.repaint();
    CpuClock::duration filling{};
    for (int i = 0; i < positions; ++i) {
        const auto t0 = CpuClock::now();
        filler.repaint();
        filling += CpuClock::now() - t0;
    }
    const double repaintMs = qm::bench::seconds(painting) * 1e3 / positions;
    const double fillMs = qm::bench::seconds(filling) * 1e3 / positions;
    std::cout << "repaint: " << area.width() << " x " << area.height() << " of a diagram of "
              << view.scrollSize().width << " x " << view.scrollSize().height << ": " << formatMs(repaintMs)
              << " a repaint (target <= 16.7 ms), " << formatMs(fillMs) << " a plain fill, ratio "
              << (fillMs > 0 ? repaintMs / fillMs : 0) << '\n';
    w.frame->innerSplitter()->setMode(1);
    w.frame->outerSplitter()->setMode(1);
}

// `count` runs, each stopped at a random moment of a run that takes `runMs`.
void measureStops(Window& w, int count, double runMs)
{
    std::mt19937 random(20261207);
    std::uniform_int_distribution<int> delay(static_cast<int>(runMs * 0.05), std::max(1, static_cast<int>(runMs * 0.95)));
    std::vector<double> latencies;
    for (int i = 0; i < count; ++i) {
        w.frame->session().clearResults();
        w.frame->draw();
        QElapsedTimer wait;
        wait.start();
        const int ms = delay(random);
        processUntil([&] { return wait.elapsed() >= ms || !w.frame->session().isRunActive(); });
        if (!w.frame->session().isRunActive()) {
            continue;  // the run ended before its stop: nothing to measure
        }
        // The run's end is noticed on a thread of its own: the window's thread may be busy with
        // the partial result (rebuilding its diagram) by the time it would look.
        const auto& session = w.frame->session();
        const auto start = std::chrono::steady_clock::now();
        std::atomic<bool> requested{false};
        double latency = 0;
        std::thread watcher([&] {
            while (!requested) std::this_thread::yield();
            while (session.isRunActive()) std::this_thread::sleep_for(std::chrono::microseconds(200));
            latency = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
        });
        w.frame->stop();
        requested = true;
        processUntil([&] { return !session.isRunActive(); });
        watcher.join();
        latencies.push_back(latency);
        settle(*w.frame);
    }
    std::sort(latencies.begin(), latencies.end());
    if (latencies.empty()) {
        std::cout << "stop: every run ended before its stop\n";
        return;
    }
    const auto percentile = [&](double p) {
        const std::size_t index = std::min(latencies.size() - 1, static_cast<std::size_t>(p * latencies.size()));
        return latencies[index];
    };
    std::cout << "stop: " << latencies.size() << " stops, median " << formatMs(percentile(0.5)) << ", 99th percentile "
              << formatMs(percentile(0.99)) << " (target <= 200 ms), longest " << formatMs(latencies.back()) << '\n';
}

// The child of the memory comparisons: the window draws `folder`; with `pdf`, it then unfolds
// the diagram, paints it on screen and prints it to that file.
int windowRun(const std::string& folder, const std::string& pdf, bool print)
{
    Window w;
    w.frame->session().addPath(folder);
    w.frame->draw();
    settle(*w.frame);
    if (w.frame->totalView()->model().diagram().boxes().empty()) return 1;
    if (pdf.empty()) return 0;
    w.frame->unfoldAll();
    w.frame->totalView()->viewport()->repaint();
    if (!print) return 0;
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(QString::fromStdString(pdf));
    return w.frame->diagramPrinter().printTo(printer, *w.frame->totalView()) ? 0 : 1;
}

void measurePrinting(const std::string& folder, const fs::path& scratch)
{
    const std::string self = qm::bench::selfExecutable();
    const std::string pdf = (scratch / "diagram.pdf").string();
    const auto screen = qm::bench::runMeasured({self, std::string(kPrintRunFlag) + "screen:" + pdf + ":" + folder},
                                               "/dev/null", "/dev/null", kProgram);
    const auto paper = qm::bench::runMeasured({self, std::string(kPrintRunFlag) + "print:" + pdf + ":" + folder},
                                              "/dev/null", "/dev/null", kProgram);
    if (!screen || !paper) {
        std::cout << "printing: a child run failed\n";
        return;
    }
    std::error_code ec;
    std::cout << "printing: the unfolded diagram on screen " << screen->peakRssBytes / qm::bench::kMega
              << " MB, printed to PDF (" << fs::file_size(pdf, ec) / qm::bench::kMega << " MB of PDF) "
              << paper->peakRssBytes / qm::bench::kMega << " MB, ratio "
              << static_cast<double>(paper->peakRssBytes) / static_cast<double>(screen->peakRssBytes)
              << " (target < 1.5)\n";
}

// A C++ source of about `bytes` bytes.
std::string generatedSource(std::size_t bytes)
{
    std::string text;
    for (int i = 0; text.size() < bytes; ++i) {
        const std::string n = std::to_string(i);
        text += "// helper " + n + "\nint helper" + n + "(int a, const char* s)\n{\n    if (a > " + n +
                ") {\n        return a * 2; /* doubled */\n    }\n    while (*s) ++s;\n    return a + \"" + n + "\"[0];\n}\n";
    }
    return text;
}

void measureCodeWindow(Window& w, const fs::path& scratch, std::size_t bytes)
{
    const std::string big = (scratch / "big.cpp").string();
    const std::string small = (scratch / "small.cpp").string();
    qm::bench::writeFile(big, generatedSource(bytes));
    qm::bench::writeFile(small, generatedSource(5000));
    qm::app::CodeWindowDialog& code = *w.frame->codeWindow();
    w.frame->showCodeWindow(true);
    code.resize(760, 400);
    QCoreApplication::processEvents();

    auto t0 = CpuClock::now();
    code.openFile(big);
    code.codeText()->viewport()->repaint();
    const double openSeconds = qm::bench::seconds(CpuClock::now() - t0);

    qm::frontend::LogSink log;
    auto engine = qm::parser::makeAnalysisEngine(log);
    t0 = CpuClock::now();
    engine->runSynchronously(qm::bench::projectSettings({big}));
    const double analyseSeconds = qm::bench::seconds(CpuClock::now() - t0);

    const auto repaintAfterScroll = [&](int repeats) {
        qm::detail::CodeView& model = code.codeText()->model();
        CpuClock::duration total{};
        for (int i = 0; i < repeats; ++i) {
            model.setFirstLine(model.maxFirstLine() * (i % 10) / 10);
            const auto start = CpuClock::now();
            code.codeText()->viewport()->repaint();
            total += CpuClock::now() - start;
        }
        return qm::bench::seconds(total) / repeats;
    };
    const double bigRepaint = repaintAfterScroll(50);
    code.openFile(small);
    code.codeText()->viewport()->repaint();
    const double smallRepaint = repaintAfterScroll(50);
    w.frame->showCodeWindow(false);
    std::cout << "code window: " << bytes / qm::bench::kMega << " MB opened (read, colour, first paint) in "
              << formatMs(openSeconds * 1e3) << " against " << formatMs(analyseSeconds * 1e3)
              << " analysing it, ratio " << openSeconds / analyseSeconds << " (target < 1); a repaint after scrolling "
              << formatMs(bigRepaint * 1e3) << " against " << formatMs(smallRepaint * 1e3) << " in a 5 KB file, ratio "
              << bigRepaint / smallRepaint << " (target about 1)\n";
}

void measureMemory(const std::string& folder)
{
    const std::string self = qm::bench::selfExecutable();
    const std::string cli = (fs::path(self).parent_path() / "quillmarsh-cli").string();
    const auto window = qm::bench::runMeasured({self, std::string(kWindowRunFlag) + folder}, "/dev/null", "/dev/null",
                                               kProgram);
    const auto command = qm::bench::runMeasured({cli, "analyze", folder, "--dump", "symbols"}, "/dev/null",
                                                "/dev/null", kProgram);
    if (!window || !command) {
        std::cout << "memory: a child run failed\n";
        return;
    }
    std::cout << "memory: window " << window->peakRssBytes / qm::bench::kMega << " MB, quillmarsh-cli analyze "
              << command->peakRssBytes / qm::bench::kMega << " MB, ratio "
              << static_cast<double>(window->peakRssBytes) / static_cast<double>(command->peakRssBytes)
              << " (target <= 1.2)\n";
}

// A few generated sources for the smoke test.
std::string smokeFolder(const fs::path& dir)
{
    for (int f = 0; f < 12; ++f) {
        std::string text;
        for (int i = 0; i < 200; ++i) {
            text += "namespace n" + std::to_string(f) + " { int g" + std::to_string(i) +
                    "(int a) { for (int k = 0; k < a; ++k) { if (k) a--; } return a; } }\n";
        }
        qm::bench::writeFile(dir / ("s" + std::to_string(f) + ".cpp"), text);
    }
    return dir.string();
}

}  // namespace

int main(int argc, char** argv)
{
    if (const int status = qm::bench::runMeasuringMode(argc, argv); status >= 0) {
        return status;
    }
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    std::string corpus;
    bool smoke = false;
    std::string windowFolder;
    std::string printMode;
    std::string printPdf;
    std::string only;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--smoke") {
            smoke = true;
        } else if (arg.rfind("--corpus=", 0) == 0) {
            corpus = std::string(arg.substr(9));
        } else if (arg.rfind("--only=", 0) == 0) {
            only = "," + std::string(arg.substr(7)) + ",";
        } else if (arg.rfind(kWindowRunFlag, 0) == 0) {
            windowFolder = std::string(arg.substr(kWindowRunFlag.size()));
        } else if (arg.rfind(kPrintRunFlag, 0) == 0) {
            // MODE:PDF:FOLDER
            const std::string request(arg.substr(kPrintRunFlag.size()));
            const std::size_t first = request.find(':');
            const std::size_t second = request.find(':', first + 1);
            printMode = request.substr(0, first);
            printPdf = request.substr(first + 1, second - first - 1);
            windowFolder = request.substr(second + 1);
        } else if (arg == "--help") {
            std::cout << "usage: gui_bench [--corpus=DIR] [--smoke] [--only=PART,...]\n";
            return 0;
        } else {
            std::cerr << kProgram << ": unknown argument " << arg << '\n';
            return 2;
        }
    }
    QApplication application(argc, argv);
    if (!windowFolder.empty()) {
        return windowRun(windowFolder, printPdf, printMode == "print");
    }
    qm::bench::TempDir scratch("qm-gui-smoke-");
    if (smoke) {
        corpus = smokeFolder(scratch.dir());
    } else if (corpus.empty()) {
        const char* env = std::getenv("QM_BENCH_CORPUS");
        corpus = env && *env ? env : qm::bench::kDefaultCorpus;
    }
    if (!fs::is_directory(corpus)) {
        std::cerr << kProgram << ": " << corpus << ": no such folder (bench/corpora.sh prepares the corpora)\n";
        return 1;
    }
    std::cout << "gui_bench over " << corpus << '\n';
    const auto wanted = [&only](std::string_view part) {
        return only.empty() || only.find("," + std::string(part) + ",") != std::string::npos;
    };
    {
        Window w;
        if (wanted("responsiveness") || wanted("repaint") || wanted("stop")) {
            const double runMs = measureResponsiveness(w, corpus);
            if (wanted("repaint")) measureRepaint(w);
            if (wanted("stop")) measureStops(w, smoke ? 2 : 20, runMs);
        }
        if (wanted("code")) measureCodeWindow(w, scratch.dir(), smoke ? 200'000 : 5'000'000);
    }
    if (wanted("memory")) measureMemory(corpus);
    if (wanted("printing")) measurePrinting(corpus, scratch.dir());
    return 0;
}
