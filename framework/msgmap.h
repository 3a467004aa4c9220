// Message maps: a declarative table per class binding window messages and control
// notifications to member handlers. A class declares DECLARE_MESSAGE_MAP() and
// defines its table between BEGIN_MESSAGE_MAP(Class, Base) and END_MESSAGE_MAP();
// lookup walks from the most derived table to its bases.
#pragma once
#include <windows.h>

class CCmdTarget;
class CDC;
class CWnd;
typedef void (CCmdTarget::*AFX_PMSG)();

// Handler signatures the dispatcher knows.
enum AfxSig {
    AfxSig_vv = 1,  // void Handler()
    AfxSig_hv,      // HCURSOR Handler()
    AfxSig_bDWu,    // HBRUSH Handler(CDC*, CWnd*, UINT)
};

// 16 bits a field: window messages, notification codes and the identifiers that
// WM_COMMAND carries all fit, and an entry takes 16 bytes rather than 24. A message
// beyond 16 bits never matches an entry (the comparisons are made in the full width).
struct AFX_MSGMAP_ENTRY {
    WORD nMessage;  // window message, WM_COMMAND for commands and notifications
    WORD nCode;     // notification code (BN_CLICKED, EN_CHANGE, ...)
    WORD nID;       // control or command identifier
    WORD nSig;      // AfxSig
    AFX_PMSG pfn;
};

// A class's entries are counted, not ended by an empty entry: a count is 4 bytes, an
// end entry 16. A class with no entries of its own (CWnd, say) has no map either: it
// answers with its base's.
struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
    UINT nEntries;
};

#define DECLARE_MESSAGE_MAP()                     \
public:                                           \
    static const AFX_MSGMAP* GetThisMessageMap(); \
    virtual const AFX_MSGMAP* GetMessageMap() const;

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                         \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); } \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                   \
    {                                                                                 \
        typedef theClass ThisClass __attribute__((unused));                                                 \
        typedef baseClass TheBaseClass;                                               \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                  \
    };                                                                                     \
    if (sizeof _messageEntries == 0)                                                       \
        return TheBaseClass::GetThisMessageMap();                                          \
    static const AFX_MSGMAP messageMap = { &TheBaseClass::GetThisMessageMap, _messageEntries, \
                                           sizeof _messageEntries / sizeof _messageEntries[0] }; \
    return &messageMap;                                                                    \
    }

#define ON_COMMAND(id, memberFxn) \
    { WM_COMMAND, 0, (WORD)(id), AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::memberFxn) },
#define ON_CONTROL(code, id, memberFxn) \
    { WM_COMMAND, (WORD)(code), (WORD)(id), AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::memberFxn) },
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)

#define ON_WM_PAINT() \
    { WM_PAINT, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnPaint) },
#define ON_WM_DESTROY() \
    { WM_DESTROY, 0, 0, AfxSig_vv, static_cast<AFX_PMSG>(&ThisClass::OnDestroy) },
#define ON_WM_QUERYDRAGICON()                                                      \
    { WM_QUERYDRAGICON, 0, 0, AfxSig_hv,                                           \
      reinterpret_cast<AFX_PMSG>(static_cast<HCURSOR (CCmdTarget::*)()>(&ThisClass::OnQueryDragIcon)) },
// Stands for every WM_CTLCOLORxxx message; nCtlColor tells which (CTLCOLOR_DLG, ...).
#define ON_WM_CTLCOLOR()                                                           \
    { WM_CTLCOLOR, 0, 0, AfxSig_bDWu,                                              \
      reinterpret_cast<AFX_PMSG>(                                                  \
          static_cast<HBRUSH (CCmdTarget::*)(CDC*, CWnd*, UINT)>(&ThisClass::OnCtlColor)) },

#ifndef WM_CTLCOLOR
#define WM_CTLCOLOR 0x0019
#endif

// The root of every class with a message map. No object of these classes is deleted
// through a pointer to a base: their destructors are not virtual, which spares each
// class a deleting destructor and its vtable two slots. Functions no class overrides
// (CDialog::DoModal, CWinApp::Run, ...) are not virtual either.
class CCmdTarget {
protected:
    ~CCmdTarget() {}

public:
    static const AFX_MSGMAP* GetThisMessageMap();
    // Each class below declares a map of its own (DECLARE_MESSAGE_MAP), which answers.
    virtual const AFX_MSGMAP* GetMessageMap() const = 0;
    // The first entry of this object's map chain that matches, or NULL.
    const AFX_MSGMAP_ENTRY* FindMessageEntry(UINT nMessage, UINT nCode, UINT nID) const;
    // Runs the handler bound to a command or control notification; FALSE if none.
    BOOL OnCmdMsg(UINT nID, UINT nCode);
};
