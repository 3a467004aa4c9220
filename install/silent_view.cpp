#include "silent_view.h"
#include "run_mode.h"

BOOL CSilentView::IsCancelPending() { return m_bCancelPending || SilentRunFailed(); }

int CSilentView::Run(const CString& strChosenDir)
{
    if (m_flow.Open(strChosenDir)) {
        m_flow.Install();
        if (m_bInstalled && !SilentRunFailed())
            return kExitInstalled;
    }
    m_flow.Cancel();
    return kExitFailed;
}
