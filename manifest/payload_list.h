// The payload: the product files that the installer carries, each compressed in an
// "MSZ" resource of its own, in the order they are installed. This list is the one
// place that names them: the build reads each row's resource number and file name
// from it (cmake/payload.cmake: one row a line, the name as a plain literal) to
// compress and pack the files, and the manifest makes its payload table from it.
//
// X(resource number, installed name, progress flag set after success (NULL: none),
//   required (a failure stops the install; else the next row follows),
//   rollback order (when Cancel deletes it, if this run created it: 1 first),
//   text of the "ERROR" box when the file cannot be installed)
#pragma once

#define MEROLIN_PAYLOAD_FILES(X)                                                                       \
    X(134, "Merolin.exe", &g_bExeInstalled, TRUE, 1, "Couldn't install Merolin.exe!")                  \
    X(136, "Merolin.hlp", &g_bHelpInstalled, TRUE, 2, "Couldn't install Merolin.hlp!")                 \
    X(135, "Uninstall.exe", &g_bUninstallerInstalled, TRUE, 4, "Couldn't install Uninstall.exe!")      \
    X(133, "Merolin.txt", &g_bReadmeInstalled, TRUE, 3, "Couldn't install Merolin.txt!")               \
    X(137, "US-Caps_FITB.MR1", NULL, FALSE, 5, "Couldn't install first sample test file!")             \
    X(138, "US-Caps_MULT.MR1", NULL, FALSE, 6, "Couldn't install second sample test file!")            \
    X(139, "Vocab_MULT.MR1", NULL, FALSE, 7, "Couldn't install third sample test file!")
