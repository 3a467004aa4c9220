// The application framework: everything the installer's classes derive from or call.
#pragma once
#include <windows.h>
#include "cstring.h"
#include "string_array.h"
#include "text.h"
#include "msgbox.h"
#include "msgmap.h"
#include "gdi.h"
#include "wnd.h"
#include "dialog.h"
#include "winapp.h"
#include "platform.h"
#include "handles.h"
#include "com_ptr.h"
#include "heap_array.h"

// Puts a global or static that starts as zeros into .bss, which takes no room in the
// file. Without it, -fdata-sections places such data among the initialised data,
// where every byte is part of the download.
#define AFX_ZERO_INIT __attribute__((section(".bss")))
