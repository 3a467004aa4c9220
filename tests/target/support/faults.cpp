#include "faults.h"

namespace {

PlatformFaults* g_faults;
HRESULT g_lastCoInit = E_FAIL;
int g_openCoInits;

// Calls that give their resource back even when they report failure: the fault
// wrapper still makes the real call, so a fault does not leak a handle that
// would then keep files locked.
bool ReleasesAnyway(AfxCallId id)
{
    return id == AFX_CALL_CloseHandle || id == AFX_CALL_RegCloseKey || id == AFX_CALL__findclose;
}

#define FAULT_WRAPPER(lib, ret, cc, name, params, args, fail)            \
    ret cc Fault_##name params                                          \
    {                                                                   \
        if (g_faults->ShouldFail(AFX_CALL_##name)) {                    \
            if (ReleasesAnyway(AFX_CALL_##name))                        \
                g_faults->Forward().name args;                          \
            ::SetLastError(g_faults->FailureError());                   \
            return fail;                                                \
        }                                                               \
        return g_faults->Forward().name args;                           \
    }
AFX_PLATFORM_CALLS(FAULT_WRAPPER)
#undef FAULT_WRAPPER

#define FAULT_SLOT(lib, ret, cc, name, params, args, fail) &Fault_##name,
const AfxPlatformCalls kFaultWrappers = { AFX_PLATFORM_CALLS(FAULT_SLOT) };
#undef FAULT_SLOT

} // namespace

PlatformFaults* CurrentFaults() { return g_faults; }

void PlatformFaults::LookLikeWindows9x()
{
    m_forward.GetVersion = []() -> DWORD { return 0xC0000A04; };  // 4.10, with the 9x family's high bit
    m_forward.CreateFileA = [](LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES sa, DWORD how,
                               DWORD flags, HANDLE model) -> HANDLE {
        if (!(share & FILE_SHARE_DELETE) && !(flags & FILE_FLAG_OPEN_REPARSE_POINT))
            return g_afxSystemCalls.CreateFileA(name, access, share, sa, how, flags, model);
        ::SetLastError(ERROR_INVALID_PARAMETER);
        return INVALID_HANDLE_VALUE;
    };
}

PlatformFaults::PlatformFaults() : m_forward(g_afxSystemCalls)
{
    g_faults = this;
    g_afxCalls = kFaultWrappers;
}

PlatformFaults::~PlatformFaults()
{
    AfxRestorePlatformCalls();
    g_faults = nullptr;
}

void PlatformFaults::Fail(AfxCallId id, int nth, int times)
{
    m_failNth[id] = m_count[id] + nth;  // counted from now on
    m_failTimes[id] = times;
}

std::string PlatformFaults::FirstFailed() const
{
    return m_firstFailed == AFX_CALL_COUNT ? "" : NthCall(m_firstFailed, m_firstFailedNth);
}

std::string NthCall(AfxCallId id, long nth)
{
    const long tens = nth % 100 / 10, ones = nth % 10;
    const char* suffix = tens == 1 || ones == 0 || ones > 3 ? "th" : ones == 1 ? "st" : ones == 2 ? "nd" : "rd";
    return "the " + std::to_string(nth) + suffix + " " + g_afxCallNames[id];
}

bool PlatformFaults::ShouldFail(AfxCallId id)
{
    long n = ++m_count[id];
    bool fail = ++m_total >= m_cutNth && m_cutNth > 0;
    if (m_failNth[id] > 0 && n >= m_failNth[id] && (m_failTimes[id] < 0 || n < m_failNth[id] + m_failTimes[id]))
        fail = true;
    if (fail) {
        if (!m_fired++) {
            m_firstFailed = id;
            m_firstFailedNth = n;
        }
        m_lastFailed = g_afxCallNames[id];
    }
    return fail;
}

HRESULT WINAPI RecordingCoInitialize(LPVOID pReserved)
{
    g_lastCoInit = ::CoInitialize(pReserved);
    if (SUCCEEDED(g_lastCoInit))
        ++g_openCoInits;
    return g_lastCoInit;
}

HRESULT LastCoInitializeResult() { return g_lastCoInit; }

void UninitializeRecordedCom()
{
    for (; g_openCoInits > 0; --g_openCoInits)
        ::CoUninitialize();
    g_lastCoInit = E_FAIL;
}
