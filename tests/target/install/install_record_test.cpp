// CInstallRecord where the system gives no file identity for a directory: its sites
// are told apart by name alone.
#include "faults.h"
#include "install_record.h"
#include "testenv.h"
#include <gtest/gtest.h>

// Two spellings that differ only in the case of ASCII letters are one site; other
// names, a letter outside ASCII in another case included, are sites of their own.
// No two unidentified sites are known to be apart, so that nothing of one is removed
// for the other's sake.
TEST(InstallRecord, WithoutFileIdentitiesSitesAreToldApartByName)
{
    ScratchDir scratch(CurrentTestName());
    const std::string dir = scratch / "Merolin", other = scratch / "Other";
    std::string upper = dir;
    ::CharUpperA(&upper[0]);
    ASSERT_TRUE(::CreateDirectoryA(dir.c_str(), NULL) && ::CreateDirectoryA(other.c_str(), NULL));
    PlatformFaults faults;
    faults.Fail(AFX_CALL_GetFileInformationByHandle, 1, -1);

    CInstallRecord record;
    CInstallRecord::Site* pSite = record.Enter(dir.c_str());
    EXPECT_FALSE(pSite->bIdentified);
    EXPECT_EQ(pSite, record.Enter(upper.c_str()));
    CInstallRecord::Site* pOther = record.Enter(other.c_str());
    EXPECT_NE(pSite, pOther);
    EXPECT_NE(record.Enter((scratch / "Caf\xe9").c_str()), record.Enter((scratch / "CAF\xc9").c_str()));
    EXPECT_FALSE(CInstallRecord::KnownApart(*pSite, *pOther));
}
