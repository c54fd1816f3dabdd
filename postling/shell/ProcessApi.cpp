#include "postling/shell/ProcessApi.h"

namespace {

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

}  // namespace

ProcessApi::ProcessApi() {
    psapi = LoadLibraryA("psapi.dll");
    enumProcesses = Entry<EnumProcessesFn>(psapi, "EnumProcesses");
    enumModules = Entry<EnumProcessModulesFn>(psapi, "EnumProcessModules");
    moduleFileName = Entry<GetModuleFileNameExFn>(psapi, "GetModuleFileNameExA");
    HMODULE kernel = GetModuleHandleA("kernel32.dll");
    createSnapshot = Entry<CreateSnapshotFn>(kernel, "CreateToolhelp32Snapshot");
    first = Entry<Process32Fn>(kernel, "Process32First");
    next = Entry<Process32Fn>(kernel, "Process32Next");
}

ProcessApi::~ProcessApi() {
    if (psapi) FreeLibrary(psapi);
}

const ProcessApi& ProcessFunctions() {
    static const ProcessApi api;
    return api;
}
