// One installer at a time: two would race on the same files and keys. The first
// holds a named mutex, seen from every session, for as long as its process lives;
// a second one finds it held and ends before it shows or writes anything.
#pragma once
#include "afx.h"

// Takes the installers' mutex into *phMutex (NULL when the system gives none: the run
// goes on unguarded, as on a system without named objects); FALSE when another
// installer holds it.
BOOL TakeInstallerMutex(HANDLE* phMutex);
// Brings the other installer's window to the front, if it shows one.
void ShowOtherInstaller();
