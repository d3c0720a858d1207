// ProjectDocument: adding by kind, imports, folders, drops, and the New and append resets.
#include "project/project_document.h"
#include "project/workspace_import.h"
#include "project_test_dir.h"

#include <gtest/gtest.h>

#include <set>

namespace qm::project {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
using frontend::PredefinedWordList;

class ProjectDocumentTest : public testing::ProjectTestDir {
protected:
    ProjectDocument m_doc;
    frontend::LogSink m_log;
};

TEST_F(ProjectDocumentTest, AddByKindAddsSourcesAndHeadersAndIgnoresTheRest)
{
    for (const char* p : {"/p/a.txt", "/p/x.qmp", "/p/src"}) EXPECT_EQ(m_doc.addByKind(p, m_log), AddOutcome::Ignored);
    EXPECT_FALSE(m_doc.isModified());
    // Sources and headers are kept as given, without a check that they exist.
    EXPECT_EQ(m_doc.addByKind("/p/A.CPP", m_log), AddOutcome::SourceAdded);
    EXPECT_EQ(m_doc.addByKind("rel/b.c\"", m_log), AddOutcome::SourceAdded);
    EXPECT_EQ(m_doc.addByKind("/p/a.hpp", m_log), AddOutcome::SourceAdded);
    EXPECT_EQ(m_doc.files().paths(), (Paths{"/p/A.CPP", "rel/b.c\"", "/p/a.hpp"}));
    EXPECT_TRUE(m_doc.isModified());

    // An import that cannot read its file adds nothing.
    m_doc.newProject();
    EXPECT_EQ(m_doc.addByKind(path("missing.dsp"), m_log), AddOutcome::ImportFailed);
    EXPECT_TRUE(m_doc.files().empty());
    EXPECT_TRUE(m_doc.defines().empty());
    EXPECT_FALSE(m_doc.isModified());
}

TEST_F(ProjectDocumentTest, AnImportAppendsItsDefinesWithValueZeroAndItsSources)
{
    write("w/a.cpp", "");
    write("w/b c.cpp", "");
    const std::string dsp = write("w/p.dsp",
                                  "# ADD CPP /nologo /D \"_DEBUG\" /D \"WIN32\" /YX\r\n"
                                  "# ADD CPP /nologo /D \"WIN32\"\r\n"
                                  "SOURCE=.\\a.cpp\r\nSOURCE=\"b c.cpp\"\r\nSOURCE=.\\res.rc\r\n");
    m_doc.defines().push_back({"OWN", 5});
    ASSERT_EQ(m_doc.addByKind(dsp, m_log), AddOutcome::Imported);
    ASSERT_EQ(m_doc.addByKind(dsp, m_log), AddOutcome::Imported);  // twice: the defines come twice
    EXPECT_EQ(m_doc.defines(), (PredefinedWordList{{"OWN", 5}, {"WIN32", 0}, {"_DEBUG", 0}, {"WIN32", 0}, {"_DEBUG", 0}}));
    std::set<fs::path> files;
    for (const std::string& f : m_doc.files().paths()) files.insert(fs::weakly_canonical(f));
    EXPECT_EQ(files, (std::set<fs::path>{fs::weakly_canonical(path("w/a.cpp")), fs::weakly_canonical(path("w/b c.cpp"))}));
    EXPECT_EQ(m_doc.files().size(), 4u);
    EXPECT_TRUE(m_doc.isModified());
}

TEST_F(ProjectDocumentTest, AddFolderEntersSubfoldersOnlyWhenAskedAndNeverFollowsFolderLinks)
{
    for (const char* f : {"top/a.cpp", "top/a.h", "top/notes.txt", "top/sub/b.cc", "top/sub/deeper/c.C"}) write(f, "");
    fs::create_directory_symlink(path("top"), path("top/sub/loop"));  // entering it would never end
    fs::create_symlink(path("top/a.cpp"), path("top/linked.cpp"));

    m_doc.addFolder(path("top"), false, m_log);
    EXPECT_EQ(m_doc.files().normalized(), (Paths{path("top/a.cpp"), path("top/a.h"), path("top/linked.cpp")}));
    m_doc.newProject();
    m_doc.addFolder(path("top"), true, m_log);
    EXPECT_EQ(m_doc.files().normalized(), (Paths{path("top/a.cpp"), path("top/a.h"), path("top/linked.cpp"),
                                                 path("top/sub/b.cc"), path("top/sub/deeper/c.C")}));
    m_doc.newProject();
    m_doc.addFolder(path("no such folder"), true, m_log);
    EXPECT_TRUE(m_doc.files().empty());
}

TEST_F(ProjectDocumentTest, AddFolderCopesWithDeepAndWideTrees)
{
    fs::path deep = m_dir / "deep";
    for (int i = 0; i < 150; ++i) deep /= "d";
    fs::create_directories(deep);
    std::ofstream(deep / "x.c");
    m_doc.addFolder(path("deep"), true, m_log);
    EXPECT_EQ(m_doc.files().paths(), Paths{(deep / "x.c").string()});

    const fs::path wide = m_dir / "wide";
    fs::create_directories(wide);
    constexpr int kCount = 50000;
    for (int i = 0; i < kCount; ++i) std::ofstream(wide / ("f" + std::to_string(i) + (i % 10 == 0 ? ".txt" : ".c")));
    m_doc.newProject();
    m_doc.addFolder(wide.string(), false, m_log);
    EXPECT_EQ(m_doc.files().normalized().size(), static_cast<std::size_t>(kCount - kCount / 10));
}

TEST_F(ProjectDocumentTest, DropWritesEachPathToTheLogBeforeAddingIt)
{
    fs::create_directories(path("folder"));
    m_doc.drop({"/p/b.cpp", path("folder"), path("gone.dsw"), "/p/a.c"}, m_log);
    EXPECT_EQ(m_log.takeLines(), (Paths{"Getting the file list.", "/p/b.cpp", path("folder"), path("gone.dsw"),
                                        "File Open Error", "/p/a.c"}));
    EXPECT_EQ(m_doc.files().paths(), (Paths{"/p/b.cpp", "/p/a.c"}));
}

TEST_F(ProjectDocumentTest, NewAndAppendResetTheirParts)
{
    m_doc.files().add("/p/a.cpp");
    m_doc.defines().push_back({"A", 1});
    m_doc.files().setIncludeDirectories({"/inc"});
    m_doc.appendFiles({}, m_log);  // the append dialog's OK marks the project even with nothing usable
    EXPECT_TRUE(m_doc.isModified());
    EXPECT_EQ(m_doc.files().includeDirectories(), frontend::projectResetIncludeDirectories());
    EXPECT_EQ(m_doc.files().size(), 1u);

    m_doc.files().setIncludeDirectories({"/inc"});
    m_doc.newProject();
    EXPECT_TRUE(m_doc.files().empty());
    EXPECT_TRUE(m_doc.defines().empty());
    EXPECT_EQ(m_doc.files().includeDirectories(), frontend::projectResetIncludeDirectories());
    EXPECT_FALSE(m_doc.isModified());
}

}  // namespace
}  // namespace qm::project
