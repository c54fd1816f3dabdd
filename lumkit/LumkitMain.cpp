// The library's entry point: common controls, framework registration and
// the registered messages.
#include <windows.h>
#include <commctrl.h>
#include <shlwapi.h>

#include "LumComCtl.h"
#include "LumMessages.h"
#include "framework/ResourceChain.h"

extern "C" {
unsigned int LUMKIT_INPLACE_EDIT_FINISHED = 0;
unsigned int LUMKIT_DRAGDROP_FINISHED = 0;
}

// Registered during static initialisation, before DllMain runs; not exported.
unsigned int LUMKIT_REQUEST_DESTROY = RegisterWindowMessageA(LUMKIT_MSG_REQUEST_DESTROY);

namespace {

AFX_EXTENSION_MODULE g_extensionModule;
CDynLinkLibrary* g_resourceEntry = nullptr;
long g_commonControlsVersion = -1;

long CommonControlsVersion() {
    if (g_commonControlsVersion != -1) return g_commonControlsVersion;
    long version = kComCtlVersion400;
    HMODULE comctl = GetModuleHandleA("COMCTL32.DLL");
    auto getVersion = comctl ? reinterpret_cast<DLLGETVERSIONPROC>(
                                   reinterpret_cast<void*>(GetProcAddress(comctl, "DllGetVersion")))
                             : nullptr;
    if (getVersion) {
        DLLVERSIONINFO info = {};
        info.cbSize = 20;
        if (getVersion(&info) >= 0) version = ComCtlVersion(info.dwMajorVersion, info.dwMinorVersion);
    }
    g_commonControlsVersion = version;
    return version;
}

bool ProcessAttach(HINSTANCE instance) {
    INITCOMMONCONTROLSEX controls = {8, ICC_BAR_CLASSES};
    InitCommonControlsEx(&controls);
    if (!AfxInitExtensionModule(g_extensionModule, instance)) return false;
    if (!IsComCtlVersionSupported(CommonControlsVersion())) {
        MessageBoxA(nullptr, kComCtlVersionMessage, kComCtlVersionCaption, MB_ICONERROR);
        return false;
    }
    g_resourceEntry = new CDynLinkLibrary(g_extensionModule);
    LUMKIT_INPLACE_EDIT_FINISHED = RegisterWindowMessageA(LUMKIT_MSG_INPLACE_EDIT_FINISHED);
    LUMKIT_DRAGDROP_FINISHED = RegisterWindowMessageA(LUMKIT_MSG_DRAGDROP_FINISHED);
    return true;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return ProcessAttach(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        delete g_resourceEntry;
        g_resourceEntry = nullptr;
        AfxTermExtensionModule(g_extensionModule);
        break;
    default:
        break;
    }
    return TRUE;
}
