#include "postling/shell/ProcessApi.h"

namespace {

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

ProcessApi::ProcessApi() {
    // Windows NT has psapi; the others have the tool-help functions of
    // kernel32. A library without all three functions is not kept.
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof version;
    const bool nt = GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
    if (nt) {
        library = LoadLibraryA("PSAPI.DLL");
        enumProcesses = Entry<EnumProcessesFn>(library, "EnumProcesses");
        enumModules = Entry<EnumProcessModulesFn>(library, "EnumProcessModules");
        moduleFileName = Entry<GetModuleFileNameExFn>(library, "GetModuleFileNameExA");
        if (HasPsapi()) return;
        enumProcesses = nullptr;
        enumModules = nullptr;
        moduleFileName = nullptr;
    } else {
        library = LoadLibraryA("KERNEL32.DLL");
        createSnapshot = Entry<CreateSnapshotFn>(library, "CreateToolhelp32Snapshot");
        first = Entry<Process32Fn>(library, "Process32First");
        next = Entry<Process32Fn>(library, "Process32Next");
        if (HasToolhelp()) return;
        createSnapshot = nullptr;
        first = nullptr;
        next = nullptr;
    }
    if (library) FreeLibrary(library);
    library = nullptr;
}

ProcessApi::~ProcessApi() {
    if (library) FreeLibrary(library);
}

const ProcessApi& ProcessFunctions() {
    static const ProcessApi api;
    return api;
}
