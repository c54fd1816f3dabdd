// The chain of resource modules: the language module first, then the
// executable, then the extension libraries in the order they loaded.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FwExport.h"

// Replaces the language module (null: none).
FW_API void AfxSetLanguageModule(HINSTANCE module);
FW_API HINSTANCE AfxGetLanguageModule();

// The modules in look-up order.
FW_API std::vector<HINSTANCE> AfxGetResourceChain();

// First module of the chain that has the resource, or null.
FW_API HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type);

// String resource `id` from the first module that has it, converted to the
// ANSI code page exactly as LoadStringA would; false when no module has it.
FW_API bool AfxLoadString(UINT id, std::string& out);

// Extension library registration.
struct AFX_EXTENSION_MODULE {
    bool bInitialized = false;
    HMODULE hModule = nullptr;
};

FW_API bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module);
FW_API void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state);

// While it exists, the library's module is part of the resource chain.
class FW_API CDynLinkLibrary {
public:
    explicit CDynLinkLibrary(AFX_EXTENSION_MODULE& state);
    ~CDynLinkLibrary();
    CDynLinkLibrary(const CDynLinkLibrary&) = delete;
    CDynLinkLibrary& operator=(const CDynLinkLibrary&) = delete;

    HMODULE m_hModule;
};
