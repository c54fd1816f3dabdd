/* A stand-in for the HTML Help control: export 14 (HtmlHelpA) records
   every call, and answers HH_GET_WIN_TYPE as told. Built twice: the other
   build lacks export 14, like a file that is no HTML Help control. */
#include <windows.h>
#include <htmlhelp.h>
#include <string.h>

#include "HelpFakeHhctrl.h"

static FakeHelpCall calls[FAKE_HELP_MAX_CALLS];
static int count;
static int knowsWindowType;
static HH_WINTYPE knownType;

HWND WINAPI HtmlHelpA(HWND caller, LPCSTR file, UINT command, DWORD_PTR data) {
    if (count < FAKE_HELP_MAX_CALLS) {
        FakeHelpCall* call = &calls[count++];
        memset(call, 0, sizeof *call);
        call->caller = caller;
        if (file) lstrcpynA(call->file, file, sizeof call->file);
        call->command = command;
        call->data = data;
        if (command == HH_SET_WIN_TYPE && data) {
            call->type = *(const HH_WINTYPE*)data;
            if (call->type.pszType) lstrcpynA(call->typeName, call->type.pszType, sizeof call->typeName);
            call->type.pszType = NULL;
        }
    }
    switch (command) {
    case HH_GET_WIN_TYPE:
        if (knowsWindowType == 0) return NULL;
        if (knowsWindowType < 0) return (HWND)-1; /* the error value */
        *(HH_WINTYPE**)data = &knownType;
        return (HWND)1;
    case HH_INITIALIZE:
        *(DWORD*)data = FAKE_HELP_COOKIE;
        return NULL;
    case HH_HELP_CONTEXT:
    case HH_DISPLAY_TOC:
        return (HWND)1;
    default:
        return NULL;
    }
}

void FakeHelpReset(int knowWindowType) { /* 1 known, 0 unknown (null), -1 unknown (-1) */
    count = 0;
    knowsWindowType = knowWindowType;
}

int FakeHelpCount(void) { return count; }

const FakeHelpCall* FakeHelpGet(int index) { return index >= 0 && index < count ? &calls[index] : NULL; }
