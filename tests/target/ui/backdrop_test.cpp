// The backdrop: full-screen geometry and fonts from the screen metrics, colours,
// and the GDI objects it owns.
#include "backdrop_dlg.h"
#include "faults.h"
#include "resource.h"
#include "testenv.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

int g_cxScreen, g_cyScreen;

int WINAPI FakeMetrics(int n)
{
    if (n == SM_CXSCREEN)
        return g_cxScreen;
    if (n == SM_CYSCREEN)
        return g_cyScreen;
    return ::GetSystemMetrics(n);
}

struct FontCall {
    int height, width, escapement, orientation, weight;
    DWORD italic, underline, strikeOut, charSet, outPrecision, clipPrecision, quality, pitchAndFamily;
    std::string face;
    HFONT result;
};
std::vector<FontCall> g_fonts;

HFONT WINAPI RecordingCreateFont(int a, int b, int c, int d, int e, DWORD f, DWORD g, DWORD h, DWORD i,
                                 DWORD j, DWORD k, DWORD l, DWORD m, LPCSTR n)
{
    HFONT hFont = ::CreateFontA(a, b, c, d, e, f, g, h, i, j, k, l, m, n);
    g_fonts.push_back(FontCall{ a, b, c, d, e, f, g, h, i, j, k, l, m, n ? n : "", hFont });
    return hFont;
}

RECT ChildRect(HWND hDlg, int id)
{
    RECT rc;
    HWND h = ::GetDlgItem(hDlg, id);
    ::GetWindowRect(h, &rc);
    ::MapWindowPoints(NULL, hDlg, (POINT*)&rc, 2);
    return rc;
}

struct Geometry {
    int cx, cy;
    RECT company, tagline;
    int companyFont[2], taglineFont[2];
};

class BackdropGeometry : public ::testing::TestWithParam<Geometry> {};

} // namespace

TEST_P(BackdropGeometry, WindowControlsAndFontsFollowTheScreenMetrics)
{
    const Geometry& g = GetParam();
    g_cxScreen = g.cx;
    g_cyScreen = g.cy;
    g_fonts.clear();
    PlatformFaults faults;
    faults.Forward().GetSystemMetrics = FakeMetrics;
    faults.Forward().CreateFontA = RecordingCreateFont;

    CBackdropDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_BACKDROP));
    RECT rc;
    ::GetWindowRect(dlg.m_hWnd, &rc);
    EXPECT_EQ(rc.left, 0);
    EXPECT_EQ(rc.top, 0);
    EXPECT_EQ(rc.right, g.cx);
    EXPECT_EQ(rc.bottom, g.cy);
    LONG style = ::GetWindowLongA(dlg.m_hWnd, GWL_STYLE);
    EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_SYSMENU), 0);
    EXPECT_NE(style & WS_VISIBLE, 0);

    RECT company = ChildRect(dlg.m_hWnd, IDC_COMPANY);
    RECT tagline = ChildRect(dlg.m_hWnd, IDC_TAGLINE);
    EXPECT_TRUE(::EqualRect(&company, &g.company))
        << company.left << "," << company.top << " " << company.right - company.left << "x"
        << company.bottom - company.top;
    EXPECT_TRUE(::EqualRect(&tagline, &g.tagline))
        << tagline.left << "," << tagline.top << " " << tagline.right - tagline.left << "x"
        << tagline.bottom - tagline.top;

    ASSERT_EQ(g_fonts.size(), 2u);
    const FontCall& c = g_fonts[0];
    const FontCall& t = g_fonts[1];
    EXPECT_EQ(c.height, g.companyFont[0]);
    EXPECT_EQ(c.width, g.companyFont[1]);
    EXPECT_EQ(t.height, g.taglineFont[0]);
    EXPECT_EQ(t.width, g.taglineFont[1]);
    for (const FontCall* f : { &c, &t }) {
        EXPECT_EQ(f->escapement, 0);
        EXPECT_EQ(f->orientation, 0);
        EXPECT_EQ(f->weight, 800);
        EXPECT_EQ(f->italic, 0u);
        EXPECT_EQ(f->strikeOut, 0u);
        EXPECT_EQ(f->charSet, 0u);
        EXPECT_EQ(f->outPrecision, 5u);
        EXPECT_EQ(f->clipPrecision, 0u);
        EXPECT_EQ(f->quality, 2u);
        EXPECT_EQ(f->pitchAndFamily, 0x22u);
    }
    EXPECT_EQ(c.underline, 0u);
    EXPECT_EQ(t.underline, 1u);
    EXPECT_EQ(c.face, "Tolvane_Font");
    EXPECT_EQ(t.face, "Logo_Font");

    // each control uses its own font
    EXPECT_EQ((HFONT)::SendDlgItemMessageA(dlg.m_hWnd, IDC_COMPANY, WM_GETFONT, 0, 0), c.result);
    EXPECT_EQ((HFONT)::SendDlgItemMessageA(dlg.m_hWnd, IDC_TAGLINE, WM_GETFONT, 0, 0), t.result);
    EXPECT_EQ(dlg.GetDlgItemText(IDC_COMPANY), CString("Tolvane Software"));
    EXPECT_FALSE(dlg.GetDlgItemText(IDC_TAGLINE).IsEmpty());

    // the window, its brush and both fonts go together
    HBRUSH hBrush = dlg.m_hBkBrush;
    EXPECT_TRUE(dlg.DestroyWindow());
    EXPECT_EQ(::GetObjectType(hBrush), 0u);
    EXPECT_EQ(::GetObjectType(c.result), 0u);
    EXPECT_EQ(::GetObjectType(t.result), 0u);
    EXPECT_EQ(dlg.m_fontCompany.GetSafeHandle(), nullptr);
    EXPECT_EQ(dlg.m_fontTagline.GetSafeHandle(), nullptr);
}

INSTANTIATE_TEST_SUITE_P(
    Screens, BackdropGeometry,
    ::testing::Values(Geometry{ 800, 600, { 40, 30, 40 + 780, 30 + 580 }, { 40, 75, 40 + 780, 75 + 580 },
                                { 40, 21 }, { 20, 10 } },
                      Geometry{ 1024, 768, { 51, 38, 51 + 1004, 38 + 748 }, { 51, 96, 51 + 1004, 96 + 748 },
                                { 51, 27 }, { 25, 13 } }),
    [](const ::testing::TestParamInfo<Geometry>& info) {
        return std::to_string(info.param.cx) + "x" + std::to_string(info.param.cy);
    });

TEST(Backdrop, ColoursAndBothLinesStayLegible)
{
    CBackdropDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_BACKDROP));
    LOGBRUSH lb;
    ASSERT_EQ(::GetObjectA(dlg.m_hBkBrush, sizeof lb, &lb), (int)sizeof lb);
    EXPECT_EQ(lb.lbStyle, (UINT)BS_SOLID);
    EXPECT_EQ(lb.lbColor, (COLORREF)0x00880000);

    HDC hdc = ::CreateCompatibleDC(NULL);
    for (int id : { IDC_COMPANY, IDC_TAGLINE }) {
        ::SetTextColor(hdc, RGB(1, 2, 3));
        ::SetBkColor(hdc, RGB(4, 5, 6));
        LRESULT r = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORSTATIC, (WPARAM)hdc, (LPARAM)::GetDlgItem(dlg.m_hWnd, id));
        EXPECT_EQ((HBRUSH)r, dlg.m_hBkBrush) << id;
        EXPECT_EQ(::GetTextColor(hdc), (COLORREF)0x00FFFFFF) << id;
        EXPECT_EQ(::GetBkColor(hdc), (COLORREF)0x00880000) << id;
    }
    // the dialog itself: the same brush, and only the system's default colours
    LRESULT r = ::SendMessageA(dlg.m_hWnd, WM_CTLCOLORDLG, (WPARAM)hdc, (LPARAM)dlg.m_hWnd);
    EXPECT_EQ((HBRUSH)r, dlg.m_hBkBrush);
    EXPECT_NE(::GetTextColor(hdc), (COLORREF)0x00FFFFFF);
    EXPECT_NE(::GetBkColor(hdc), (COLORREF)0x00880000);
    ::DeleteDC(hdc);

    // what is painted: dark blue behind, white letters of both lines
    ::RedrawWindow(dlg.m_hWnd, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    PumpMessages(200);
    HDC hScreen = ::GetDC(dlg.m_hWnd);
    RECT company = ChildRect(dlg.m_hWnd, IDC_COMPANY);
    RECT tagline = ChildRect(dlg.m_hWnd, IDC_TAGLINE);
    auto whiteInBand = [&](int top, int bottom) {
        int n = 0;
        for (int y = top; y < bottom; y += 1)
            for (int x = company.left; x < company.left + 400; x += 2)
                if (::GetPixel(hScreen, x, y) == RGB(255, 255, 255))
                    ++n;
        return n;
    };
    EXPECT_EQ(::GetPixel(hScreen, 5, 5), RGB(0, 0, 0x88));
    // the company name is drawn in its band above the tagline, the tagline below it
    EXPECT_GT(whiteInBand(company.top, tagline.top), 50);
    EXPECT_GT(whiteInBand(tagline.top, tagline.top + 40), 50);
    // the company control repainting on its own (a window moved off it) must not
    // paint over the tagline, which lies inside its rectangle
    HWND hCompany = ::GetDlgItem(dlg.m_hWnd, IDC_COMPANY);
    ::RedrawWindow(hCompany, NULL, NULL, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW);
    PumpMessages(200);
    EXPECT_GT(whiteInBand(company.top, tagline.top), 50);
    EXPECT_GT(whiteInBand(tagline.top, tagline.top + 40), 50);
    ::ReleaseDC(dlg.m_hWnd, hScreen);
    dlg.DestroyWindow();
}

TEST(Backdrop, AFontThatCannotBeMadeLeavesItsControlAsTheTemplateHasIt)
{
    PlatformFaults faults;
    faults.Fail(AFX_CALL_CreateFontA, 1);  // the company font
    CBackdropDlg dlg;
    ASSERT_TRUE(dlg.Create(IDD_BACKDROP));
    HFONT hDialogFont = (HFONT)::SendMessageA(dlg.m_hWnd, WM_GETFONT, 0, 0);
    EXPECT_EQ((HFONT)::SendDlgItemMessageA(dlg.m_hWnd, IDC_COMPANY, WM_GETFONT, 0, 0), hDialogFont);
    RECT tmpl = { 10, 10, 10 + 40, 10 + 8 };
    ::MapDialogRect(dlg.m_hWnd, &tmpl);
    RECT company = ChildRect(dlg.m_hWnd, IDC_COMPANY);
    EXPECT_TRUE(::EqualRect(&company, &tmpl));
    // the tagline is handled on its own
    int cx = ::GetSystemMetrics(SM_CXSCREEN), cy = ::GetSystemMetrics(SM_CYSCREEN);
    RECT tagline = ChildRect(dlg.m_hWnd, IDC_TAGLINE);
    EXPECT_EQ(tagline.left, cx / 20);
    EXPECT_EQ(tagline.top, cy / 8);
    EXPECT_EQ((HFONT)::SendDlgItemMessageA(dlg.m_hWnd, IDC_TAGLINE, WM_GETFONT, 0, 0),
              (HFONT)dlg.m_fontTagline.GetSafeHandle());
    EXPECT_EQ(faults.Count(AFX_CALL_CreateFontA), 2);
    dlg.DestroyWindow();
}

// A click on the backdrop, in a corner that no dialog covers, leaves the dialog above it.
TEST(Backdrop, AClickOnItNeverBringsItAboveTheDialogs)
{
    CBackdropDlg backdrop;
    ASSERT_TRUE(backdrop.Create(IDD_BACKDROP));
    HWND hDialog = ::CreateWindowExA(0, "STATIC", "A dialog above the backdrop", WS_POPUP | WS_VISIBLE | WS_BORDER,
                                     300, 300, 200, 100, NULL, NULL, NULL, NULL);
    ASSERT_NE(hDialog, nullptr);
    ::SetForegroundWindow(hDialog);
    PumpMessages(200);
    auto above = [&]() {
        for (HWND h = ::GetWindow(hDialog, GW_HWNDNEXT); h; h = ::GetWindow(h, GW_HWNDNEXT))
            if (h == backdrop.m_hWnd)
                return true;
        return false;
    };
    ASSERT_TRUE(above()) << "the dialog starts above the backdrop";

    ::SetCursorPos(5, 5);
    INPUT clicks[2] = {};
    clicks[0].type = clicks[1].type = INPUT_MOUSE;
    clicks[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    clicks[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    ASSERT_EQ(::SendInput(2, clicks, sizeof(INPUT)), 2u);
    PumpMessages(300);
    EXPECT_EQ(::WindowFromPoint(POINT{ 5, 5 }), backdrop.m_hWnd) << "the click reached the backdrop";
    EXPECT_TRUE(above()) << "the click brought the backdrop above the dialog";
    EXPECT_NE(::GetForegroundWindow(), backdrop.m_hWnd);
    ::DestroyWindow(hDialog);
    backdrop.DestroyWindow();
}
