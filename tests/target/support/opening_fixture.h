// Shared fixture of the opening's tests (tests/target/install/opening_test.cpp) and
// of the installer dialog's (tests/target/ui), which opens through it: the system's
// values that the opening reads, with the platform calls counted.
#pragma once
#include "boxes.h"
#include "faults.h"
#include "install_flow.h"
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

// Every test opens with the platform calls counted, COM set up by the opening
// itself (and taken down again afterwards), the system's "ProgramFilesDir" value
// restored and the product's keys absent (and gone again afterwards).
class OpeningTest : public ::testing::Test {
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
        RemoveProductKeys();
        if (m_savedProgramFiles == "<missing>")
            DeleteProgramFilesDir();
        else
            RegPutString(kCurrentVersion, "ProgramFilesDir", m_savedProgramFiles);
    }
    PlatformFaults faults;
    std::string m_savedProgramFiles;
};
