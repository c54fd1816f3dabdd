#include "postling/shell/Scheduler.h"

#include <ras.h>
#include <raserror.h>
#include <tlhelp32.h>

#include <vector>

#include "postling/engine/CheckThread.h"
#include "postling/model/Account.h"
#include "postling/model/AccountList.h"
#include "postling/model/ProgramSettings.h"
#include "postling/shell/ProcessApi.h"

namespace {

// The remote-access and process functions, reached at run time: a system
// without them simply has no dial-up connection or no process list.
using RasEnumConnectionsFn = DWORD(WINAPI*)(LPRASCONNA, LPDWORD, LPDWORD);
using RasGetConnectStatusFn = DWORD(WINAPI*)(HRASCONN, LPRASCONNSTATUSA);

template <typename Fn>
Fn Entry(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)))
                  : nullptr;
}

struct RasApi {
    RasEnumConnectionsFn enumConnections = nullptr;
    RasGetConnectStatusFn getStatus = nullptr;
    RasApi() {
        HMODULE ras = LoadLibraryA("rasapi32.dll");
        enumConnections = Entry<RasEnumConnectionsFn>(ras, "RasEnumConnectionsA");
        getStatus = Entry<RasGetConnectStatusFn>(ras, "RasGetConnectStatusA");
    }
};

}  // namespace

std::string UpperPath(const std::string& path) {
    std::string upper = path;
    if (!upper.empty()) CharUpperBuffA(&upper[0], static_cast<DWORD>(upper.size()));
    return upper;
}

std::string ShortUpperPath(const std::string& path) {
    char buffer[MAX_PATH];
    DWORD n = GetShortPathNameA(path.c_str(), buffer, sizeof buffer);
    if (n == 0 || n >= sizeof buffer) return UpperPath(path);
    return UpperPath(std::string(buffer, n));
}

CScheduler::CScheduler(CAccountList& accounts, const ProgramSettings& settings)
    : m_accounts(accounts), m_settings(settings) {}

CScheduler::~CScheduler() = default;

void CScheduler::OnSchedulerTick() {
    const TimeValue now = CurrentTime();
    bool tested = false;
    bool blocked = false;
    for (auto& item : m_accounts) {
        CAccount& account = *item;
        if (account.m_timeNextCheck >= now) continue;  // due only once it lies before now
        if (!tested) {
            blocked = IsCheckBlocked();
            tested = true;
        }
        // Busy also covers a thread that has ended but is not collected yet.
        if (!blocked && !account.IsBusy()) {
            // A thread that cannot be made leaves the account due: retried next tick.
            StartCheck(account);
        } else {
            account.ComputeNextCheck(now);  // skipped, not postponed
        }
    }
}

bool CScheduler::IsCheckBlocked() {
    if (m_bPaused) return true;
    const std::uint32_t options = m_settings.m_dwOptions;
    if (options & OPT_DIALUP_ONLY) {
        if (!IsDialupConnected()) {
            if ((options & OPT_EXIT_WITHOUT_DIALUP) && m_onExitRequest) m_onExitRequest();
            return true;
        }
    }
    if ((options & OPT_SKIP_WHEN_MAILER_RUNS) && !m_settings.m_strMailer.empty()) {
        if (IsProgramRunning(m_settings.m_strMailer)) return true;
    }
    return false;
}

void CScheduler::MakeAllDue(TimeValue now) {
    for (auto& account : m_accounts) account->MakeDue(now);
}

CAccount* CScheduler::AccountForCommand(UINT id) const {
    if (id < ID_CHECK_ACCOUNT_FIRST || id > ID_CHECK_ACCOUNT_LAST) return nullptr;
    std::size_t index = id - ID_CHECK_ACCOUNT_FIRST;
    if (index >= m_accounts.GetCount()) return nullptr;
    return &m_accounts[index];
}

bool CScheduler::CheckNow(UINT id) {
    if (id == ID_CHECK_ALL) {
        bool started = false;
        for (auto& account : m_accounts)
            if (!account->IsBusy() && StartCheck(*account)) started = true;
        return started;
    }
    CAccount* account = AccountForCommand(id);
    if (!account || account->IsBusy()) return false;
    return StartCheck(*account);
}

bool CScheduler::CanCheckNow(UINT id) const {
    if (id == ID_CHECK_ALL) return true;
    CAccount* account = AccountForCommand(id);
    return account && !account->IsBusy();
}

bool CScheduler::StartCheck(CAccount& account) { return ::StartCheck(account); }

bool CScheduler::IsDialupConnected() {
    static const RasApi api;
    if (!api.enumConnections || !api.getStatus) return false;
    DWORD bytes = 0, count = 0;
    // First without a buffer, to learn the size.
    RASCONNA probe = {};
    probe.dwSize = sizeof(RASCONNA);
    DWORD result = api.enumConnections(nullptr, &bytes, &count);
    if (result != 0 && result != ERROR_BUFFER_TOO_SMALL) return false;
    if (bytes == 0 || count == 0) {
        // Some systems want a first record even to say how many there are.
        bytes = sizeof probe;
        result = api.enumConnections(&probe, &bytes, &count);
        if (result == 0) {
            if (count == 0) return false;
        } else if (result != ERROR_BUFFER_TOO_SMALL) {
            return false;
        }
    }
    std::size_t entries = bytes / sizeof(RASCONNA) + 1;
    std::vector<RASCONNA> buffer(entries);  // released on every path
    buffer[0].dwSize = sizeof(RASCONNA);
    bytes = static_cast<DWORD>(entries * sizeof(RASCONNA));
    if (api.enumConnections(buffer.data(), &bytes, &count) != 0) return false;
    for (DWORD i = 0; i < count && i < entries; ++i) {
        RASCONNSTATUSA status = {};
        status.dwSize = sizeof status;
        if (api.getStatus(buffer[i].hrasconn, &status) == 0 && status.rasconnstate == RASCS_Connected)
            return true;
    }
    return false;
}

bool CScheduler::IsProgramRunning(const std::string& path) {
    const ProcessApi& api = ProcessFunctions();
    const std::string longForm = UpperPath(path);
    const std::string shortForm = ShortUpperPath(path);
    auto matches = [&](const std::string& executable) {
        std::string candidate = ShortUpperPath(executable);
        return candidate == longForm || candidate == shortForm;
    };
    if (api.HasPsapi()) {
        DWORD ids[256];
        DWORD bytes = 0;
        if (!api.enumProcesses(ids, sizeof ids, &bytes)) return false;
        for (DWORD i = 0; i < bytes / sizeof(DWORD); ++i) {
            HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, ids[i]);
            if (!process) continue;
            HMODULE modules[1024 / sizeof(HMODULE)];
            DWORD needed = 0;
            char file[MAX_PATH];
            bool found = false;
            if (api.enumModules(process, modules, sizeof modules, &needed) && needed > 0) {
                DWORD n = api.moduleFileName(process, modules[0], file, sizeof file);
                if (n > 0 && n < sizeof file) found = matches(std::string(file, n));
            }
            CloseHandle(process);
            if (found) return true;
        }
        return false;
    }
    if (api.HasToolhelp()) {
        HANDLE snapshot = api.createSnapshot(TH32CS_SNAPPROCESS, 0);
        if (snapshot == INVALID_HANDLE_VALUE) return false;
        PROCESSENTRY32 entry = {};
        entry.dwSize = sizeof entry;
        bool found = false;
        for (BOOL more = api.first(snapshot, &entry); more && !found; more = api.next(snapshot, &entry))
            found = matches(entry.szExeFile);
        CloseHandle(snapshot);
        return found;
    }
    return false;
}
