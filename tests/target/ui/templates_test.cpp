// The four dialog templates as the installer's module carries them: styles, position,
// size, caption, font, and every control in template order with its class, id, text,
// style and rectangle.
#include "resource.h"
#include <gtest/gtest.h>
#include <string>
#include <vector>
#include <windows.h>

namespace {

struct Control {
    std::string cls;  // BUTTON, EDIT, STATIC, ...
    int id;
    std::string text;
    DWORD style;
    DWORD exStyle;
    int x, y, cx, cy;
};

struct Template {
    bool ex;
    DWORD style, exStyle;
    int x, y, cx, cy;
    std::string caption;
    int pointSize;
    std::string face;
    std::vector<Control> controls;
};

std::string Narrow(const WCHAR* p, size_t n)
{
    std::string s;
    for (size_t i = 0; i < n; ++i)
        s += (char)p[i];  // the templates hold plain ASCII
    return s;
}

// Reads a null-terminated string, an ordinal (0xFFFF, value) or nothing (0).
const WORD* ReadSzOrOrd(const WORD* p, std::string* text, int* ordinal)
{
    *ordinal = -1;
    text->clear();
    if (*p == 0xFFFF) {
        *ordinal = p[1];
        return p + 2;
    }
    const WORD* start = p;
    while (*p)
        ++p;
    *text = Narrow((const WCHAR*)start, p - start);
    return p + 1;
}

const WORD* AlignDword(const WORD* p, const BYTE* base)
{
    size_t off = (const BYTE*)p - base;
    return (const WORD*)(base + ((off + 3) & ~(size_t)3));
}

std::string ClassName(const std::string& name, int ordinal)
{
    switch (ordinal) {
    case 0x80: return "BUTTON";
    case 0x81: return "EDIT";
    case 0x82: return "STATIC";
    case -1: break;
    default: return "#" + std::to_string(ordinal);
    }
    std::string s = name;
    for (char& c : s)
        c = (char)toupper((unsigned char)c);
    return s;
}

bool LoadTemplate(int id, Template* t)
{
    HMODULE h = ::GetModuleHandleA(NULL);
    HRSRC r = ::FindResourceA(h, MAKEINTRESOURCEA(id), (LPCSTR)RT_DIALOG);
    if (!r)
        return false;
    const BYTE* base = (const BYTE*)::LockResource(::LoadResource(h, r));
    const WORD* w = (const WORD*)base;
    t->ex = w[0] == 1 && w[1] == 0xFFFF;
    int count;
    if (t->ex) {
        const DWORD* d = (const DWORD*)(w + 2);
        t->exStyle = d[1];
        t->style = d[2];
        w = (const WORD*)(d + 3);
    } else {
        const DWORD* d = (const DWORD*)w;
        t->style = d[0];
        t->exStyle = d[1];
        w = (const WORD*)(d + 2);
    }
    count = w[0];
    t->x = (short)w[1];
    t->y = (short)w[2];
    t->cx = (short)w[3];
    t->cy = (short)w[4];
    w += 5;
    std::string s;
    int ord;
    w = ReadSzOrOrd(w, &s, &ord);  // menu
    EXPECT_TRUE(s.empty() && ord < 0) << "template " << id << " has a menu";
    w = ReadSzOrOrd(w, &s, &ord);  // window class
    EXPECT_TRUE(s.empty() && ord < 0) << "template " << id << " has a class of its own";
    w = ReadSzOrOrd(w, &t->caption, &ord);
    t->pointSize = 0;
    if (t->style & DS_SETFONT) {
        t->pointSize = w[0];
        w += t->ex ? 3 : 1;  // the extended form adds weight, italic and character set
        w = ReadSzOrOrd(w, &t->face, &ord);
    }
    for (int i = 0; i < count; ++i) {
        Control c;
        w = AlignDword(w, base);
        if (t->ex) {
            const DWORD* d = (const DWORD*)w;
            c.exStyle = d[1];
            c.style = d[2];
            w = (const WORD*)(d + 3);
        } else {
            const DWORD* d = (const DWORD*)w;
            c.style = d[0];
            c.exStyle = d[1];
            w = (const WORD*)(d + 2);
        }
        c.x = (short)w[0];
        c.y = (short)w[1];
        c.cx = (short)w[2];
        c.cy = (short)w[3];
        w += 4;
        if (t->ex) {
            c.id = (int)*(const DWORD*)w;
            w += 2;
        } else {
            c.id = (short)w[0];
            w += 1;
        }
        std::string name;
        w = ReadSzOrOrd(w, &name, &ord);
        c.cls = ClassName(name, ord);
        w = ReadSzOrOrd(w, &c.text, &ord);
        WORD extra = *w++;
        w = (const WORD*)((const BYTE*)w + extra);
        t->controls.push_back(c);
    }
    return true;
}

void ExpectControls(int id, const Template& t, const std::vector<Control>& expected)
{
    ASSERT_EQ(t.controls.size(), expected.size()) << "template " << id;
    for (size_t i = 0; i < expected.size(); ++i) {
        const Control& a = t.controls[i];
        const Control& e = expected[i];
        SCOPED_TRACE("template " + std::to_string(id) + ", control " + std::to_string(i));
        EXPECT_EQ(a.cls, e.cls);
        EXPECT_EQ(a.id, e.id);
        EXPECT_EQ(a.text, e.text);
        EXPECT_EQ(a.style, e.style) << std::hex << a.style << " against " << e.style;
        EXPECT_EQ(a.exStyle, 0u);
        EXPECT_EQ(a.x, e.x);
        EXPECT_EQ(a.y, e.y);
        EXPECT_EQ(a.cx, e.cx);
        EXPECT_EQ(a.cy, e.cy);
    }
}

const DWORD kChild = WS_CHILD | WS_VISIBLE;
const DWORD kStaticLeft = kChild | WS_GROUP | SS_LEFT;
const DWORD kButton = kChild | WS_TABSTOP | BS_PUSHBUTTON;
const DWORD kDefButton = kChild | WS_TABSTOP | BS_DEFPUSHBUTTON;
const DWORD kScreenStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;

void ExpectFrame(int id, const Template& t, DWORD style, DWORD exStyle, int cx, int cy, const char* caption)
{
    SCOPED_TRACE("template " + std::to_string(id));
    EXPECT_EQ(t.style, style) << std::hex << t.style << " against " << style;
    EXPECT_EQ(t.exStyle, exStyle);
    EXPECT_EQ(t.x, 0);
    EXPECT_EQ(t.y, 0);
    EXPECT_EQ(t.cx, cx);
    EXPECT_EQ(t.cy, cy);
    EXPECT_EQ(t.caption, caption);
    EXPECT_EQ(t.pointSize, 8);
    EXPECT_EQ(t.face, "MS Sans Serif");
}

} // namespace

TEST(Templates, BackdropWelcomeAndLicenceAreAsDesigned)
{
    Template backdrop = {}, welcome = {}, license = {};
    ASSERT_TRUE(LoadTemplate(IDD_BACKDROP, &backdrop));
    ASSERT_TRUE(LoadTemplate(IDD_WELCOME, &welcome));
    ASSERT_TRUE(LoadTemplate(IDD_LICENSE, &license));

    ExpectFrame(IDD_BACKDROP, backdrop, WS_POPUP | WS_VISIBLE | DS_SETFONT, 0, 186, 95, "");
    ASSERT_EQ(backdrop.controls.size(), 2u);
    EXPECT_FALSE(backdrop.controls[1].text.empty());  // the tagline, one line
    EXPECT_EQ(backdrop.controls[1].text.find_first_of("\r\n"), std::string::npos);
    ExpectControls(IDD_BACKDROP, backdrop,
                   { { "STATIC", IDC_COMPANY, "Tolvane Software", kStaticLeft, 0, 10, 10, 40, 8 },
                     { "STATIC", IDC_TAGLINE, backdrop.controls[1].text, kStaticLeft, 0, 10, 30, 142, 8 } });

    ExpectFrame(IDD_WELCOME, welcome, kScreenStyle, 0, 197, 97, "Merolin Installation");
    ExpectControls(IDD_WELCOME, welcome,
                   { { "STATIC", -1,
                       "MEROLIN\r\nTest Management and administration has never been easier!\n\nClick \"OK\" to "
                       "install Tolvane Software's\r\nMerolin  for Windows.",
                       kChild | WS_GROUP | SS_CENTER, 0, 36, 12, 126, 51 },
                     { "BUTTON", IDC_OK_BTN, "&OK", kDefButton, 0, 30, 75, 50, 14 },
                     { "BUTTON", IDC_CANCEL_BTN, "&Cancel", kButton, 0, 116, 75, 50, 14 } });

    ExpectFrame(IDD_LICENSE, license, kScreenStyle, 0, 259, 197, "Merolin License Agreement");
    ExpectControls(IDD_LICENSE, license,
                   { { "EDIT", IDC_LICENSE_EDIT, "",
                       kChild | WS_BORDER | WS_VSCROLL | WS_TABSTOP | ES_MULTILINE | ES_READONLY, 0, 15, 19, 228,
                       140 },
                     { "BUTTON", IDC_OK_BTN, "I &Agree", kDefButton, 0, 69, 173, 43, 16 },
                     { "BUTTON", IDC_CANCEL_BTN, "&Cancel", kButton, 0, 147, 174, 43, 15 } });
}

TEST(Templates, InstallerDialogIsAsDesigned)
{
    Template t = {};
    ASSERT_TRUE(LoadTemplate(IDD_INSTALLER, &t));
    ExpectFrame(IDD_INSTALLER, t, kScreenStyle, WS_EX_APPWINDOW, 255, 98, "Install Merolin");
    ExpectControls(
        IDD_INSTALLER, t,
        { { "STATIC", -1, "Target Directory:", kStaticLeft, 0, 10, 10, 54, 8 },
          { "EDIT", IDC_TARGET_DIR, "", kChild | WS_BORDER | WS_TABSTOP | WS_GROUP | ES_LEFT | ES_AUTOHSCROLL, 0,
            10, 23, 184, 14 },
          { "BUTTON", IDC_BROWSE, "&Browse", kButton, 0, 203, 23, 42, 14 },
          { "STATIC", IDC_STATUS,
            "Install Merolin test management software:\r\nAt least 500K of free disk space is required.",
            kStaticLeft, 0, 14, 46, 203, 21 },
          { "BUTTON", IDC_INSTALL, "Install", kDefButton, 0, 7, 76, 43, 14 },
          { "BUTTON", IDC_CANCEL_BTN, "Cancel", kButton, 0, 65, 76, 43, 14 } });
}
