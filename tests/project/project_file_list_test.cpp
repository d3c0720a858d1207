// ProjectFileList: normalisation and flags kept in step with their paths.
#include "project/project_file_list.h"

#include <gtest/gtest.h>

namespace qm::project {
namespace {

using Paths = std::vector<std::string>;
using Flags = std::vector<bool>;

TEST(ProjectFileList, NormalizedSortsByteWiseAndKeepsTheLastFlagOfADuplicate)
{
    ProjectFileList list;
    for (const char* p : {"/p/b.cpp", "/p/a.cpp", "/p/B.cpp", "/p/a.cpp", "/p/B.cpp"}) list.add(p);
    list.setSelected(1, false);  // the earlier /p/a.cpp: overridden by the later one
    list.setSelected(4, false);  // the later /p/B.cpp: wins
    const auto entries = list.runEntries();  // a normalised copy; the list stays as it is
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(list.normalized(), (Paths{"/p/B.cpp", "/p/a.cpp", "/p/b.cpp"}));
    EXPECT_EQ(list.selected(), (Flags{false, true, true}));
    EXPECT_EQ(entries[0].path, "/p/B.cpp");
    EXPECT_FALSE(entries[0].selected);
}

TEST(ProjectFileList, RemovingClearingAndSelectingKeepFlagsInStep)
{
    ProjectFileList list;
    for (const char* p : {"/a.c", "/b.c", "/c.c"}) list.add(p);
    list.setSelected(1, false);
    list.removeAt(1);
    EXPECT_EQ(list.paths(), (Paths{"/a.c", "/c.c"}));
    EXPECT_EQ(list.selected(), (Flags{true, true}));
    EXPECT_THROW(list.removeAt(2), std::out_of_range);
    list.setAllSelected(false);
    EXPECT_EQ(list.selected(), (Flags{false, false}));

    EXPECT_EQ(list.includeDirectories(), frontend::projectResetIncludeDirectories());
    list.setIncludeDirectories({"/usr/include"});
    list.clear();
    EXPECT_TRUE(list.selected().empty());
    EXPECT_EQ(list.includeDirectories(), Paths{"/usr/include"});
}

}  // namespace
}  // namespace qm::project
