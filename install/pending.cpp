// Scaffolding until the install sequence and the rollback land: both buttons do nothing.
#include "installer_dlg.h"

void CInstallerDlg::OnInstall() {}
void CInstallerDlg::OnCancelInstall() {}
