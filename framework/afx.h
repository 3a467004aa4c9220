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
