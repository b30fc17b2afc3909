// Kernel services: last error, interlocked counters, the process heap,
// named events, mutexes and waits, handles, Sleep and the tick count, and loading
// modules. The simulated machine behind them is one per process.
#pragma once

#include "types.h"

typedef struct _SECURITY_ATTRIBUTES {
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
} SECURITY_ATTRIBUTES, *LPSECURITY_ATTRIBUTES;

typedef INT_PTR(WINAPI* FARPROC)();

extern "C" {

DWORD WINAPI GetLastError(void);
void WINAPI SetLastError(DWORD dwErrCode);

LONG WINAPI InterlockedIncrement(LONG volatile* addend);
LONG WINAPI InterlockedDecrement(LONG volatile* addend);
LONG WINAPI InterlockedExchange(LONG volatile* target, LONG value);
LONG WINAPI InterlockedCompareExchange(LONG volatile* destination, LONG exchange, LONG comparand);

#define HEAP_ZERO_MEMORY 0x00000008
HANDLE WINAPI GetProcessHeap(void);
LPVOID WINAPI HeapAlloc(HANDLE hHeap, DWORD dwFlags, SIZE_T dwBytes);
BOOL WINAPI HeapFree(HANDLE hHeap, DWORD dwFlags, LPVOID lpMem);

// Events: named ones are shared between processes of the same machine.
HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName);
BOOL WINAPI SetEvent(HANDLE hEvent);
BOOL WINAPI ResetEvent(HANDLE hEvent);
// Mutexes: owned by one thread, recursive; a wait that finds the owner
// thread gone owns the mutex and returns WAIT_ABANDONED. Named ones are
// shared between processes of the same machine.
HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName);
BOOL WINAPI ReleaseMutex(HANDLE hMutex);
// Waits on an event or a mutex.
DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds);
BOOL WINAPI CloseHandle(HANDLE hObject);

void WINAPI Sleep(DWORD dwMilliseconds);
DWORD WINAPI GetTickCount(void);

HMODULE WINAPI LoadLibraryA(LPCSTR lpLibFileName);
FARPROC WINAPI GetProcAddress(HMODULE hModule, LPCSTR lpProcName);
BOOL WINAPI FreeLibrary(HMODULE hLibModule);

}  // extern "C"
