#include "postling/settings/PropertiesPage3.h"

#include <commctrl.h>
#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
#include <cstdio>

#include "framework/ResourceChain.h"
#include "framework/WinApp.h"
#include "lumkit/LumDdx.h"
#include "lumkit/LumNumberEdit.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/TextFormat.h"
#include "postling/settings/Autostart.h"

namespace {

constexpr UINT kLowOptionBits = OPT_DIALUP_ONLY | OPT_EXIT_WITHOUT_DIALUP | OPT_SKIP_WHEN_MAILER_RUNS | OPT_CONFIRM_EXIT;
constexpr char kDefaultLanguageText[] = "(Default: Russian) (LANGID:0x419, CP:1251)";
constexpr std::uint16_t kRussian = 0x419;

HICON SmallIcon(UINT id) {
    const LPCSTR name = MAKEINTRESOURCEA(id);
    HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
    return module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0)) : nullptr;
}

}  // namespace

const CRuntimeClass CPropertiesPage3::classCPropertiesPage3 = {
    "CPropertiesPage3", sizeof(CPropertiesPage3), &CLumPropertyPage::classCLumPropertyPage, nullptr};

const CRuntimeClass* CPropertiesPage3::GetRuntimeClass() const { return &classCPropertiesPage3; }

const MessageMapEntry CPropertiesPage3::messageEntries[] = {
    On::Command<&CPropertiesPage3::OnBrowse>(IDC_GENERAL_MAILER_BROWSE),
    On::Command<&CPropertiesPage3::OnDialupOnly>(IDC_GENERAL_DIALUP_ONLY),
    On::Command<&CPropertiesPage3::OnExitWithoutDialup>(IDC_GENERAL_EXIT_WITHOUT_DIALUP),
    On::End(),
};
const MessageMap CPropertiesPage3::messageMap = {&CLumPropertyPage::messageMap, CPropertiesPage3::messageEntries};

const MessageMap* CPropertiesPage3::GetMessageMap() const { return &messageMap; }

CPropertiesPage3::CPropertiesPage3(ProgramSettings& settings, std::vector<LanguageEntry> languages)
    : CLumPropertyPage(IDD, 0), m_settings(settings), m_languages(std::move(languages)) {
    m_psp.dwFlags &= ~static_cast<DWORD>(PSP_HASHELP);
    std::stable_sort(m_languages.begin(), m_languages.end(),
                     [](const LanguageEntry& a, const LanguageEntry& b) { return a.name < b.name; });
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_USEREX_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

CPropertiesPage3::~CPropertiesPage3() {
    // The language list goes before its images.
    if (m_hWnd) DestroyWindow();
}

std::string CPropertiesPage3::LanguageText(const LanguageEntry& entry) {
    const std::string::size_type slash = entry.path.rfind('\\');
    const std::string file = entry.path.empty() ? std::string("(unknown)")
                             : slash == std::string::npos ? entry.path
                                                          : entry.path.substr(slash + 1);
    char numbers[64];
    std::snprintf(numbers, sizeof numbers, " (LANGID:0x%x, CP:%d, ", static_cast<unsigned>(entry.langId),
                  entry.codePage);
    return entry.name + numbers + file + ")";
}

bool CPropertiesPage3::OnInitDialog() {
    m_dwOptions = m_settings.m_dwOptions;
    m_nErrorSaveTime = m_settings.m_nErrorSaveTime;
    m_bDialupWarned = (m_dwOptions & OPT_EXIT_WITHOUT_DIALUP) != 0;
    const AgentState agent = ReadAgentState();
    m_bAgentList = agent.listExists;
    m_bAgentEntry = agent.entryExists;
    SendDlgItemMessageA(m_hWnd, IDC_GENERAL_MAILER, EM_LIMITTEXT, MAX_PATH - 1, 0);
    CLumPropertyPage::OnInitDialog();
    CheckDlgButton(m_hWnd, IDC_GENERAL_AGENT, m_bAgentEntry ? BST_CHECKED : BST_UNCHECKED);
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_GENERAL_AGENT), m_bAgentList);
    SetDlgItemTextA(m_hWnd, IDC_GENERAL_MAILER, m_settings.m_strMailer.c_str());
    FillLanguages();
    OnDialupOnly();
    return true;
}

void CPropertiesPage3::DoDataExchange(CDataExchange* dx) {
    CLumPropertyPage::DoDataExchange(dx);
    DDX_CheckFlag(dx, IDC_GENERAL_DIALUP_ONLY, m_dwOptions, OPT_DIALUP_ONLY);
    DDX_CheckFlag(dx, IDC_GENERAL_EXIT_WITHOUT_DIALUP, m_dwOptions, OPT_EXIT_WITHOUT_DIALUP);
    DDX_CheckFlag(dx, IDC_GENERAL_SKIP_WHEN_MAILER_RUNS, m_dwOptions, OPT_SKIP_WHEN_MAILER_RUNS);
    DDX_CheckFlag(dx, IDC_GENERAL_CONFIRM_EXIT, m_dwOptions, OPT_CONFIRM_EXIT);
    DDX_NumberSpin32(dx, IDC_GENERAL_ERROR_TIME, IDC_GENERAL_ERROR_TIME_SPIN, m_nErrorSaveTime, 0, 0,
                     ProgramSettings::kMaxErrorSaveTime, 1);
}

void CPropertiesPage3::FillLanguages() {
    HWND combo = ::GetDlgItem(m_hWnd, IDC_GENERAL_LANGUAGE);
    if (!m_images.GetSafeHandle() && m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 2, 1)) {
        for (UINT id : {IDI_LANGUAGE_DEFAULT, IDI_BLINKOFF}) {
            HICON icon = SmallIcon(id);
            m_images.Add(icon);
            if (icon) DestroyIcon(icon);
        }
        for (const LanguageEntry& entry : m_languages) m_images.Add(entry.icon);
    }
    ::SendMessageA(combo, CBEM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(m_images.GetSafeHandle()));
    const auto insert = [&](int index, const std::string& text, int image) {
        COMBOBOXEXITEMA item = {};
        item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE;
        item.iItem = index;
        item.pszText = const_cast<char*>(text.c_str());
        item.iImage = item.iSelectedImage = image;
        ::SendMessageA(combo, CBEM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    };
    insert(0, kDefaultLanguageText, 0);
    int selected = 0;
    for (std::size_t i = 0; i < m_languages.size(); ++i) {
        const LanguageEntry& entry = m_languages[i];
        insert(static_cast<int>(i) + 1, LanguageText(entry), entry.icon ? static_cast<int>(i) + 2 : 1);
        if (entry.langId == m_settings.m_wLanguage) selected = static_cast<int>(i) + 1;
    }
    ::SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
}

std::uint16_t CPropertiesPage3::ChosenLanguage() const {
    const int index = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_GENERAL_LANGUAGE, CB_GETCURSEL, 0, 0));
    if (index <= 0 || static_cast<std::size_t>(index) > m_languages.size()) return kRussian;
    return m_languages[static_cast<std::size_t>(index) - 1].langId;
}

void CPropertiesPage3::OnDialupOnly() {
    ::EnableWindow(::GetDlgItem(m_hWnd, IDC_GENERAL_EXIT_WITHOUT_DIALUP),
                   IsDlgButtonChecked(m_hWnd, IDC_GENERAL_DIALUP_ONLY) == BST_CHECKED);
}

void CPropertiesPage3::OnExitWithoutDialup() {
    if (m_bDialupWarned || IsDlgButtonChecked(m_hWnd, IDC_GENERAL_EXIT_WITHOUT_DIALUP) != BST_CHECKED) return;
    m_bDialupWarned = true;
    ShowMessage(IDS_GENERAL_DIALUP_WARNING, MB_OK | MB_ICONEXCLAMATION | MB_HELP);
}

void CPropertiesPage3::OnBrowse() {
    char path[MAX_PATH] = {};
    std::string filter = LoadStringResource(IDS_GENERAL_MAILER_FILTER);
    for (char& c : filter)
        if (c == '|') c = '\0';
    filter += std::string(2, '\0');
    OPENFILENAMEA dialog = {};
    dialog.lStructSize = sizeof dialog;
    dialog.hwndOwner = m_hWnd;
    dialog.lpstrFilter = filter.c_str();
    dialog.lpstrFile = path;
    dialog.nMaxFile = MAX_PATH;
    dialog.lpstrDefExt = "exe";
    dialog.Flags = OFN_HIDEREADONLY | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
    if (!GetOpenFileNameA(&dialog)) return;
    SetDlgItemTextA(m_hWnd, IDC_GENERAL_MAILER, path);
    ::SetFocus(::GetDlgItem(m_hWnd, IDC_GENERAL_MAILER));
}

bool CPropertiesPage3::OnApply() {
    const bool agent = IsDlgButtonChecked(m_hWnd, IDC_GENERAL_AGENT) == BST_CHECKED;
    if (m_bAgentList && agent != m_bAgentEntry) {
        if (WriteAgentEntry(agent) == AgentResult::NoList) {
            ShowMessage(IDS_GENERAL_AGENT_FAILED, MB_OK | MB_ICONHAND);
            return false;
        }
        m_bAgentEntry = agent;
    }
    std::string mailer;
    if (!CheckMailer(GetDlgItemText(IDC_GENERAL_MAILER), mailer)) {
        ShowMessage(IDS_GENERAL_MAILER_NOT_FOUND, MB_OK | MB_ICONHAND);
        ::SetFocus(::GetDlgItem(m_hWnd, IDC_GENERAL_MAILER));
        return false;
    }
    m_settings.m_strMailer = mailer;
    m_settings.m_dwOptions = (m_settings.m_dwOptions & ~kLowOptionBits) | (m_dwOptions & kLowOptionBits);
    m_settings.m_nErrorSaveTime = m_nErrorSaveTime;
    const std::uint16_t language = ChosenLanguage();
    if (language != m_settings.m_wLanguage) {
        m_settings.m_wLanguage = language;
        OfferRestart();
    }
    return CLumPropertyPage::OnApply();
}

// The new language takes effect at the next start; a restart now is offered.
void CPropertiesPage3::OfferRestart() {
    if (ShowMessage(IDS_GENERAL_RESTART, MB_YESNO | MB_ICONQUESTION | MB_HELP) != IDYES) return;
    char program[MAX_PATH] = {};
    if (!GetModuleFileNameA(nullptr, program, MAX_PATH)) return;
    const std::string parameters = "/RESTART:" + std::to_string(GetCurrentProcessId());
    CWinApp* app = AfxGetApp();
    HWND owner = app && app->m_pMainWnd ? app->m_pMainWnd->m_hWnd : m_hWnd;
    ShellExecuteA(owner, nullptr, program, parameters.c_str(), nullptr, SW_SHOWNORMAL);
}
