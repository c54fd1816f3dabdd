// Shows a mail tip with the program's text (string 10057 and a message
// count) for a few seconds, to look at it:
//   mailtip_show [seconds] [text]
// The text, when given, is UTF-8 and shown in code page 1251.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "framework/ResourceChain.h"
#include "framework/tests/win/CodePageText.h"
#include "postling/shell/MailTipWnd.h"

int main(int argc, char** argv) {
    int seconds = argc > 1 ? std::atoi(argv[1]) : 5;
    std::string text;
    if (argc > 2) {
        text = Cp1251(argv[2]);
    } else {
        std::string format;
        if (!AfxLoadString(10057, format)) {
            std::fprintf(stderr, "mailtip_show: string 10057 missing\n");
            return 1;
        }
        char buffer[512];
        std::snprintf(buffer, sizeof(buffer), format.c_str(),
                      Cp1251("5 писем (1 новое)").c_str());
        text = buffer;
    }
    auto* tip = new CMailTipWnd;
    tip->SetLifetime(static_cast<UINT>(seconds) * 1000 + 1000);
    if (!tip->ShowTip(text.c_str())) {
        delete tip;
        std::fprintf(stderr, "mailtip_show: no tip\n");
        return 1;
    }
    std::printf("tip shown\n");
    std::fflush(stdout);
    DWORD start = GetTickCount();
    MSG msg;
    while (GetTickCount() - start < static_cast<DWORD>(seconds) * 1000 && CMailTipWnd::IsTipShown()) {
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
        }
        Sleep(20);
    }
    if (CMailTipWnd* current = CMailTipWnd::GetCurrentTip()) current->DestroyWindow();
    return 0;
}
