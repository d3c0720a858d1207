// classifyPath: which endings name sources, headers, workspaces and project files.
#include "project/file_kind.h"

#include <gtest/gtest.h>

namespace qm::project {
namespace {

TEST(ClassifyPath, EndingsInAnyLetterCaseWithAnOptionalClosingQuote)
{
    EXPECT_EQ(classifyPath("/p/a.CPP"), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/a.cpp\""), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/a.Cc"), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/a.C\""), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/w.dsp"), FileKind::Dsp);
    EXPECT_EQ(classifyPath("/p/w.DSW\""), FileKind::Dsw);
    EXPECT_EQ(classifyPath("/p/x.Qmp"), FileKind::Project);
    EXPECT_EQ(classifyPath("/p/x.vcProj\""), FileKind::Vcproj);
    EXPECT_EQ(classifyPath("/p/a.cXx"), FileKind::Source);
    for (const char* path : {"/p/a.h", "/p/a.HPP", "/p/a.hh\"", "/p/a.hxx", "/p/a.Inl", "/p/a.ipp"}) {
        EXPECT_EQ(classifyPath(path), FileKind::Header) << path;
    }
    for (const char* path : {"/p/src", "/p/src/", "", "\"", "/p/a.cpp\"\"", "/p/a.cpp ", "/p/a.hp", "/p/a.ch", "/p/h",
                             "/p/a.in", "/p/a.txt"}) {
        EXPECT_EQ(classifyPath(path), FileKind::None) << path;
    }
}

TEST(ClassifyPath, MultiByteNamesAreNeitherCutNorFolded)
{
    EXPECT_EQ(classifyPath("/p/\xC3\xA4rger/\xD1\x84\xD0\xB0\xD0\xB9\xD0\xBB.cc"), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/\xE6\x97\xA5\xE6\x9C\xAC.Cpp\""), FileKind::Source);
    EXPECT_EQ(classifyPath("/p/\xE6.c"), FileKind::Source);  // a stray lead byte does not swallow the dot
    // "a.çpp" and the full-width ".ＣＰＰ" are not ".cpp".
    EXPECT_EQ(classifyPath("/p/a.\xC3\xA7pp"), FileKind::None);
    EXPECT_EQ(classifyPath("/p/a.\xEF\xBC\xA3\xEF\xBC\xB0\xEF\xBC\xB0"), FileKind::None);
}

}  // namespace
}  // namespace qm::project
