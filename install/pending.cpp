// Scaffolding until the install sequence and the rollback land: both buttons do nothing.
#include "installer_dlg.h"

void CInstallerDlg::OnInstall() {}
void CInstallerDlg::OnCancelInstall() {}

// Scaffolding until the previous-installation check lands: no previous installation
// is ever found, so the dialog opens with the proposed directory.
BOOL CInstallerDlg::DetectPreviousInstall(BOOL) { return FALSE; }
