// The project file: the bytes a save writes, what opening reads back, the messages of both, and
// files that are damaged, hostile or cannot be written.
#include "project/project_document.h"
#include "project_test_dir.h"
#include "frontend/small_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <random>

#include <sys/stat.h>
#include <unistd.h>

namespace qm::project {
namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;
using Messages = std::vector<std::string>;
using frontend::PredefinedWordList;
using namespace std::string_literals;

class ProjectFileTest : public testing::ProjectTestDir {
protected:
    Messages open(const std::string& file, bool expectSuccess = true)
    {
        RecordingReporter reporter;
        EXPECT_EQ(m_doc.open(file, reporter), expectSuccess) << file;
        return reporter.messages;
    }
    Messages save(const std::string& file, bool expectSuccess = true)
    {
        RecordingReporter reporter;
        EXPECT_EQ(m_doc.save(file, reporter), expectSuccess) << file;
        return reporter.messages;
    }
    bool temporaryFilesLeft() const
    {
        for (const auto& entry : fs::recursive_directory_iterator(m_dir)) {
            if (entry.path().extension() == ".tmp") return true;
        }
        return false;
    }

    ProjectDocument m_doc;
};

TEST_F(ProjectFileTest, SaveWritesTheFormatInNormalisedOrder)
{
    for (const char* p : {"/p/b.cpp", "/p/a.cpp", "/p/B.cpp", "/p/a.cpp"}) m_doc.files().add(p);
    m_doc.defines() = {{"WIN32", 1}, {"_X", -5}, {"LOW", INT32_MIN}, {"WIN32", 0}};
    m_doc.setModified(true);
    const std::string file = path("p.qmp");
    EXPECT_EQ(save(file), Messages{"Project Saved."});
    EXPECT_FALSE(m_doc.isModified());
    EXPECT_EQ(read(file),
              "Quill Marsh Project File\r\nV0.6\r\n<Option>\r\n</Option>\r\n<Define>\r\n4\r\n"
              "WIN32\r\n1\r\n_X\r\n-5\r\nLOW\r\n-2147483648\r\nWIN32\r\n0\r\n</Define>\r\n"
              "<File>\r\n/p/B.cpp\r\n/p/a.cpp\r\n/p/b.cpp\r\n</File>\r\n");
    EXPECT_FALSE(temporaryFilesLeft());
}

TEST_F(ProjectFileTest, ReopeningGivesTheSameProjectWithEveryFileSelected)
{
    // Blanks, quotes, non-ASCII letters, invalid UTF-8 and megabyte lines are kept byte for byte.
    const Paths files{"/p/my file.cpp", "/p/\"quoted\".c", "/p/\xC3\xA4rger \xE6\x97\xA5.cc", "/p/ lead.cpp",
                      "/p/bad\xFF.c", "/p/" + std::string(1 << 20, 'x') + ".cpp"};
    for (const auto& f : files) m_doc.files().add(f);
    m_doc.files().setAllSelected(false);
    m_doc.defines() = {{"A B", 7}, {"\"Q\"", -1}, {"", 3}, {std::string(1 << 20, 'N'), INT32_MAX}};
    save(path("round.qmp"));

    ProjectDocument other;
    other.files().add("/old.cpp");
    other.defines().push_back({"OLD", 1});
    other.files().setIncludeDirectories({"/inc"});
    RecordingReporter reporter;
    ASSERT_TRUE(other.open(path("round.qmp"), reporter));
    EXPECT_EQ(reporter.messages, Messages{"Project open success - 6 file(s) in project."});
    Paths sorted = files;
    std::sort(sorted.begin(), sorted.end());
    EXPECT_EQ(other.files().paths(), sorted);
    EXPECT_EQ(other.files().selected(), std::vector<bool>(6, true));
    EXPECT_EQ(other.defines(), m_doc.defines());
    EXPECT_EQ(other.files().includeDirectories(), frontend::projectResetIncludeDirectories());
}

TEST_F(ProjectFileTest, ReadingIgnoresTheCountAndWhatLiesOutsideTheSections)
{
    const std::string file = write("loose.qmp",
                                   "garbage before\n<Option>\nanything\n<File>\n</Option>\n"
                                   "<Define>\n5\nONE\n1\nTWO\n  -2x\n</Define>\n"
                                   "between\n<Define>\n-5\nBIG\n4294967297\nNAN\nabc\n</Define>\n"
                                   "<Define>\n1000000000000\nDANGLING\n</Define>\n"
                                   "<File>\r\n/p/b.cpp\r\nab\r\n\r\n/p/a.cpp\n/p/a.cpp\n</File>\nafter\n");
    EXPECT_EQ(open(file), Messages{"Project open success - 2 file(s) in project."});
    EXPECT_EQ(m_doc.files().paths(), (Paths{"/p/a.cpp", "/p/b.cpp"}));
    EXPECT_EQ(m_doc.defines(), (PredefinedWordList{{"ONE", 1}, {"TWO", -2}, {"BIG", INT32_MAX}, {"NAN", 0}}));

    // Relative lines are taken from the project file's folder; absolute ones stay as written.
    open(write("proj/sub/p.qmp", "<File>\nsrc/a.cpp\n../b.cpp\n/abs/../kept.cpp\n</File>\n"));
    EXPECT_EQ(m_doc.files().paths(), (Paths{"/abs/../kept.cpp", path("proj/b.cpp"), path("proj/sub/src/a.cpp")}));
}

TEST_F(ProjectFileTest, AFileEndingInsideASectionKeepsWhatWasRead)
{
    EXPECT_EQ(open(write("cut.qmp", "<Define>\n1\nX\n9\n</Define>\n<File>\n/p/a.cpp\n/p/b.c")),
              (Messages{"Project File Opened but Broken.", "Project open success - 2 file(s) in project."}));
    EXPECT_EQ(m_doc.files().paths(), (Paths{"/p/a.cpp", "/p/b.c"}));
    EXPECT_EQ(m_doc.defines(), (PredefinedWordList{{"X", 9}}));

    EXPECT_EQ(open(write("cut2.qmp", "<Define>\n2\nX\n9\nY")),
              (Messages{"Project File Opened but Broken.", "This project has no file."}));
    EXPECT_EQ(m_doc.defines(), (PredefinedWordList{{"X", 9}}));
}

TEST_F(ProjectFileTest, OpeningEmptiesTheProjectFirstAndFailsOnWhatItCannotRead)
{
    fs::create_directories(path("folder.qmp"));
    ASSERT_EQ(::mkfifo(path("pipe.qmp").c_str(), 0600), 0);  // a reader must not wait for a writer
    const std::string notQmp = write("good.txt", "<File>\n/p/a.cpp\n</File>\n");
    for (const std::string& file : {notQmp, path("missing.qmp"), path("folder.qmp"), path("pipe.qmp")}) {
        m_doc.files().add("/old.cpp");
        m_doc.defines().push_back({"OLD", 1});
        m_doc.files().setIncludeDirectories({"/inc"});
        m_doc.setModified(true);
        // A name without the .qmp ending fails before reading, without a message.
        EXPECT_EQ(open(file, false), file == notQmp ? Messages{} : Messages{"Project File Open Error."});
        EXPECT_TRUE(m_doc.files().empty());
        EXPECT_TRUE(m_doc.defines().empty());
        EXPECT_EQ(m_doc.files().includeDirectories(), frontend::projectResetIncludeDirectories());
        EXPECT_FALSE(m_doc.isModified());
    }
}

TEST_F(ProjectFileTest, RandomBytesAndNulBytesOpenSafely)
{
    std::mt19937 random(12345);
    std::string noise(1 << 16, '\0');
    for (char& c : noise) c = static_cast<char>(random() & 0xFF);
    EXPECT_EQ(open(write("noise.qmp", noise)), Messages{"This project has no file."});

    // A NUL byte ends a line's text: a path cut there can never open some other file.
    EXPECT_EQ(open(write("nul.qmp", "<Define>\n1\nN\0X\n4\n</Define>\n<File>\n/p/a.c\0pp\n\0\n</File>\n"s)),
              Messages{"Project open success - 1 file(s) in project."});
    EXPECT_EQ(m_doc.files().paths(), Paths{"/p/a.c"});
    EXPECT_EQ(m_doc.defines(), (PredefinedWordList{{"N", 4}}));
}

TEST_F(ProjectFileTest, AFailedSaveReportsAndLeavesTheOldFileWhole)
{
    const std::string file = path("keep.qmp");
    m_doc.files().add("/p/a.cpp");
    save(file);
    const std::string before = read(file);

    // Names that would not read back as themselves are refused before anything is written.
    for (const std::string bad : {"/p/two\nlines.cpp", "/p/cr\r.cpp", "</File>", "ab"}) {
        m_doc.files().add(bad);
        m_doc.setModified(true);
        EXPECT_EQ(save(file, false), Messages{bad + " : cannot be stored in a project file"});
        EXPECT_EQ(read(file), before);
        EXPECT_TRUE(m_doc.isModified());
        m_doc.files().removeAt(static_cast<std::size_t>(
            std::find(m_doc.files().paths().begin(), m_doc.files().paths().end(), bad) - m_doc.files().paths().begin()));
    }
    m_doc.defines().push_back({"</Define>", 1});
    EXPECT_EQ(save(file, false), Messages{"</Define> : cannot be stored in a project file"});
    m_doc.defines().clear();

    const std::string noFolder = path("no/such/folder/p.qmp");
    EXPECT_EQ(save(noFolder, false), Messages{noFolder + " : cannot write file"});
    // A folder in the way: the temporary file is written and removed again.
    fs::create_directories(path("taken.qmp/inside"));
    EXPECT_EQ(save(path("taken.qmp"), false), Messages{path("taken.qmp") + " : cannot write file"});
    EXPECT_TRUE(fs::is_directory(path("taken.qmp/inside")));
    EXPECT_FALSE(temporaryFilesLeft());
    EXPECT_EQ(read(file), before);
}

TEST_F(ProjectFileTest, AProjectFileOverTheSizeLimitIsNotRead)
{
    const std::string file = write("huge.qmp", "Quill Marsh Project File\r\nV0.6\r\n<File>\r\n/p/a.cpp\r\n");
    fs::resize_file(file, frontend::kMaxSmallFileBytes + 1);
    m_doc.files().add("/p/old.cpp");
    EXPECT_EQ(open(file, false), (Messages{"Project File Open Error.", file + " : file too large"}));
    EXPECT_TRUE(m_doc.files().paths().empty());
}

TEST_F(ProjectFileTest, AFileChangedByAnotherProgramIsNotSavedOverUnasked)
{
    m_doc.files().add("/p/a.cpp");
    const std::string file = path("shared.qmp");
    save(file);
    ProjectDocument other;
    RecordingReporter ignored;
    ASSERT_TRUE(other.open(file, ignored));

    // The other program saves first (its file gets a new identity, as every save does).
    other.files().add("/p/from-other.cpp");
    ASSERT_TRUE(other.save(file, ignored));
    const std::string theirs = read(file);

    // Without a question the save is refused and says why; a "no" refuses quietly; both leave
    // the other program's file as it was.
    m_doc.files().add("/p/mine.cpp");
    m_doc.setModified(true);
    EXPECT_EQ(save(file, false), Messages{file + " : changed by another program since it was opened; not saved"});
    std::vector<std::string> asked;
    RecordingReporter reporter;
    EXPECT_FALSE(m_doc.save(file, reporter, [&](const std::string& p) { asked.push_back(p); return false; }));
    EXPECT_TRUE(reporter.messages.empty());
    EXPECT_EQ(asked, Paths{file});
    EXPECT_EQ(read(file), theirs);
    EXPECT_TRUE(m_doc.isModified());

    // A "yes" saves over it; from then on this document's save is the one it knows.
    EXPECT_TRUE(m_doc.save(file, reporter, [](const std::string&) { return true; }));
    EXPECT_NE(read(file).find("/p/mine.cpp"), std::string::npos);
    EXPECT_EQ(save(file), Messages{"Project Saved."});
    // Now the other document is the one behind.
    EXPECT_EQ(other.save(file, reporter), false);

    // A change in place with the same size is found too (by its time); saving under another
    // name, a new project and a file that is gone ask nothing.
    const std::string mine = read(file);
    std::string edited = mine;
    edited[edited.size() - 3] = 'X';
    ::usleep(10000);
    std::ofstream(file, std::ios::binary) << edited;
    EXPECT_EQ(save(file, false).size(), 1u);
    fs::remove(file);
    EXPECT_EQ(save(file), Messages{"Project Saved."});
    std::ofstream(file, std::ios::app) << "more";
    EXPECT_EQ(save(path("copy.qmp")), Messages{"Project Saved."});
    other.newProject();
    EXPECT_TRUE(other.save(file, reporter));
}

}  // namespace
}  // namespace qm::project
