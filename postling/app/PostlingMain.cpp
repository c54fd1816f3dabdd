// Program entry: the one application object and the framework's WinMain.
#include <windows.h>

#include "framework/WinApp.h"
#include "lumkit/LumMessages.h"
#include "postling/app/PostlingApp.h"

namespace {

CPostlingApp theApp;

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE previous, LPSTR cmdLine, int cmdShow) {
    // LUMKIT has registered its messages by now; a zero means it did not load properly.
    if (LUMKIT_INPLACE_EDIT_FINISHED == 0 || LUMKIT_DRAGDROP_FINISHED == 0) return 1;
    return AfxWinMain(instance, previous, cmdLine, cmdShow);
}
