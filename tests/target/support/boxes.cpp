#include "boxes.h"
#include "msgbox.h"
#include "testenv.h"
#include <gtest/gtest.h>

namespace {
ScriptedBoxes* g_current;
std::vector<BoxAnswer> g_logAnswers;
int g_logOtherwise;

int LoggingHandler(HWND hOwner, const char* text, const char* caption, UINT type, AfxBoxKind)
{
    Log(std::string("box ") + caption + " " + std::to_string(type) + (hOwner ? " owned" : "") +
        (hOwner && ::IsWindowVisible(hOwner) ? " shown" : "") + " " + Flat(text));
    for (const BoxAnswer& a : g_logAnswers)
        if (a.caption == caption)
            return a.answer;
    return g_logOtherwise;
}
} // namespace

void LogBoxes(const std::vector<BoxAnswer>& answers, int otherwise)
{
    g_logAnswers = answers;
    g_logOtherwise = otherwise;
    AfxSetMessageBoxHandler(LoggingHandler);
}

ScriptedBoxes::ScriptedBoxes() : m_outer(g_current)
{
    g_current = this;
    m_previous = (void*)AfxSetMessageBoxHandler(&ScriptedBoxes::Handler);
}

ScriptedBoxes::~ScriptedBoxes()
{
    AfxSetMessageBoxHandler((AfxMessageBoxHandler)m_previous);
    g_current = m_outer;
    for (size_t i = m_next; i < m_script.size(); ++i)
        ADD_FAILURE() << "expected box not shown: [" << m_script[i].caption << "] " << m_script[i].text;
}

ScriptedBoxes& ScriptedBoxes::Expect(const std::string& caption, const std::string& text, UINT type, int answer)
{
    m_script.push_back(Step{ caption, text, type, answer });
    return *this;
}

void ScriptedBoxes::AnswerAnyWith(int answer)
{
    m_any = true;
    m_anyAnswer = answer;
}

int ScriptedBoxes::Handler(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    return g_current->Answer(hOwner, pszText, pszCaption, nType, nKind);
}

int ScriptedBoxes::Answer(HWND hOwner, const char* pszText, const char* pszCaption, UINT nType, AfxBoxKind nKind)
{
    m_seen.push_back(SeenBox{ hOwner, pszCaption ? pszCaption : "", pszText ? pszText : "", nType, nKind });
    if (m_any)
        return m_anyAnswer;
    if (m_next < m_script.size()) {
        const Step& s = m_script[m_next++];
        EXPECT_EQ(s.caption, m_seen.back().caption) << "box " << m_seen.size() << ": " << m_seen.back().text;
        EXPECT_EQ(s.text, m_seen.back().text) << "box " << m_seen.size();
        EXPECT_EQ(s.type, nType) << "box " << m_seen.size() << ": " << m_seen.back().text;
        return s.answer;
    }
    ADD_FAILURE() << "unexpected box: [" << m_seen.back().caption << "] " << m_seen.back().text;
    switch (nType & MB_TYPEMASK) {
    case MB_YESNO: return IDNO;
    case MB_OK: return IDOK;
    default: return IDCANCEL;
    }
}
