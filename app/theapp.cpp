// The one application object of the installer.
#include "installer_app.h"

CInstallerApp theApp;
