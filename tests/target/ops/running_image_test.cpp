// The file the kept copy of the installer is made from: the one the process runs,
// opened at start, and nothing that merely stands at its name.
#include "ops_fixture.h"
#include "running_image.h"

namespace {

std::string g_swapped;  // a copy of the program's file, of the same bytes
DWORD WINAPI SwappedSelf(HMODULE, LPSTR name, DWORD n) { return lstrcpynA(name, g_swapped.c_str(), n), g_swapped.size(); }

TEST(RunningImage, TheCopyIsMadeFromTheRunningImageOnly)
{
    char self[MAX_PATH];
    ::GetModuleFileNameA(NULL, self, MAX_PATH);
    ScratchDir scratch(CurrentTestName());
    const std::string copy = scratch / "Kept.exe";
    g_swapped = scratch / "Swapped.exe";
    ASSERT_TRUE(::CopyFileA(self, g_swapped.c_str(), FALSE));
    // Opened at start: the program's file, or one swapped in at its name; the system
    // compares it with the image, or cannot (Windows 9x: taken).
    const struct { bool swapped, noComparison, kept; } cases[] = {
        { false, false, true }, { true, false, false }, { true, true, true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "swapped " << c.swapped << ", no comparison " << c.noComparison);
        {
            PlatformFaults faults;
            if (c.swapped)
                faults.Forward().GetModuleFileNameA = SwappedSelf;
            OpenRunningImage();
        }
        PlatformFaults faults;
        faults.SetFailureError(ERROR_PROC_NOT_FOUND);
        if (c.noComparison)
            faults.Fail(AFX_CALL_NtAreMappedFilesTheSame, 1, -1);
        WriteWholeFile(copy, "an older installer");
        EXPECT_FALSE(IsRunningImageCopy(copy.c_str()));
        EXPECT_EQ(c.kept, !!WriteRunningImage(copy.c_str()));
        EXPECT_EQ(c.kept, !!IsRunningImageCopy(copy.c_str()));
        EXPECT_EQ(c.kept ? ReadWholeFile(self) : "an older installer", ReadWholeFile(copy));
    }
    OpenRunningImage();
    {
        PlatformFaults faults;  // a write that fails leaves nothing
        faults.Fail(AFX_CALL_WriteFile);
        EXPECT_FALSE(WriteRunningImage(copy.c_str()));
        EXPECT_FALSE(FileExists(copy));
    }
    WriteWholeFile(copy, ReadWholeFile(self) + "x");  // one byte more is another file
    EXPECT_FALSE(IsRunningImageCopy(copy.c_str()));
}

} // namespace
