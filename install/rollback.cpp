// The Cancel button: after the user confirms, the run's journal is settled as for any
// run that does not complete: what the run made goes, each directory it made that
// stays is said in a "NOTE" box, and what it set aside comes back. Then the user is
// told that the product was not installed, and the view ends.
//
// The journal names each file where this run's installs wrote it, not whatever
// directory the field shows when Cancel is pressed: after a failed Install the user
// may have typed another directory, and product-named files there are not ours.
#include "install_flow.h"

void CInstallFlow::Cancel()
{
    m_view.SetCancelPending(TRUE);
    const char* pszQuestion = AnyProgressFlagSet() ? kCancelAbortQuestion : kCancelNothingQuestion;
    if (Box(pszQuestion, kCancelCaption, MB_YESNO | MB_ICONQUESTION, kBoxQuestion) == IDNO) {
        m_view.SetCancelPending(FALSE);
        return;
    }
    m_outcome = kOutcomeUserEnded;
    Status(kStatusAborting);
    if (m_journal.IsActive())
        m_journal.Settle(m_view.BoxOwner(), TRUE);
    Box(kNotInstalledText, kIncompleteCaption, MB_ICONINFORMATION, kBoxNotice);
    m_view.EndCancelled();
}
