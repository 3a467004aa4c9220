// A scripted answerer for the program's message boxes: each expected box names its
// caption, text and type and the button to answer; every box seen is recorded.
// A box that the script does not expect fails the test and is answered with
// IDCANCEL (or IDNO / IDOK for boxes without Cancel).
#pragma once
#include "msgbox.h"
#include <string>
#include <vector>

struct SeenBox {
    HWND hOwner;
    std::string caption;
    std::string text;
    UINT type;
    AfxBoxKind kind;
};

class ScriptedBoxes {
public:
    ScriptedBoxes();   // installs itself as the program's message-box handler
    ~ScriptedBoxes();  // restores the previous handler; fails on unused expectations

    // Appends one expected box to the script.
    ScriptedBoxes& Expect(const std::string& caption, const std::string& text, UINT type, int answer);
    // Any box is accepted and answered with `answer` (for sweeps and smoke runs).
    void AnswerAnyWith(int answer);

    const std::vector<SeenBox>& Seen() const { return m_seen; }
    size_t Pending() const { return m_script.size() - m_next; }

private:
    struct Step { std::string caption, text; UINT type; int answer; };
    static int Handler(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind);
    int Answer(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind);
    std::vector<Step> m_script;
    size_t m_next = 0;
    std::vector<SeenBox> m_seen;
    bool m_any = false;
    int m_anyAnswer = IDOK;
    void* m_previous;
    ScriptedBoxes* m_outer;
};

// For a death test: every box from now on is logged (Log, testenv.h) as
// "box CAPTION TYPE[ owned][ shown] TEXT", with the text flattened, "owned" when it has an
// owner window and "shown" when that is visible, and answered by its caption from
// `answers`, with `otherwise` when the caption is not listed.
struct BoxAnswer {
    std::string caption;
    int answer;
};
void LogBoxes(const std::vector<BoxAnswer>& answers = {}, int otherwise = IDOK);
