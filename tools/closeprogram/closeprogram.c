/* Closes a running Postling from outside Wine's virtual desktop: finds the
 * main frame by its "Check Instance" answer and posts it the application-exit
 * command, so the program saves its settings and ends in its own order.
 *   closeprogram [DESKTOP]     default desktop "Postling"
 * Exit status: 0 the command was posted, 1 no main frame was found. */
#include <windows.h>

#include <stdio.h>

#define CHECK_INSTANCE_MESSAGE "Varnek & Soltu Post Sentry: Check Instance"
#define CHECK_INSTANCE_ANSWER 0x1234 /* 4660 */
#define ID_APP_EXIT 0xE141           /* 57665: closes without asking */

struct search {
    UINT message;
    HWND found;
};

static BOOL CALLBACK find_main_frame(HWND window, LPARAM param) {
    struct search* s = (struct search*)param;
    DWORD_PTR answer = 0;
    if (SendMessageTimeoutA(window, s->message, 0, 0, SMTO_ABORTIFHUNG, 2000, &answer) &&
        answer == CHECK_INSTANCE_ANSWER) {
        s->found = window;
        return FALSE;
    }
    return TRUE;
}

int main(int argc, char** argv) {
    const char* name = argc > 1 ? argv[1] : "Postling";
    struct search s;
    /* Windows of another desktop are invisible to EnumWindows: join it first. */
    HDESK desktop = OpenDesktopA(name, 0, FALSE, GENERIC_ALL);
    if (!desktop || !SetThreadDesktop(desktop))
        fprintf(stderr, "closeprogram: cannot enter desktop %s (%lu); trying the current one\n",
                name, GetLastError());
    s.message = RegisterWindowMessageA(CHECK_INSTANCE_MESSAGE);
    s.found = NULL;
    EnumWindows(find_main_frame, (LPARAM)&s);
    if (!s.found) {
        fprintf(stderr, "closeprogram: no running Postling on desktop %s\n", name);
        return 1;
    }
    if (!PostMessageA(s.found, WM_COMMAND, ID_APP_EXIT, 0)) {
        fprintf(stderr, "closeprogram: PostMessage failed (%lu)\n", GetLastError());
        return 1;
    }
    return 0;
}
