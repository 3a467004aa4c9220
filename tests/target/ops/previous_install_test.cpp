// DeleteMatchingFiles, the operation that removes a previous installation's files: a
// directory's files by pattern, never its subdirectories or other names, and nothing
// where the directory's name is too long for the system's search.
#include "ops_fixture.h"

using testing::UnorderedElementsAre;

namespace {

class PreviousInstallTest : public OpsTest {
protected:
    ScratchDir scratch{ CurrentTestName() };
    std::string old = scratch / "Old\\Merolin";  // a previous installation's directory
};

TEST_F(PreviousInstallTest, DeleteMatchingFilesInAVeryLongDirectoryDeletesNothing)
{
    ops::DeleteMatchingFiles(("C:\\scratch\\" + std::string(1000, 'm')).c_str(), "Merolin.*");
}

TEST_F(PreviousInstallTest, DeleteMatchingFilesSkipsDirectoriesAndOtherNames)
{
    ASSERT_EQ(0, SHCreateDirectoryExA(NULL, (old + "\\Merolin.cfg").c_str(), NULL));
    for (const char* name : { "Merolin.a", "Merolin.b", "Merolin_old.c", "xMerolin.c" })
        WriteWholeFile(old + "\\" + name, "x");
    ops::DeleteMatchingFiles(old.c_str(), "Merolin.*");
    EXPECT_THAT(ListDir(old), UnorderedElementsAre("Merolin.cfg", "xMerolin.c", "Merolin_old.c"));
    ops::DeleteMatchingFiles((old + "\\missing").c_str(), "*.*");
    EXPECT_EQ(3u, ListDir(old).size());
}

} // namespace
