// This installer does not replace a newer Merolin unasked: a silent run over one ends
// with its own exit code before anything is removed, and changes nothing. The same
// version is installed again (a repair), an older one upgraded; a run with windows
// goes on to the overwrite question as always. The log says which it was.
#include "install_flow.h"
#include "install_log.h"
#include "installed_version.h"

BOOL CInstallFlow::EndIfNewerInstalled()
{
    CString strFound = kLogUnknownVersion;
    const DWORD nFound = ops::ReadInstalledVersion(Scope(), strFound);
    const DWORD nOwn = kVersionMajor << 16 | kVersionMinor;
    const BOOL bEnd = nFound > nOwn && m_options.m_bSilent;
    CString strLine;
    strLine.Format(nFound < nOwn ? kLogFoundOlder : nFound == nOwn ? kLogFoundSame : kLogFoundNewer,
                   (const char*)strFound, bEnd ? kLogNothingDone : kLogDowngrading);
    g_installLog.Write(strLine);
    if (bEnd)
        m_outcome = kOutcomeNewerInstalled;
    return bEnd;
}
