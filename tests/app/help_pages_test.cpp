// The help and tutorial pages as the windows show them: every picture and every link between the
// bundled pages is there, the pages name every menu command, and the windows open from the Help
// menu.
#include "frame_test_support.h"

#include "app/help_window.h"

#include <QCheckBox>
#include <QMenuBar>
#include <QRegularExpression>
#include <QTextBrowser>

#include <gmock/gmock.h>

namespace qm::app {
namespace {

using namespace testing;
using ::testing::HasSubstr;

std::string readText(const fs::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Every src="..." and href="..." of a page that names a file of the installation.
std::vector<std::string> localReferences(const std::string& html)
{
    std::vector<std::string> found;
    const QRegularExpression pattern(QStringLiteral("(?:src|href)=\"([^\"#:]+)(#[^\"]*)?\""));
    auto it = pattern.globalMatch(QString::fromStdString(html));
    while (it.hasNext()) found.push_back(it.next().captured(1).toStdString());
    return found;
}

TEST(HelpPagesTest, EveryPictureAndLinkOfTheBundledPagesIsThere)
{
    const fs::path help = fs::path(QM_SOURCE_RESOURCES_DIR) / "Help";
    for (const fs::path& page : {help / "index.html", help / "Tutorial" / "index.html"}) {
        const std::string html = readText(page);
        const std::vector<std::string> references = localReferences(html);
        EXPECT_GE(references.size(), 5u) << page;
        for (const std::string& reference : references) {
            EXPECT_TRUE(fs::is_regular_file(page.parent_path() / reference)) << page << ": " << reference;
        }
    }
    // The help names every command of the menus.
    const std::string html = readText(help / "index.html");
    for (const char* command : {"Append Cpp C Dsw Dsp vcproj Files...", "Open From Dsw Dsp vcproj File...",
                                "Clear All and Redraw", "Macro View Visual Setting...", "Predefined Word...",
                                "Directory...", "General...", "Project Information", "Print Preview",
                                "Export Picture...", "Recurse subdirectories", "Fit Flow View", "quillmarsh-cli"}) {
        EXPECT_THAT(html, HasSubstr(command)) << command;
    }
}

TEST_F(FrameTest, TheHelpMenuOpensTheHelpAndTheTutorialWithTheirPages)
{
    open();
    frame->showHelp();
    ASSERT_NE(frame->helpWindow(), nullptr);
    EXPECT_EQ(frame->helpWindow()->objectName().toStdString(), "Help");
    EXPECT_THAT(frame->helpWindow()->browser()->toPlainText().toStdString(), HasSubstr("Making a project"));
    EXPECT_EQ(frame->helpWindow()->browser()->documentTitle().toStdString(), "Quillmarsh Help");

    frame->showTutorial();
    ASSERT_NE(frame->tutorialWindow(), nullptr);
    QTextBrowser& tutorial = *frame->tutorialWindow()->browser();
    EXPECT_THAT(tutorial.toPlainText().toStdString(), HasSubstr("Open the example project"));
    ASSERT_NE(frame->tutorialWindow()->startupCheck(), nullptr);
    EXPECT_EQ(frame->tutorialWindow()->startupCheck()->text().toStdString(), "show tutorial on startup");
    // A link from the tutorial to the help stays in the window.
    tutorial.setSource(QUrl(QStringLiteral("../index.html")));
    EXPECT_EQ(tutorial.documentTitle().toStdString(), "Quillmarsh Help");
    // The pictures load.
    const QVariant picture =
        tutorial.loadResource(QTextDocument::ImageResource, QUrl(QStringLiteral("images/window-drawn.png")));
    EXPECT_TRUE(picture.isValid());
}

}  // namespace
}  // namespace qm::app
