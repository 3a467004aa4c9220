#include "silent_view.h"
#include "run_mode.h"

BOOL CSilentView::IsCancelPending() { return m_bCancelPending || SilentRunFailed(); }

RunOutcome CSilentView::Run()
{
    if (m_flow.Open()) {
        m_flow.Install();
        if (m_bInstalled && !SilentRunFailed())
            return kOutcomeInstalled;
    } else if (m_flow.Outcome() == kOutcomeProductRunning || m_flow.Outcome() == kOutcomeNewerInstalled) {
        return m_flow.Outcome();  // nothing removed or written: nothing to undo
    }
    m_flow.Cancel();
    return kOutcomeFailed;
}
