#include "silent_view.h"
#include "run_mode.h"

BOOL CSilentView::IsCancelPending() { return m_bCancelPending || SilentRunFailed(); }

RunOutcome CSilentView::Run(const CString& strChosenDir)
{
    if (m_flow.Open(strChosenDir)) {
        m_flow.Install();
        if (m_bInstalled && !SilentRunFailed())
            return kOutcomeInstalled;
    }
    m_flow.Cancel();
    return kOutcomeFailed;
}
