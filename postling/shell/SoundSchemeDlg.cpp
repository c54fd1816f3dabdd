#include "postling/shell/SoundSchemeDlg.h"

#include <commctrl.h>
#include <commdlg.h>

#include <cstring>
#include <vector>

#include "framework/ResourceChain.h"
#include "lumkit/LumDdx.h"
#include "lumkit/LumNumberEdit.h"
#include "postling/model/ProgramSettings.h"
#include "postling/model/TextFormat.h"
#include "postling/shell/Sounds.h"

namespace {

constexpr int kColumnWidth = 150;
constexpr int kButtonPicture = 16;  // the play and stop pictures are square

// The controls of each kind that are enabled only for it (0: none).
constexpr int kKindControls[4][3] = {
    {0, 0, 0},
    {IDC_SOUND_MELODY_LABEL, IDC_SOUND_MELODY_LIST, 0},
    {IDC_SOUND_MIDI_LABEL, IDC_SOUND_MIDI_FILE, IDC_SOUND_MIDI_BROWSE},
    {IDC_SOUND_WAVE_LABEL, IDC_SOUND_WAVE_FILE, IDC_SOUND_WAVE_BROWSE},
};

// A button picture as an icon whose silver background is transparent: a
// disabled button then greys the picture alone, not its whole square.
HICON ButtonIcon(UINT bitmapId) {
    CImageList images;
    return images.Create(bitmapId, kButtonPicture, 0, RGB(192, 192, 192)) ? images.ExtractIcon(0) : nullptr;
}

// What the second column shows for a record.
std::string SoundText(const CSoundSetting& record) {
    return record.m_nKind == CSoundSetting::KIND_NONE ? LoadStringResource(IDS_SOUND_NONE) : record.m_strName;
}

}  // namespace

std::string FileDialogFilter(const std::string& text) {
    std::string filter = text;
    for (char& c : filter)
        if (c == '|') c = '\0';
    // The list ends with an empty part: two NULs, whatever the text ended with.
    while (filter.size() < 2 || filter[filter.size() - 1] != '\0' || filter[filter.size() - 2] != '\0')
        filter += '\0';
    return filter;
}

const CRuntimeClass CSoundSchemeDlg::classCSoundSchemeDlg = {"CSoundSchemeDlg", sizeof(CSoundSchemeDlg),
                                                             &CLumDialog::classCLumDialog, nullptr};

const CRuntimeClass* CSoundSchemeDlg::GetRuntimeClass() const { return &classCSoundSchemeDlg; }

const MessageMapEntry CSoundSchemeDlg::messageEntries[] = {
    On::Notify<&CSoundSchemeDlg::OnItemChanged>(LVN_ITEMCHANGED, IDC_SOUND_EVENTS),
    On::CommandRange<&CSoundSchemeDlg::OnKind>(IDC_SOUND_NONE, IDC_SOUND_WAVE),
    On::Control<&CSoundSchemeDlg::OnMelodyChange>(CBN_SELCHANGE, IDC_SOUND_MELODY_LIST),
    On::Control<&CSoundSchemeDlg::OnMidiChange>(EN_CHANGE, IDC_SOUND_MIDI_FILE),
    On::Control<&CSoundSchemeDlg::OnWaveChange>(EN_CHANGE, IDC_SOUND_WAVE_FILE),
    On::Command<&CSoundSchemeDlg::OnBrowseMidi>(IDC_SOUND_MIDI_BROWSE),
    On::Command<&CSoundSchemeDlg::OnBrowseWave>(IDC_SOUND_WAVE_BROWSE),
    On::Command<&CSoundSchemeDlg::OnPlay>(IDC_SOUND_PLAY),
    On::Update<&CSoundSchemeDlg::OnUpdatePlay>(IDC_SOUND_PLAY),
    On::Command<&CSoundSchemeDlg::OnStop>(IDC_SOUND_STOP),
    On::End(),
};
const MessageMap CSoundSchemeDlg::messageMap = {&CLumDialog::messageMap, CSoundSchemeDlg::messageEntries};

const MessageMap* CSoundSchemeDlg::GetMessageMap() const { return &messageMap; }

CSoundSchemeDlg::CSoundSchemeDlg(CSounds& sounds, ProgramSettings& settings, CWnd* parent, HWND mainFrame)
    : CLumDialog(IDD, parent), m_sounds(sounds), m_settings(settings), m_hMainFrame(mainFrame) {
    // The template's list and spin.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

CSoundSchemeDlg::~CSoundSchemeDlg() {
    // The buttons go before their pictures, the list before its images.
    if (m_hWnd) DestroyWindow();
    if (m_hPlay) DestroyIcon(m_hPlay);
    if (m_hStop) DestroyIcon(m_hStop);
}

bool CSoundSchemeDlg::OnInitDialog() {
    m_records = m_sounds.Settings();
    m_dwOptions = m_settings.m_dwOptions;
    m_nSilentDuration = m_settings.m_nSilentSoundDuration;
    m_nRow = -1;
    CLumDialog::OnInitDialog();

    m_list.SetExtendedStyle(m_list.GetExtendedStyle() | LVS_EX_FULLROWSELECT);
    if (!m_images.GetSafeHandle() && m_images.Create(16, 16, ILC_COLOR32 | ILC_MASK, 4, 0)) {
        for (UINT id : {IDI_SOUND_NONE, IDI_SOUND_MELODY, IDI_SOUND_MIDI, IDI_SOUND_WAVE}) {
            const LPCSTR name = MAKEINTRESOURCEA(id);
            HINSTANCE module = AfxFindResourceHandle(name, RT_GROUP_ICON);
            HICON icon = module ? static_cast<HICON>(LoadImageA(module, name, IMAGE_ICON, 16, 16, 0)) : nullptr;
            m_images.Add(icon);
            if (icon) DestroyIcon(icon);
        }
    }
    m_list.SetImageList(m_images.GetSafeHandle(), LVSIL_SMALL);

    const std::string headings = LoadStringResource(IDS_SOUND_COLUMNS);
    size_t start = 0;
    for (int column = 0; start <= headings.size(); ++column) {
        size_t end = headings.find('\n', start);
        if (end == std::string::npos) end = headings.size();
        m_list.InsertColumn(column, headings.substr(start, end - start).c_str(), LVCFMT_LEFT, kColumnWidth);
        start = end + 1;
    }
    m_list.LoadColumns();

    m_bFilling = true;
    for (int event = 0; event < SOUND_EVENT_COUNT; ++event) {
        const CSoundSetting& record = m_records[static_cast<size_t>(event)];
        m_list.InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, event,
                          LoadStringResource(IDS_SOUND_EVENT_FIRST + static_cast<UINT>(event)).c_str(), 0, 0,
                          record.m_nKind, event);
        m_list.SetItemText(event, 1, SoundText(record).c_str());
    }
    for (const std::string& name : m_sounds.MelodyNames())
        SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    m_bFilling = false;

    if (!m_hPlay) m_hPlay = ButtonIcon(IDB_SOUND_PLAY);
    if (!m_hStop) m_hStop = ButtonIcon(IDB_SOUND_STOP);
    SendDlgItemMessageA(m_hWnd, IDC_SOUND_PLAY, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hPlay));
    SendDlgItemMessageA(m_hWnd, IDC_SOUND_STOP, BM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(m_hStop));

    ShowRecord();
    m_list.SetItemState(0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
    return true;
}

void CSoundSchemeDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Control(dx, IDC_SOUND_EVENTS, m_list);
    DDX_CheckFlag(dx, IDC_SOUND_MUTE_ON_MENU, m_dwOptions, OPT_MUTE_ON_MENU);
    DDX_NumberSpin32(dx, IDC_SOUND_SILENT_DURATION, IDC_SOUND_SILENT_SPIN, m_nSilentDuration, 0, 0,
                     ProgramSettings::kMaxSilentSoundDuration, 1);
}

void CSoundSchemeDlg::OnOK() {
    if (!UpdateData(true)) return;
    m_sounds.Settings() = m_records;
    m_settings.m_dwOptions = (m_settings.m_dwOptions & ~OPT_MUTE_ON_MENU) | (m_dwOptions & OPT_MUTE_ON_MENU);
    m_settings.m_nSilentSoundDuration = m_nSilentDuration;
    EndDialog(IDOK);
}

CSoundSetting* CSoundSchemeDlg::Current() {
    return m_nRow >= 0 && m_nRow < SOUND_EVENT_COUNT ? &m_records[static_cast<size_t>(m_nRow)] : nullptr;
}

void CSoundSchemeDlg::OnItemChanged(NMHDR* header, LRESULT*) {
    const auto* change = reinterpret_cast<const NMLISTVIEW*>(header);
    if (m_bFilling || !(change->uChanged & LVIF_STATE)) return;
    const bool now = (change->uNewState & LVIS_SELECTED) != 0;
    const bool before = (change->uOldState & LVIS_SELECTED) != 0;
    if (now == before) return;
    m_nRow = m_list.GetNextItem(-1, LVNI_SELECTED);
    ShowRecord();
}

void CSoundSchemeDlg::ShowRecord() {
    CSoundSetting* record = Current();
    const int kind = record ? record->m_nKind : -1;
    m_bFilling = true;
    for (int k = 0; k < 4; ++k) {
        CheckDlgButton(m_hWnd, IDC_SOUND_NONE + k, k == kind ? BST_CHECKED : BST_UNCHECKED);
        ::EnableWindow(GetDlgItem(IDC_SOUND_NONE + k), record != nullptr);
    }
    int melody = -1;
    if (kind == CSoundSetting::KIND_MELODY) {
        // Exactly the stored name; the list's own search ignores case.
        const int count = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count && melody < 0; ++i) {
            const int length =
                static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETLBTEXTLEN, i, 0));
            std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
            SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text.data()));
            if (record->m_strName == text.data()) melody = i;
        }
    }
    SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_SETCURSEL, static_cast<WPARAM>(melody), 0);
    SetDlgItemTextA(m_hWnd, IDC_SOUND_MIDI_FILE, kind == CSoundSetting::KIND_MIDI ? record->m_strName.c_str() : "");
    SetDlgItemTextA(m_hWnd, IDC_SOUND_WAVE_FILE, kind == CSoundSetting::KIND_WAVE ? record->m_strName.c_str() : "");
    m_bFilling = false;
    EnableKindControls(kind);
    if (kind == CSoundSetting::KIND_MELODY && melody < 0 && !record->m_strName.empty())
        SetName(std::string());
    else
        UpdateControls();
}

void CSoundSchemeDlg::EnableKindControls(int kind) {
    for (int k = 0; k < 4; ++k)
        for (int id : kKindControls[k])
            if (id) ::EnableWindow(GetDlgItem(id), k == kind);
}

void CSoundSchemeDlg::SetName(const std::string& name) {
    CSoundSetting* record = Current();
    if (!record) return;
    record->m_strName = name;
    ShowRow(m_nRow);
    UpdateControls();
}

void CSoundSchemeDlg::ShowRow(int row) {
    const CSoundSetting& record = m_records[static_cast<size_t>(row)];
    LVITEMA item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = record.m_nKind;
    m_list.SendMessage(LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    m_list.SetItemText(row, 1, SoundText(record).c_str());
}

void CSoundSchemeDlg::OnKind(UINT id) {
    CSoundSetting* record = Current();
    const int kind = static_cast<int>(id - IDC_SOUND_NONE);
    if (!record || record->m_nKind == kind) return;
    record->m_nKind = kind;
    record->m_strName.clear();
    ShowRow(m_nRow);
    ShowRecord();
}

void CSoundSchemeDlg::OnMelodyChange() {
    CSoundSetting* record = Current();
    if (m_bFilling || !record || record->m_nKind != CSoundSetting::KIND_MELODY) return;
    const int index = static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETCURSEL, 0, 0));
    std::string name;
    if (index >= 0) {
        const int length =
            static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETLBTEXTLEN, index, 0));
        std::vector<char> text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
        SendDlgItemMessageA(m_hWnd, IDC_SOUND_MELODY_LIST, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()));
        name = text.data();
    }
    SetName(name);
}

void CSoundSchemeDlg::ChangeName(int kind, int editId) {
    CSoundSetting* record = Current();
    if (m_bFilling || !record || record->m_nKind != kind) return;
    SetName(GetDlgItemText(editId));
}

void CSoundSchemeDlg::OnMidiChange() { ChangeName(CSoundSetting::KIND_MIDI, IDC_SOUND_MIDI_FILE); }

void CSoundSchemeDlg::OnWaveChange() { ChangeName(CSoundSetting::KIND_WAVE, IDC_SOUND_WAVE_FILE); }

void CSoundSchemeDlg::OnBrowseMidi() { Browse(IDS_SOUND_MIDI_FILTER, "mid", IDC_SOUND_MIDI_FILE); }

void CSoundSchemeDlg::OnBrowseWave() { Browse(IDS_SOUND_WAVE_FILTER, "wav", IDC_SOUND_WAVE_FILE); }

void CSoundSchemeDlg::Browse(UINT filterId, const char* extension, int editId) {
    const std::string filter = FileDialogFilter(LoadStringResource(filterId));
    char path[MAX_PATH] = "";
    const std::string current = GetDlgItemText(editId);
    if (current.size() < sizeof path) std::memcpy(path, current.c_str(), current.size() + 1);
    OPENFILENAMEA open = {};
    open.lStructSize = sizeof open;
    open.hwndOwner = m_hWnd;
    open.lpstrFilter = filter.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = path;
    open.nMaxFile = sizeof path;
    open.lpstrDefExt = extension;
    open.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
    if (!GetOpenFileNameA(&open)) return;
    m_bFilling = true;
    SetDlgItemTextA(m_hWnd, editId, path);
    m_bFilling = false;
    SetName(path);
}

void CSoundSchemeDlg::OnPlay() {
    if (const CSoundSetting* record = Current()) m_sounds.PlayEventSound(*record, SilentMode{}, m_hMainFrame);
}

void CSoundSchemeDlg::OnStop() {
    if (m_hMainFrame)
        ::SendMessageA(m_hMainFrame, WM_COMMAND, ID_STOP_SOUNDS, 0);
    else
        m_sounds.StopAllSounds();
}

void CSoundSchemeDlg::OnUpdatePlay(CCmdUI* ui) {
    const CSoundSetting* record = Current();
    ui->Enable(record && record->m_nKind != CSoundSetting::KIND_NONE && !record->m_strName.empty());
}
