// The framework DLL's entry point: the DLL's own resources (its prompts,
// FrameworkIds.h) join the resource chain after the language module and the
// executable, so that their strings of the same identifiers win.
#include <windows.h>

#include "ResourceChain.h"

namespace {

AFX_EXTENSION_MODULE g_frameworkModule;
CDynLinkLibrary* g_frameworkEntry = nullptr;

// Once per process. It is then the chain's last module; extension
// libraries, which load after the framework they use, come after it.
bool RegisterFrameworkResources(HINSTANCE instance) {
    if (g_frameworkEntry) return true;
    if (!AfxInitExtensionModule(g_frameworkModule, instance)) return false;
    g_frameworkEntry = new CDynLinkLibrary(g_frameworkModule);
    return true;
}

void UnregisterFrameworkResources() {
    delete g_frameworkEntry;
    g_frameworkEntry = nullptr;
    AfxTermExtensionModule(g_frameworkModule);
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        return RegisterFrameworkResources(instance) ? TRUE : FALSE;
    case DLL_PROCESS_DETACH:
        UnregisterFrameworkResources();
        break;
    default:
        break;
    }
    return TRUE;
}
