// Shared fixture of the installer dialog's tests (tests/target/ui) and of its
// opening's (tests/target/install/opening_test.cpp): the dialog opened from the real
// template, with the platform calls counted.
#pragma once
#include "boxes.h"
#include "faults.h"
#include "installer_dlg.h"
#include "manifest.h"
#include "resource.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <string>

const char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
inline void DeleteProgramFilesDir()
{
    HKEY h;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kCurrentVersion, 0, KEY_SET_VALUE, &h) == ERROR_SUCCESS) {
        ::RegDeleteValueA(h, "ProgramFilesDir");
        ::RegCloseKey(h);
    }
}

// Every test opens the dialog with the platform calls counted, COM set up by the
// dialog itself (and taken down again afterwards), the system's "ProgramFilesDir"
// value restored and the product's keys absent.
class InstallerDlgTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_savedProgramFiles = RegString(kCurrentVersion, "ProgramFilesDir");
        RegPutString(kCurrentVersion, "ProgramFilesDir", "C:\\Program Files");
        RemoveProductKeys();
        faults.Forward().CoInitialize = RecordingCoInitialize;
        g_strInstallDir = "";
        g_strStartMenuDir = "";
    }
    void TearDown() override
    {
        UninitializeRecordedCom();
        if (m_savedProgramFiles == "<missing>")
            DeleteProgramFilesDir();
        else
            RegPutString(kCurrentVersion, "ProgramFilesDir", m_savedProgramFiles);
    }
    // Opens the dialog modeless (its initialisation runs in full) and returns the
    // directory it proposes.
    std::string ProposedDirectory()
    {
        CRunOptions options;
        CInstallerDlg dlg(options, NULL);
        EXPECT_TRUE(dlg.Create(IDD_INSTALLER));
        std::string shown = std::string(dlg.GetDlgItemText(IDC_TARGET_DIR));
        std::string member = std::string(dlg.m_strTargetDir);
        dlg.DestroyWindow();
        UninitializeRecordedCom();
        EXPECT_EQ(member, shown);
        EXPECT_EQ(std::string(g_strInstallDir), shown);
        return shown;
    }

    PlatformFaults faults;
    std::string m_savedProgramFiles;
};
