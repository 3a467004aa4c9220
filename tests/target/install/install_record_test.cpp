// CInstallRecord where the system gives no file identity for a directory: its sites
// are told apart by name alone. The run's record on disk, as the next run settles it:
// only a record that names the run's own places counts.
#include "faults.h"
#include "install_flow.h"
#include "install_record.h"
#include "set_aside.h"
#include "shell_folders.h"
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

// The next run settles a record only when every entry names the run's own places in
// their one canonical form: the record's sites and their folders aside, the link
// folders, the product's keys. A record that names anything else is not applied at
// all; the run goes on. Kept keys come back as they were, without a class they lacked.
TEST(RunRecord, ARecordNamingAnyPlaceNotItsOwnIsNotAppliedAtAll)
{
    ScratchDir scratch(CurrentTestName());
    const std::string dir = scratch.Path(), key = std::string(kVendorKey) + "\\1.20";
    CString startup;
    ASSERT_TRUE(ops::ShellFolderPath(CSIDL_COMMON_STARTUP, startup));
    const std::string foreign[] = { "", dir + "\\notes.txt", dir + "\\MR.OLD\\..\\Merolin.exe", dir + "/Merolin.exe",
                                    "\\\\?\\" + dir + "\\Merolin.exe", "\\\\server\\share\\Merolin.exe", "Merolin.exe",
                                    scratch / "Elsewhere\\Merolin.exe", std::string(startup) + "\\Merolin.lnk",
                                    "SOFTWARE\\Tolvane Software\\Other" };
    for (const std::string& entry : foreign) {
        SCOPED_TRACE("naming " + entry);
        WriteWholeFile(dir + "\\Merolin.hlp", "1.20");
        WriteWholeFile(dir + "\\Merolin.exe", "1.31");
        HKEY hKey;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, NULL, 0, KEY_WRITE, NULL, &hKey, NULL));
        RegSetValueExA(hKey, "", 0, REG_SZ, (const BYTE*)"1", 2);
        RegCloseKey(hKey);
        ops::CRecordFile record;
        ASSERT_TRUE(record.Create());
        record.Add(ops::CRecordFile::kSite, dir.c_str());
        ASSERT_TRUE(ops::RecordSetAside(record, (dir + "\\Merolin.hlp").c_str()));
        ASSERT_TRUE(ops::KeepKeyTree(record, key.c_str()));
        record.Add(ops::CRecordFile::kNewFile, (dir + "\\Merolin.exe").c_str());
        if (!entry.empty())
            record.Add(entry[0] == 'S' ? ops::CRecordFile::kKeptKey
                       : entry.find(".lnk") != std::string::npos ? ops::CRecordFile::kKeptLink
                                                                 : ops::CRecordFile::kNewFile,
                       entry.c_str(), "\1\0\0\0x", 5);
        ASSERT_TRUE(record.Flush());
        ASSERT_TRUE(ops::MoveAside(record, (dir + "\\Merolin.hlp").c_str()));
        RemoveProductKeys();
        record.Close(FALSE);

        EXPECT_TRUE(RepairInterruptedRun(ops::CScope()));
        const bool applied = entry.empty();
        EXPECT_EQ(applied, ReadWholeFile(dir + "\\Merolin.hlp") == "1.20");
        EXPECT_EQ(applied, !FileExists(dir + "\\Merolin.exe"));
        EXPECT_EQ(applied, RegString(key, "") == "1");
        EXPECT_FALSE(FileExists(std::string(startup) + "\\Merolin.lnk"));
        char szClass[32] = "?";
        DWORD nClass = sizeof szClass;
        if (applied && RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &hKey) == ERROR_SUCCESS) {
            RegQueryInfoKeyA(hKey, szClass, &nClass, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL, NULL);
            RegCloseKey(hKey);
            EXPECT_STREQ("", szClass) << "a class the key did not have";
        }
        RemoveProductKeys();
        RemoveTree(dir + "\\MR.OLD");
        ::DeleteFileA(ops::CRecordFile::Path());
    }
}
