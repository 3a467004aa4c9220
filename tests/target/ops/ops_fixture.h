// Shared fixture of the operation tests: an installer dialog made from the real
// template, a scripted answerer for its boxes, and a clean registry.
#pragma once
#include "boxes.h"
#include "faults.h"
#include "installer_dlg.h"
#include "manifest.h"
#include "resource.h"
#include "testenv.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

class OpsTest : public testing::Test {
protected:
    // The dialog is opened here, before the members of derived fixtures (a
    // PlatformFaults among them) exist, so its opening is neither faked nor counted.
    OpsTest();
    void SetUp() override;
    void TearDown() override;

    // One "ERROR" box of an operation: information icon, OK.
    void ExpectError(const std::string& text) { boxes.Expect("ERROR", text, MB_ICONINFORMATION, IDOK); }
    // The texts of all boxes seen so far, in order.
    std::vector<std::string> SeenTexts() const;

    ScriptedBoxes boxes;  // declared first: it also answers boxes of the dialog's opening
    CInstallerDlg dlg;
};

// Case-insensitive comparison of two paths.
bool SamePath(const std::string& a, const std::string& b);
