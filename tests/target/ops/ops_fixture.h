// Shared fixture of the operation tests: a plain window that owns the operations'
// boxes, a scripted answerer for them, and a clean registry.
#pragma once
#include "boxes.h"
#include "faults.h"
#include "payload.h"
#include "previous_install.h"
#include "registry.h"
#include "shortcuts.h"
#include "path.h"
#include "target_dir.h"
#include "testenv.h"
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace ops;

class OpsTest : public testing::Test {
protected:
    OpsTest();
    ~OpsTest() override;
    void TearDown() override;

    // One "ERROR" box of an operation: information icon, OK.
    void ExpectError(const std::string& text) { boxes.Expect("ERROR", text, MB_ICONINFORMATION, IDOK); }
    // The texts of all boxes seen so far, in order.
    std::vector<std::string> SeenTexts() const;

    ScriptedBoxes boxes;
    HWND owner;  // the window that owns the operations' boxes
};

// The scope of a run for the machine, as the operations' tests run.
extern const CScope machine;
// A journal's note that goes nowhere.
inline void NoNote(const char*, const char*) {}

// Case-insensitive comparison of two paths.
bool SamePath(const std::string& a, const std::string& b);
