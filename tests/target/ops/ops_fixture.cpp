#include "ops_fixture.h"

OpsTest::OpsTest()
{
    // A product key left by another test would make the opening dialog find an installation.
    RemoveProductKeys();
    // The dialog starts COM and never stops it; on this thread, every dialog after the
    // first would find it started and refuse to open. Its start is answered without
    // touching COM; the tests that need COM start it themselves.
    PlatformFaults opening;
    opening.Forward().CoInitialize = [](LPVOID) -> HRESULT { return S_OK; };
    EXPECT_TRUE(dlg.Create(IDD_INSTALLER));
}

void OpsTest::SetUp() { ASSERT_TRUE(dlg.m_hWnd != NULL); }

void OpsTest::TearDown()
{
    if (dlg.m_hWnd)
        dlg.DestroyWindow();
    RemoveProductKeys();
}

std::vector<std::string> OpsTest::SeenTexts() const
{
    std::vector<std::string> texts;
    for (const SeenBox& box : boxes.Seen())
        texts.push_back(box.text);
    return texts;
}

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }
