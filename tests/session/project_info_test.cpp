// The Project Information dialog without its window: rows and check boxes over the project's
// files, folders and drops, removal with the analysis result rebuilt, and the modified mark.
#include "session/project_info.h"

#include "session_test_support.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace qm::session {
namespace {

using namespace testing;
using ::testing::Contains;
using ::testing::ElementsAre;

std::vector<std::string> childNames(const model::SymbolEntry& root)
{
    std::vector<std::string> names;
    if (root.children) {
        for (const auto& [key, child] : *root.children) names.push_back(child.name);
    }
    return names;
}

// Hears only the replacement of the result.
class ReplacementObserver : public SessionObserver {
public:
    explicit ReplacementObserver(Session& session) : m_session(session) { session.addObserver(*this); }
    ~ReplacementObserver() override { m_session.removeObserver(*this); }
    void runStarting() override {}
    void runFinished(const model::SymbolEntry&) override {}
    void resultCleared() override {}
    void resultReplaced(const model::SymbolEntry& root) override { replaced.push_back(childNames(root)); }
    std::vector<std::vector<std::string>> replaced;

private:
    Session& m_session;
};

class ProjectInfoTest : public ::testing::Test {
protected:
    ScratchFolder folder;
    TestSettings settings{folder};
    Session session{settings.settings, settings.messages};
};

TEST_F(ProjectInfoTest, RowsFollowTheNormalisedListAndCheckBoxesAreTheSelectionFlags)
{
    project::ProjectFileList& files = session.project().files();
    files.add("/src/b/zeta.cpp");
    files.add("/src/a/Alpha.cpp");
    files.add("/src/b/zeta.cpp");
    files.add("noslash.c");
    ProjectInfo info(session);
    ASSERT_EQ(info.rowCount(), 3u);  // the duplicate went, the list is sorted byte-wise
    EXPECT_EQ(info.rowText(0, true), "/src/a/Alpha.cpp");
    EXPECT_EQ(info.rowText(0, false), "Alpha.cpp");
    EXPECT_EQ(info.rowText(2, false), "noslash.c");
    EXPECT_EQ(info.rowText(9, false), "");

    info.setChecked(1, false);
    EXPECT_FALSE(files.selected()[1]);
    EXPECT_FALSE(session.project().runEntries()[1].selected);
    info.setChecked(7, false);  // no such row
    info.setAllChecked(true);
    EXPECT_THAT(files.selected(), ElementsAre(true, true, true));
    EXPECT_TRUE(info.changed());
    EXPECT_FALSE(session.isModified());
    EXPECT_TRUE(info.finish());
    EXPECT_TRUE(session.isModified());
}

TEST_F(ProjectInfoTest, FoldersAndDropsAddFilesAndTheLastFolderIsRemembered)
{
    folder.write("tree/top.cpp", "int top();\n");
    folder.write("tree/sub/deep.cc", "int deep();\n");
    folder.write("tree/notes.txt", "x\n");
    ProjectInfo info(session);
    info.addFolder(folder.file("tree"), false);
    EXPECT_EQ(settings.settings.values.lastPath, folder.file("tree"));
    ASSERT_EQ(info.rowCount(), 1u);
    EXPECT_EQ(info.rowText(0, false), "top.cpp");
    info.addFolder(folder.file("tree"), true);
    EXPECT_EQ(info.rowCount(), 2u);  // top.cpp once, deep.cc from the subfolder

    const std::string dropped = folder.write("drop/x.cpp", "int x;\n");
    info.drop({dropped, folder.file("tree/sub")});
    EXPECT_EQ(info.rowCount(), 3u);
    const std::vector<std::string> log = session.log().takeLines();
    EXPECT_THAT(log, Contains("Getting the file list."));
    EXPECT_THAT(log, Contains(dropped));
    EXPECT_EQ(ProjectInfo::removeQuestion(3), "Remove 3 files?");
}

TEST_F(ProjectInfoTest, RemovingFilesDropsTheirResultsAndIsRefusedDuringARun)
{
    project::ProjectFileList& files = session.project().files();
    files.add(folder.write("a.cpp", "int alpha() { return 1; }\n"));
    files.add(folder.write("b.cpp", "int beta() { return 2; }\n"));
    files.add(folder.write("c.cpp", "int gamma() { return 3; }\n"));
    ProjectInfo info(session);
    info.setChecked(1, false);

    // Before any run: the list alone changes. The flags of the others stay with their files.
    ReplacementObserver views(session);
    ASSERT_EQ(info.remove({1}), ProjectInfo::RemoveResult::Removed);
    EXPECT_THAT(files.selected(), ElementsAre(true, true));
    EXPECT_TRUE(views.replaced.empty());

    // After a run: the removed file's entries leave the result, which the views take whole.
    files.add(folder.write("d.cpp", "int delta() { return 4; }\n"));
    ProjectInfo again(session);
    session.startRun(false);
    ASSERT_TRUE(testing::waitForRunEnd(session));
    ASSERT_NE(session.result(), nullptr);
    EXPECT_THAT(childNames(*session.result()), ElementsAre("alpha", "delta", "gamma"));
    session.selection().entry = &session.result()->children->begin()->second;
    ASSERT_EQ(again.remove({0, 1, 0, 99}), ProjectInfo::RemoveResult::Removed);
    EXPECT_EQ(session.selection().entry, nullptr);
    EXPECT_THAT(views.replaced, ElementsAre(ElementsAre("delta")));
    EXPECT_THAT(childNames(*session.result()), ElementsAre("delta"));
    ASSERT_EQ(files.size(), 1u);
    EXPECT_EQ(again.rowText(0, false), "d.cpp");

    // A run after the removal analyses only what is left.
    session.startRun(false);
    ASSERT_TRUE(testing::waitForRunEnd(session));
    EXPECT_THAT(childNames(*session.result()), ElementsAre("delta"));

    // While a run holds the files' results, nothing is removed.
    for (int i = 0; i < 40; ++i) {
        files.add(folder.write("big" + std::to_string(i) + ".cpp", testing::manyFunctions(300, "b" + std::to_string(i) + "_")));
    }
    ProjectInfo during(session);
    ASSERT_EQ(session.startRun(false), frontend::AnalysisEngine::StartResult::Started);
    EXPECT_EQ(during.remove({0, 1}), ProjectInfo::RemoveResult::RunActive);
    EXPECT_EQ(files.size(), 41u);
    session.requestStop();
    ASSERT_TRUE(testing::waitForRunEnd(session));
}

}  // namespace
}  // namespace qm::session
