/* What the stand-in HTML Help control records of a call. */
#pragma once

#include <windows.h>
#include <htmlhelp.h>

#define FAKE_HELP_MAX_CALLS 64
#define FAKE_HELP_COOKIE 0x5A5A

typedef struct FakeHelpCall {
    HWND caller;
    char file[MAX_PATH + 64];
    UINT command;
    DWORD_PTR data;
    HH_WINTYPE type;     /* HH_SET_WIN_TYPE: the structure given (pszType cleared) */
    char typeName[64];   /* and its type name */
} FakeHelpCall;

typedef void (*FakeHelpResetFn)(int knowWindowType);
typedef int (*FakeHelpCountFn)(void);
typedef const FakeHelpCall* (*FakeHelpGetFn)(int index);
