// One installer at a time: two would race on the same files and keys. The first
// holds a named mutex, seen from every session, for as long as its process lives;
// a second one finds it held and ends before it shows or writes anything.
#pragma once
#include "afx.h"

// Takes the installers' mutex into *phMutex (NULL when the system gives none: the run
// goes on unguarded, as on a system without named objects); FALSE when another
// installer holds it. A run for the user (bCurrentUser) takes a mutex of its own user's
// instead, which no other user can take first: it works in the user's places only.
BOOL TakeInstallerMutex(HANDLE* phMutex, BOOL bCurrentUser);
// Brings the other installer's window to the front, if it shows one.
void ShowOtherInstaller();
