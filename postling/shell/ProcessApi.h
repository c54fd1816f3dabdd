// The process-enumeration functions, looked up once at run time: psapi on
// Windows NT, the tool-help functions of kernel32 elsewhere. Start-up loads
// them; the scheduler's mail-program test uses them.
#pragma once

#include <windows.h>
#include <tlhelp32.h>

struct ProcessApi {
    using EnumProcessesFn = BOOL(WINAPI*)(DWORD*, DWORD, DWORD*);
    using EnumProcessModulesFn = BOOL(WINAPI*)(HANDLE, HMODULE*, DWORD, LPDWORD);
    using GetModuleFileNameExFn = DWORD(WINAPI*)(HANDLE, HMODULE, LPSTR, DWORD);
    using CreateSnapshotFn = HANDLE(WINAPI*)(DWORD, DWORD);
    using Process32Fn = BOOL(WINAPI*)(HANDLE, LPPROCESSENTRY32);

    ProcessApi();
    ~ProcessApi();
    ProcessApi(const ProcessApi&) = delete;
    ProcessApi& operator=(const ProcessApi&) = delete;

    bool HasPsapi() const { return enumProcesses && enumModules && moduleFileName; }
    bool HasToolhelp() const { return createSnapshot && first && next; }

    HMODULE library = nullptr;  // the one that was kept
    EnumProcessesFn enumProcesses = nullptr;
    EnumProcessModulesFn enumModules = nullptr;
    GetModuleFileNameExFn moduleFileName = nullptr;
    CreateSnapshotFn createSnapshot = nullptr;
    Process32Fn first = nullptr;
    Process32Fn next = nullptr;
};

// The program's one set, loaded on the first call.
const ProcessApi& ProcessFunctions();
