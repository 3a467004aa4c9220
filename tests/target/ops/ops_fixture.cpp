#include "ops_fixture.h"

OpsTest::OpsTest()
{
    // A product key left by another test would be found by the operations.
    RemoveProductKeys();
    owner = ::CreateWindowExA(0, "STATIC", "Operations' owner", WS_OVERLAPPED, 0, 0, 100, 100, NULL, NULL, NULL, NULL);
    EXPECT_TRUE(owner != NULL);
}

OpsTest::~OpsTest() { ::DestroyWindow(owner); }

void OpsTest::TearDown() { RemoveProductKeys(); }

std::vector<std::string> OpsTest::SeenTexts() const
{
    std::vector<std::string> texts;
    for (const SeenBox& box : boxes.Seen())
        texts.push_back(box.text);
    return texts;
}

const CScope machine(CScope::kMachine);

bool SamePath(const std::string& a, const std::string& b) { return lstrcmpiA(a.c_str(), b.c_str()) == 0; }
