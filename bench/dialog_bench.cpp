// The dialogs under load, on Qt's offscreen platform, each against a reference measured in the
// same run:
//
//   theme dialog   opening the visual-setting dialog (eight font lists, 28 colour lists, the
//                  theme list, the preview with its analysis) with the font list padded to 500
//                  families, against making and showing one plain QFontComboBox (target: the
//                  dialog opens in under a second on this machine's scale)
//   preview        100 changes of the working theme, each drawn in the preview at once: how often
//                  the sample is analysed (target: exactly once) and the cost of one change
//                  against the one analysis
//   project info   opening Project Information on a project of 100,000 files and painting it,
//                  against sorting the same list once (target: under a second)
//
// Times are CPU time of this process, so other programs on the machine do not count. --smoke
// runs each part once with fewer repetitions (the CTest smoke test).
#include "app/dialogs/font_families.h"
#include "app/dialogs/macro_preview_view.h"
#include "app/dialogs/macro_setting_dialog.h"
#include "app/dialogs/project_info_dialog.h"
#include "app/user_prompts.h"
#include "bench_support.h"
#include "project/message_reporter.h"
#include "session/session.h"
#include "settings/app_settings.h"

#include <QApplication>
#include <QComboBox>
#include <QFontComboBox>
#include <QListView>
#include <QStringListModel>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <sstream>

namespace {

namespace fs = std::filesystem;
using qm::bench::CpuClock;

constexpr const char* kProgram = "dialog_bench";
constexpr int kFamilies = 500;

std::string formatMs(double ms)
{
    std::ostringstream out;
    out.precision(ms < 10 ? 2 : 1);
    out << std::fixed << ms << " ms";
    return out.str();
}

double cpuMs(const std::function<void()>& work)
{
    const auto start = CpuClock::now();
    work();
    return qm::bench::seconds(CpuClock::now() - start) * 1e3;
}

double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// The font lists share one model: padding it to `count` names is what a machine with that many
// families gives every list.
void padFamilies(int count)
{
    QStringListModel* model = qm::app::fontFamilyModel();
    QStringList families = model->stringList();
    for (int i = 0; families.size() < count; ++i) {
        families << QStringLiteral("Bench Family %1").arg(i, 3, 10, QLatin1Char('0'));
    }
    families.sort(Qt::CaseInsensitive);
    model->setStringList(families);
}

qm::app::ThemeDialogPaths dialogPaths(const fs::path& scratch)
{
    qm::app::ThemeDialogPaths paths = qm::app::ThemeDialogPaths::standard();
    paths.userThemes = scratch / "Color";
    return paths;
}

void measureThemeDialog(const fs::path& scratch, int repetitions)
{
    qm::app::DeclinedPrompts prompts{std::string(kProgram) + ": "};
    const qm::settings::SettingValues values;
    const int installed = static_cast<int>(QFontDatabase::families().size());
    padFamilies(kFamilies);
    std::vector<double> dialog;
    std::vector<double> reference;
    for (int i = 0; i < repetitions; ++i) {
        reference.push_back(cpuMs([] {
            QFontComboBox box;
            box.show();
            QCoreApplication::processEvents();
        }));
        dialog.push_back(cpuMs([&] {
            qm::app::CDialogMacroSetting d(qm::macro::Theme{}, values, prompts, dialogPaths(scratch));
            d.show();
            QCoreApplication::processEvents();
        }));
    }
    const double d = median(dialog);
    const double r = median(reference);
    std::cout << "theme dialog: opening with " << qm::app::fontFamilyModel()->rowCount() << " font families "
              << formatMs(d) << " (target < 1000 ms); a plain QFontComboBox over the " << installed
              << " installed families " << formatMs(r) << "; ratio " << d / r << '\n';
}

void measurePreview(const fs::path& scratch, int changes)
{
    qm::app::DeclinedPrompts prompts{std::string(kProgram) + ": "};
    const qm::settings::SettingValues values;
    qm::app::CDialogMacroSetting d(qm::macro::Theme{}, values, prompts, dialogPaths(scratch));
    d.show();
    QCoreApplication::processEvents();
    qm::session::ThemePreview& preview = d.preview()->model();
    // The reference: one analysis of the sample, by a preview of its own.
    qm::session::ThemePreview probe(d.working(), values);
    const double analysis = cpuMs([&] { probe.analyzeSample(qm::app::ThemeDialogPaths::standard().sample); });
    const int before = preview.analysisCount();
    std::vector<double> costs;
    for (int i = 0; i < changes; ++i) {
        costs.push_back(cpuMs([&] {
            // Alternately a colour (paint only) and a font size (measure, lay out and paint).
            if (i % 2) {
                d.editor().setElementColor(i % qm::session::kElementRowCount, qm::session::ColorPart::Background,
                                           qm::macro::Rgb{static_cast<std::uint8_t>(i), 100, 200});
            } else {
                d.editor().setSizeIndex(i % qm::session::kElementRowCount, i % 27);
            }
        }));
    }
    std::cout << "preview: " << changes << " changes, analyses of the sample during them: "
              << preview.analysisCount() - before << " (target 0 beyond the one at opening; "
              << preview.analysisCount() << " in all); one change drawn " << formatMs(median(costs))
              << " against one analysis of the sample " << formatMs(analysis) << ", ratio "
              << median(costs) / analysis << '\n';
}

void measureProjectInfo(const fs::path& scratch, int files)
{
    qm::app::DeclinedPrompts prompts{std::string(kProgram) + ": "};
    qm::project::RecordingReporter reporter;
    qm::settings::MemorySettingsStore store;
    store.present = false;
    qm::settings::AppSettings settings(store, reporter,
                                       qm::settings::OptionFilePaths{scratch / "predefined.ini", scratch / "Include.ini"});
    qm::session::Session session(settings, reporter);
    std::vector<std::string> paths;
    for (int i = 0; i < files; ++i) {
        paths.push_back("/big/project/dir" + std::to_string(i % 97) + "/file" + std::to_string(i * 7919 % files) + ".cpp");
    }
    const double sort = cpuMs([&] {
        std::vector<std::string> copy = paths;
        std::sort(copy.begin(), copy.end());
    });
    for (const std::string& path : paths) session.project().files().add(path);
    const double open = cpuMs([&] {
        qm::app::CProjectInfoDialog dialog(session, prompts, {});
        dialog.show();
        QCoreApplication::processEvents();
        dialog.files()->viewport()->repaint();
    });
    std::cout << "project info: opening on " << session.project().files().size() << " files " << formatMs(open)
              << " (target < 1000 ms); sorting the list once " << formatMs(sort) << ", ratio " << open / sort << '\n';
}

}  // namespace

int main(int argc, char** argv)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    bool smoke = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--smoke") {
            smoke = true;
        } else if (arg == "--help") {
            std::cout << "usage: dialog_bench [--smoke]\n";
            return 0;
        } else {
            std::cerr << kProgram << ": unknown argument " << arg << '\n';
            return 2;
        }
    }
    QApplication application(argc, argv);
    qm::bench::TempDir scratch("qm-dialog-bench-");
    ::setenv("QUILLMARSH_CONFIG_DIR", scratch.dir().c_str(), 1);
    measureThemeDialog(scratch.dir(), smoke ? 1 : 9);
    measurePreview(scratch.dir(), smoke ? 10 : 100);
    measureProjectInfo(scratch.dir(), smoke ? 1000 : 100000);
    return 0;
}
