// A small helper for scripts that drive the real installer under Wine from outside:
//   screen_driver wait  TITLE [SECONDS]   waits until a visible top-level window shows TITLE
//   screen_driver click TITLE ID          sends a button click of control ID to that window
//   screen_driver hide  TITLE             hides the window (to see what lies behind it)
//   screen_driver show  TITLE             shows it again
//   screen_driver gone  TITLE [SECONDS]   waits until no window shows TITLE
// Exit code 0 on success, 1 when the window is not there (in time), 2 on bad usage.
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

static HWND FindVisible(const char* title)
{
    HWND h = ::FindWindowA(NULL, title);
    return h && ::IsWindowVisible(h) ? h : NULL;
}

int main(int argc, char** argv)
{
    if (argc < 3)
        return 2;
    const char* verb = argv[1];
    const char* title = argv[2];
    if (!strcmp(verb, "wait") || !strcmp(verb, "gone")) {
        bool gone = !strcmp(verb, "gone");
        DWORD limit = (argc > 3 ? atoi(argv[3]) : 30) * 1000;
        DWORD start = ::GetTickCount();
        while (::GetTickCount() - start < limit) {
            bool there = FindVisible(title) != NULL;
            if (there != gone)
                return 0;
            ::Sleep(100);
        }
        fprintf(stderr, "screen_driver: %s \"%s\" timed out\n", verb, title);
        return 1;
    }
    HWND h = ::FindWindowA(NULL, title);
    if (!h) {
        fprintf(stderr, "screen_driver: no window \"%s\"\n", title);
        return 1;
    }
    if (!strcmp(verb, "click") && argc > 3) {
        int id = atoi(argv[3]);
        ::PostMessageA(h, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), (LPARAM)::GetDlgItem(h, id));
        return 0;
    }
    if (!strcmp(verb, "hide")) {
        ::ShowWindow(h, SW_HIDE);
        return 0;
    }
    if (!strcmp(verb, "show")) {
        ::ShowWindow(h, SW_SHOWNA);
        return 0;
    }
    return 2;
}
