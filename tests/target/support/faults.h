// Fault injection through the platform-call table: while a PlatformFaults object
// lives, every entry of g_afxCalls goes through a counting wrapper that can make
// chosen calls fail with the failure value of that call. Forward() holds what the
// wrappers call when they do not fail (the real functions unless a test replaces
// an entry with a fake). The destructor restores the whole table.
#pragma once
#include "platform.h"
#include <string>

class PlatformFaults {
public:
    PlatformFaults();
    ~PlatformFaults();

    // The functions the wrappers forward to; replace an entry to fake a call.
    AfxPlatformCalls& Forward() { return m_forward; }

    // Fails calls of one entry: the nth from now on (1-based) and the `times - 1` after it
    // (times < 0: every call from the nth on).
    void Fail(AfxCallId id, int nth = 1, int times = 1);
    // Fails every call from the nth over all entries on, doing nothing: seen from the
    // machine, the run was cut short there (a kill, a power cut).
    void CutShortAtNthOfAll(long nth) { m_cutNth = nth; }
    void SetFailureError(DWORD dwError) { m_error = dwError; }
    // The system as Windows 98 shows itself through the table: so says GetVersion, and
    // CreateFileA refuses, as there, the flags that only the NT family knows.
    void LookLikeWindows9x();

    long Count(AfxCallId id) const { return m_count[id]; }
    long Total() const { return m_total; }
    bool Fired() const { return m_fired > 0; }
    // The name of the call that the last fault hit ("" before any).
    const std::string& LastFailed() const { return m_lastFailed; }
    // The first call a fault hit, by its function and count ("the 3rd _chdir"; "" before any).
    std::string FirstFailed() const;

    // Used by the wrappers.
    bool ShouldFail(AfxCallId id);
    DWORD FailureError() const { return m_error; }

private:
    AfxPlatformCalls m_forward;
    long m_count[AFX_CALL_COUNT] = {};
    int m_failNth[AFX_CALL_COUNT] = {};
    int m_failTimes[AFX_CALL_COUNT] = {};
    long m_total = 0;
    long m_cutNth = 0;
    long m_fired = 0;
    AfxCallId m_firstFailed = AFX_CALL_COUNT;
    long m_firstFailedNth = 0;
    DWORD m_error = ERROR_ACCESS_DENIED;
    std::string m_lastFailed;
};

// A call by its function and its count among that function's calls: "the 3rd _chdir".
std::string NthCall(AfxCallId id, long nth);

// The installed PlatformFaults (NULL when none).
PlatformFaults* CurrentFaults();

// A CoInitialize to put into Forward(): it records the result of its last call and
// counts the successful ones. UninitializeRecordedCom gives those back, one
// CoUninitialize each, and forgets the last result (E_FAIL until the next call).
HRESULT WINAPI RecordingCoInitialize(LPVOID pReserved);
HRESULT LastCoInitializeResult();
void UninitializeRecordedCom();
