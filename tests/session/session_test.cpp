// The session: runs started and stopped as the window does it, what the views hear and when they
// may read the result, the progress bar's positions, and the project commands.
#include "session/session.h"

#include "session_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <set>

namespace qm::session {
namespace {

using namespace testing;
using ::testing::Contains;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::Not;

// Records what it hears, and whether the result could be read at that moment.
class RecordingObserver : public SessionObserver {
public:
    explicit RecordingObserver(Session& session) : m_session(session) { session.addObserver(*this); }
    ~RecordingObserver() override { m_session.removeObserver(*this); }

    void runStarting() override { events.push_back(m_session.result() ? "starting with result" : "starting"); }
    void runFinished(const model::SymbolEntry& root) override
    {
        events.push_back("finished " + std::to_string(root.childCount()) + " entries");
    }
    void resultCleared() override { events.push_back("cleared"); }

    std::vector<std::string> events;

private:
    Session& m_session;
};

std::vector<std::string> childNames(const model::SymbolEntry& root)
{
    std::vector<std::string> names;
    if (root.children) {
        for (const auto& [key, child] : *root.children) names.push_back(child.name);
    }
    return names;
}

class SessionTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    TestSettings settings{folder};
    Session session{settings.settings, settings.messages};
};

TEST_F(SessionTest, ARunTellsTheViewsAndShowsItsResultOnlyOnceItHasEnded)
{
    session.project().files().add(folder.write("a.cpp", "int alpha() { return 1; }\n"));
    session.project().files().add(folder.write("b.cpp", "int beta() { return 2; }\n"));
    RecordingObserver views(session);
    // A pick of an earlier result is forgotten before the run frees what it points to.
    model::SymbolEntry stale;
    session.selection().entry = &stale;
    session.selection().detailMode = macro::DetailMode::Flowchart;

    ASSERT_EQ(session.startRun(false), frontend::AnalysisEngine::StartResult::Started);
    EXPECT_EQ(session.selection().entry, nullptr);
    EXPECT_TRUE(session.selection().changed);
    ASSERT_TRUE(waitForRunEnd(session));
    EXPECT_THAT(views.events, ElementsAre("starting", "finished 2 entries"));
    ASSERT_NE(session.result(), nullptr);
    EXPECT_THAT(childNames(*session.result()), ElementsAre("alpha", "beta"));
    EXPECT_FALSE(session.pollRunFinished());  // reported once

    // The next run hides the result from its start to its end.
    session.startRun(false);
    EXPECT_EQ(session.result(), nullptr);
    ASSERT_TRUE(waitForRunEnd(session));
    EXPECT_NE(session.result(), nullptr);
    const std::vector<std::string> log = session.log().takeLines();
    EXPECT_THAT(log, Contains("Parsing Complete."));
}

TEST_F(SessionTest, ASecondDrawIsRefusedAndStopWithoutARunDoesNothing)
{
    EXPECT_FALSE(session.requestStop());
    EXPECT_TRUE(session.log().takeLines().empty());

    for (int i = 0; i < 40; ++i) {
        session.project().files().add(folder.write("f" + std::to_string(i) + ".cpp", manyFunctions(300, "f" + std::to_string(i) + "_")));
    }
    RecordingObserver views(session);
    ASSERT_EQ(session.startRun(false), frontend::AnalysisEngine::StartResult::Started);
    EXPECT_EQ(session.startRun(false), frontend::AnalysisEngine::StartResult::AlreadyRunning);
    EXPECT_TRUE(session.requestStop());
    EXPECT_TRUE(session.isStopping() || !session.isRunActive());
    ASSERT_TRUE(waitForRunEnd(session));
    // The refused start told nobody: one start, one end.
    EXPECT_THAT(views.events, ElementsAre("starting", HasSubstr("finished")));
    const std::vector<std::string> log = session.log().takeLines();
    EXPECT_THAT(log, Contains("Stop request accpet"));
    EXPECT_THAT(log, Contains("Engine stopped."));
}

TEST_F(SessionTest, TheProgressBarGetsEachNewPositionAndZeroOnceTheRunEnds)
{
    for (int i = 0; i < 8; ++i) {
        session.project().files().add(folder.write("p" + std::to_string(i) + ".cpp", manyFunctions(400, "p" + std::to_string(i) + "_")));
    }
    EXPECT_EQ(session.pollProgress(), std::nullopt);  // nothing shown, nothing to take back
    session.startRun(false);
    std::vector<int> shown;
    while (!session.pollRunFinished()) {
        if (const std::optional<int> position = session.pollProgress()) shown.push_back(*position);
    }
    if (const std::optional<int> position = session.pollProgress()) shown.push_back(*position);
    EXPECT_EQ(session.pollProgress(), std::nullopt);
    // Every position is one a run of eight files gives, no position twice in a row, and the bar
    // ends at 0 when anything was shown.
    const std::set<int> possible{0, 12, 25, 37, 50, 62, 75, 87};
    for (std::size_t i = 0; i < shown.size(); ++i) {
        EXPECT_TRUE(possible.count(shown[i])) << shown[i];
        if (i) {
            EXPECT_NE(shown[i], shown[i - 1]);
        }
    }
    if (!shown.empty()) {
        EXPECT_EQ(shown.back(), 0);
    }
}

TEST_F(SessionTest, ClearingWaitsForAStoppingRunAndThrowsTheResultAway)
{
    for (int i = 0; i < 20; ++i) {
        session.project().files().add(folder.write("c" + std::to_string(i) + ".cpp", manyFunctions(300, "c" + std::to_string(i) + "_")));
    }
    RecordingObserver views(session);
    session.startRun(false);
    session.requestStop();
    session.clearResults();
    EXPECT_FALSE(session.isRunActive());
    EXPECT_EQ(session.result(), nullptr);
    EXPECT_FALSE(session.pollRunFinished());  // the ended run has nothing left to show
    EXPECT_THAT(views.events, ElementsAre("starting", "cleared"));
}

TEST_F(SessionTest, ProjectsAreMadeOpenedAndSavedWithTheirFileName)
{
    const std::string source = folder.write("src/one.cpp", "void one() {}\n");
    folder.write("src/deep/two.c", "void two(void) {}\n");
    folder.write("src/notes.txt", "text\n");
    session.addPath(folder.file("src"));
    session.addPath(folder.file("src/notes.txt"));
    EXPECT_EQ(session.project().files().size(), 2u);
    EXPECT_TRUE(session.isModified());
    EXPECT_THAT(session.log().takeLines(), Contains(HasSubstr("notes.txt: skipped (not a C or C++ source file)")));

    const std::string saved = folder.file("p.qmp");
    ASSERT_TRUE(session.saveProject(saved));
    EXPECT_EQ(session.projectPath(), saved);
    EXPECT_FALSE(session.isModified());

    RecordingObserver views(session);
    session.newProject();
    EXPECT_TRUE(session.project().files().empty());
    EXPECT_EQ(session.projectPath(), "");
    ASSERT_TRUE(session.openProject(saved));
    EXPECT_EQ(session.projectPath(), saved);
    EXPECT_EQ(session.project().files().size(), 2u);
    EXPECT_THAT(views.events, ElementsAre("cleared", "cleared"));

    // A file that cannot be read leaves an empty, nameless project and says why.
    settings.messages.messages.clear();
    EXPECT_FALSE(session.openProject(folder.file("missing.qmp")));
    EXPECT_EQ(session.projectPath(), "");
    EXPECT_TRUE(session.project().files().empty());
    EXPECT_THAT(settings.messages.messages, ElementsAre("Project File Open Error."));
    EXPECT_FALSE(session.isModified());
    (void)source;
}

TEST_F(SessionTest, ARunOverMissingFilesLogsEachAndEnds)
{
    for (int i = 0; i < 2000; ++i) {
        session.project().files().add(folder.file("gone/missing" + std::to_string(i) + ".cpp"));
    }
    session.startRun(false);
    ASSERT_TRUE(waitForRunEnd(session));
    const std::vector<std::string> log = session.log().takeLines();
    EXPECT_EQ(std::count_if(log.begin(), log.end(), [](const std::string& l) { return l.find("missing1999.cpp") != std::string::npos; }), 2);
    EXPECT_THAT(log, Contains("Parsing Complete."));
    EXPECT_THAT(log, Not(Contains("Engine stopped.")));
}

}  // namespace
}  // namespace qm::session

namespace qm::session {
namespace {

using namespace testing;

// With files parsed on a pool, Stop still ends the run soon and keeps what was finished; the
// next run analyses the rest and gives the result one thread gives.
TEST(SessionJobs, StopWithAPoolKeepsWhatWasFinishedAndTheNextRunCompletesIt)
{
    ScratchFolder folder;
    TestSettings settings(folder);
    settings.settings.values.analysisJobs = 3;
    Session session(settings.settings, settings.messages);
    for (int i = 0; i < 30; ++i) {
        session.project().files().add(folder.write("j" + std::to_string(i) + ".cpp", manyFunctions(300, "j" + std::to_string(i) + "_")));
    }
    session.startRun(false);
    session.requestStop();
    ASSERT_TRUE(waitForRunEnd(session));
    std::vector<std::string> log = session.log().takeLines();
    EXPECT_NE(std::find(log.begin(), log.end(), "Stop request accpet"), log.end());
    ASSERT_TRUE(session.result());
    const std::size_t partial = session.result()->childCount();

    session.startRun(false);
    ASSERT_TRUE(waitForRunEnd(session));
    log = session.log().takeLines();
    EXPECT_EQ(log.back(), "Parsing Complete.");
    EXPECT_EQ(session.result()->childCount(), 30u * 300u);
    EXPECT_LE(partial, 30u * 300u);
}

}  // namespace
}  // namespace qm::session
