#include "ResourceChain.h"

#include <algorithm>
#include <mutex>

namespace {

// Written at start-up and by library loads; read by any thread.
std::mutex g_chainLock;
HINSTANCE g_languageModule = nullptr;
std::vector<HMODULE> g_libraries;

}  // namespace

void AfxSetLanguageModule(HINSTANCE module) {
    std::lock_guard<std::mutex> lock(g_chainLock);
    g_languageModule = module;
}

HINSTANCE AfxGetLanguageModule() {
    std::lock_guard<std::mutex> lock(g_chainLock);
    return g_languageModule;
}

std::vector<HINSTANCE> AfxGetResourceChain() {
    std::lock_guard<std::mutex> lock(g_chainLock);
    std::vector<HINSTANCE> chain;
    if (g_languageModule) chain.push_back(g_languageModule);
    chain.push_back(GetModuleHandleA(nullptr));
    chain.insert(chain.end(), g_libraries.begin(), g_libraries.end());
    return chain;
}

HINSTANCE AfxFindResourceHandle(LPCSTR name, LPCSTR type) {
    for (HINSTANCE module : AfxGetResourceChain())
        if (FindResourceA(module, name, type)) return module;
    return nullptr;
}

bool AfxLoadString(UINT id, std::string& out) {
    for (HINSTANCE module : AfxGetResourceChain()) {
        const wchar_t* text = nullptr;
        // Buffer size 0: a read-only pointer into the resource and its length.
        int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
        if (length <= 0 || !text) continue;
        int bytes = WideCharToMultiByte(CP_ACP, 0, text, length, nullptr, 0, nullptr, nullptr);
        out.assign(static_cast<std::size_t>(bytes), '\0');
        WideCharToMultiByte(CP_ACP, 0, text, length, &out[0], bytes, nullptr, nullptr);
        return true;
    }
    return false;
}

bool AfxInitExtensionModule(AFX_EXTENSION_MODULE& state, HMODULE module) {
    if (!module) return false;
    state.hModule = module;
    state.bInitialized = true;
    return true;
}

void AfxTermExtensionModule(AFX_EXTENSION_MODULE& state) {
    std::lock_guard<std::mutex> lock(g_chainLock);
    g_libraries.erase(std::remove(g_libraries.begin(), g_libraries.end(), state.hModule),
                      g_libraries.end());
    state.bInitialized = false;
}

CDynLinkLibrary::CDynLinkLibrary(AFX_EXTENSION_MODULE& state) : m_hModule(state.hModule) {
    std::lock_guard<std::mutex> lock(g_chainLock);
    g_libraries.push_back(m_hModule);
}

CDynLinkLibrary::~CDynLinkLibrary() {
    std::lock_guard<std::mutex> lock(g_chainLock);
    g_libraries.erase(std::remove(g_libraries.begin(), g_libraries.end(), m_hModule),
                      g_libraries.end());
}
