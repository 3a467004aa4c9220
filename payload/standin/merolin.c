/*
 * STAND-IN for the product program Merolin.exe (Merolin 1.31, Tolvane Software).
 *
 * This is NOT the product. The real Merolin lies outside this repository; this small
 * program only behaves, from the outside, the way the installer expects a running
 * copy of the product to behave, so that the installer can be built and tested:
 *
 *   - while it runs it holds the named mutex "Tolvane_MR_Mutex" (created owned);
 *   - it shows one top-level window titled "Merolin", or "Merolin BETA N" with /beta N;
 *   - it closes (releases the mutex, destroys its window, exits 0) when that window
 *     receives WM_CLOSE_PRODUCT (0x0501), unless started with /ignore-close, and
 *     always on WM_CLOSE;
 *   - a STATIC child with control id 100 reads
 *         "Current directory: <cwd>" CR LF "Program: <full exe path>"
 *     so that a test can find out, through the window, where it was started.
 *
 * Command line:  Merolin.exe [/beta N] [/ignore-close]      (N = 1..9)
 * A malformed command line ends the program at once with exit code 2, without a window.
 */
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#define WM_CLOSE_PRODUCT (WM_USER + 0x101) /* 0x0501 */
#define IDC_INFO 100
#define IDC_NOTE 101

static const char kMutexName[] = "Tolvane_MR_Mutex";
static const char kClassName[] = "MerolinStandInWnd";

static BOOL g_ignoreClose = FALSE;
static HANDLE g_mutex = NULL;

/* Gives up the mutex before the window goes, so that whoever sees the window vanish
 * also finds the mutex released. */
static void ReleaseProductMutex(void)
{
    if (g_mutex != NULL) {
        ReleaseMutex(g_mutex);
        CloseHandle(g_mutex);
        g_mutex = NULL;
    }
}

static LRESULT CALLBACK MainWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp)
{
    switch (msg) {
    case WM_CLOSE_PRODUCT:
        if (!g_ignoreClose) {
            ReleaseProductMutex();
            DestroyWindow(hwnd);
        }
        return 0;
    case WM_CLOSE:
        ReleaseProductMutex();
        DestroyWindow(hwnd);
        return 0;
    case WM_DESTROY:
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(hwnd, msg, wp, lp);
}

/* Copies the next blank-separated token of *p into tok (at most cap-1 chars);
 * returns FALSE at the end of the line. */
static BOOL NextToken(const char **p, char *tok, int cap)
{
    const char *s = *p;
    int n = 0;
    while (*s == ' ' || *s == '\t')
        ++s;
    if (*s == '\0')
        return FALSE;
    while (*s != '\0' && *s != ' ' && *s != '\t') {
        if (n < cap - 1)
            tok[n++] = *s;
        ++s;
    }
    tok[n] = '\0';
    *p = s;
    return TRUE;
}

/* Parses the command line; returns the BETA number (0 for none) or -1 when malformed. */
static int ParseCommandLine(const char *cmd)
{
    char tok[32];
    int beta = 0;
    while (NextToken(&cmd, tok, sizeof tok)) {
        if (lstrcmpiA(tok, "/ignore-close") == 0) {
            g_ignoreClose = TRUE;
        } else if (lstrcmpiA(tok, "/beta") == 0) {
            if (!NextToken(&cmd, tok, sizeof tok) || tok[0] < '1' || tok[0] > '9' || tok[1] != '\0')
                return -1;
            beta = tok[0] - '0';
        } else {
            return -1;
        }
    }
    return beta;
}

int WINAPI WinMain(HINSTANCE hInst, HINSTANCE hPrev, LPSTR cmdLine, int nShow)
{
    char title[32];
    char cwd[MAX_PATH];
    char exe[MAX_PATH];
    char info[2 * MAX_PATH + 64];
    WNDCLASSA wc;
    HWND hwnd;
    HFONT font;
    MSG msg;
    int beta;

    (void)hPrev;
    beta = ParseCommandLine(cmdLine);
    if (beta < 0)
        return 2;
    if (beta == 0)
        lstrcpyA(title, "Merolin");
    else
        wsprintfA(title, "Merolin BETA %d", beta);

    /* A second copy gets a handle to the existing mutex without owning it; it runs anyway,
     * so that tests can put up several product windows at once. */
    g_mutex = CreateMutexA(NULL, TRUE, kMutexName);

    cwd[0] = '\0';
    exe[0] = '\0';
    GetCurrentDirectoryA(sizeof cwd, cwd);
    GetModuleFileNameA(NULL, exe, sizeof exe);
    wsprintfA(info, "Current directory: %s\r\nProgram: %s", cwd, exe);

    ZeroMemory(&wc, sizeof wc);
    wc.lpfnWndProc = MainWndProc;
    wc.hInstance = hInst;
    wc.hIcon = LoadIconA(NULL, (LPCSTR)IDI_APPLICATION);
    wc.hCursor = LoadCursorA(NULL, (LPCSTR)IDC_ARROW);
    wc.hbrBackground = (HBRUSH)(COLOR_BTNFACE + 1);
    wc.lpszClassName = kClassName;
    RegisterClassA(&wc);

    hwnd = CreateWindowExA(0, kClassName, title, WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                           560, 170, NULL, NULL, hInst, NULL);
    if (hwnd == NULL) {
        ReleaseProductMutex();
        return 1;
    }
    font = (HFONT)GetStockObject(DEFAULT_GUI_FONT);
    SendMessageA(CreateWindowExA(0, "STATIC", info, WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX,
                                 10, 10, 530, 44, hwnd, (HMENU)IDC_INFO, hInst, NULL),
                 WM_SETFONT, (WPARAM)font, 0);
    SendMessageA(CreateWindowExA(0, "STATIC",
                                 "Stand-in for Merolin 1.31 (Tolvane Software), used to build and test "
                                 "the installer. It is not the product.",
                                 WS_CHILD | WS_VISIBLE | SS_LEFT | SS_NOPREFIX, 10, 66, 530, 32, hwnd,
                                 (HMENU)IDC_NOTE, hInst, NULL),
                 WM_SETFONT, (WPARAM)font, 0);
    ShowWindow(hwnd, nShow);
    UpdateWindow(hwnd);

    while (GetMessageA(&msg, NULL, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
    }

    ReleaseProductMutex(); /* in case the loop ended some other way */
    return 0;
}
