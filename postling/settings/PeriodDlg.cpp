#include "postling/settings/PeriodDlg.h"

#include <commctrl.h>

#include "framework/ResourceChain.h"
#include "lumkit/LumNumberEdit.h"
#include "lumkit/LumText.h"

namespace {

constexpr int kDaysInWeek = 7;
constexpr int kDaysInMonth = 31;

// The enabled controls of each kind, in the kind's order.
constexpr UINT kGroupControls[3][6] = {
    {IDC_PERIOD_DAILY_START, IDC_PERIOD_DAILY_END, 0, 0, 0, 0},
    {IDC_PERIOD_WEEKLY_START_DAY, IDC_PERIOD_WEEKLY_START_TIME, IDC_PERIOD_WEEKLY_END_DAY,
     IDC_PERIOD_WEEKLY_END_TIME, 0, 0},
    {IDC_PERIOD_MONTHLY_START_DAY, IDC_PERIOD_MONTHLY_START_SPIN, IDC_PERIOD_MONTHLY_START_TIME,
     IDC_PERIOD_MONTHLY_END_DAY, IDC_PERIOD_MONTHLY_END_SPIN, IDC_PERIOD_MONTHLY_END_TIME},
};

// The time pickers' start and end controls, by kind.
constexpr UINT kStartPicker[3] = {IDC_PERIOD_DAILY_START, IDC_PERIOD_WEEKLY_START_TIME,
                                  IDC_PERIOD_MONTHLY_START_TIME};
constexpr UINT kEndPicker[3] = {IDC_PERIOD_DAILY_END, IDC_PERIOD_WEEKLY_END_TIME, IDC_PERIOD_MONTHLY_END_TIME};

int Clamp(int value, int low, int high) { return value < low ? low : value > high ? high : value; }

}  // namespace

const CRuntimeClass CPeriodDlg::classCPeriodDlg = {"CPeriodDlg", sizeof(CPeriodDlg), &CLumDialog::classCLumDialog,
                                                   nullptr};

const CRuntimeClass* CPeriodDlg::GetRuntimeClass() const { return &classCPeriodDlg; }

const MessageMapEntry CPeriodDlg::messageEntries[] = {
    On::CommandRange<&CPeriodDlg::OnKind>(IDC_PERIOD_DAILY, IDC_PERIOD_MONTHLY),
    On::End(),
};
const MessageMap CPeriodDlg::messageMap = {&CLumDialog::messageMap, CPeriodDlg::messageEntries};

const MessageMap* CPeriodDlg::GetMessageMap() const { return &messageMap; }

CPeriodDlg::CPeriodDlg(const std::string& title, CWnd* parent) : CLumDialog(IDD, parent), m_strTitle(title) {
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_DATE_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
}

CPeriodDlg::~CPeriodDlg() {
    if (m_hWnd) DestroyWindow();
}

bool CPeriodDlg::OnInitDialog() {
    // Every group starts from the period's times; the days of the groups
    // of other kinds start at the first day.
    const std::int32_t* v = m_period.m_nValue;
    m_nKind = m_period.m_nKind == CInterval::PERIOD_WEEKLY    ? 1
              : m_period.m_nKind == CInterval::PERIOD_MONTHLY ? 2
                                                              : 0;
    const Group times = m_nKind == 0 ? Group{0, v[0], v[1], 0, v[2], v[3]} : Group{v[0], v[1], v[2], v[3], v[4], v[5]};
    m_groups[0] = {0, times.startHour, times.startMinute, 0, times.endHour, times.endMinute};
    m_groups[1] = {0, times.startHour, times.startMinute, 0, times.endHour, times.endMinute};
    m_groups[2] = {1, times.startHour, times.startMinute, 1, times.endHour, times.endMinute};
    if (m_nKind == 1) {
        m_groups[1].startDay = Clamp(times.startDay, 0, kDaysInWeek - 1);
        m_groups[1].endDay = Clamp(times.endDay, 0, kDaysInWeek - 1);
    } else if (m_nKind == 2) {
        m_groups[2].startDay = Clamp(times.startDay, 1, kDaysInMonth);
        m_groups[2].endDay = Clamp(times.endDay, 1, kDaysInMonth);
    }

    SetWindowText(m_strTitle.c_str());
    for (UINT combo : {IDC_PERIOD_WEEKLY_START_DAY, IDC_PERIOD_WEEKLY_END_DAY}) {
        for (int day = 0; day < kDaysInWeek; ++day)
            SendDlgItemMessageA(m_hWnd, combo, CB_ADDSTRING, 0,
                                reinterpret_cast<LPARAM>(ResSubString(IDS_PERIOD_WEEKDAYS, day, '\n').c_str()));
    }
    for (int kind = 0; kind < 3; ++kind) {
        for (UINT picker : {kStartPicker[kind], kEndPicker[kind]})
            SendDlgItemMessageA(m_hWnd, picker, DTM_SETFORMATA, 0, reinterpret_cast<LPARAM>("HH:mm"));
    }
    CLumDialog::OnInitDialog();
    EnableGroups(m_nKind);
    return true;
}

void CPeriodDlg::DoDataExchange(CDataExchange* dx) {
    CLumDialog::DoDataExchange(dx);
    DDX_Radio(dx, IDC_PERIOD_DAILY, m_nKind);
    if (!dx->m_bSaveAndValidate) {
        for (int kind = 0; kind < 3; ++kind) {
            ShowTime(kStartPicker[kind], m_groups[kind].startHour, m_groups[kind].startMinute);
            ShowTime(kEndPicker[kind], m_groups[kind].endHour, m_groups[kind].endMinute);
        }
        SendDlgItemMessageA(m_hWnd, IDC_PERIOD_WEEKLY_START_DAY, CB_SETCURSEL, m_groups[1].startDay, 0);
        SendDlgItemMessageA(m_hWnd, IDC_PERIOD_WEEKLY_END_DAY, CB_SETCURSEL, m_groups[1].endDay, 0);
        DDX_NumberSpin32(dx, IDC_PERIOD_MONTHLY_START_DAY, IDC_PERIOD_MONTHLY_START_SPIN, m_groups[2].startDay, 0, 1,
                         kDaysInMonth, 1);
        DDX_NumberSpin32(dx, IDC_PERIOD_MONTHLY_END_DAY, IDC_PERIOD_MONTHLY_END_SPIN, m_groups[2].endDay, 0, 1,
                         kDaysInMonth, 1);
        return;
    }

    // Only the chosen kind is read (and checked); the other groups may hold anything.
    const int kind = Clamp(m_nKind, 0, 2);
    Group& group = m_groups[kind];
    if (kind == 1) {
        group.startDay = Clamp(static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_PERIOD_WEEKLY_START_DAY,
                                                                    CB_GETCURSEL, 0, 0)), 0, kDaysInWeek - 1);
        group.endDay = Clamp(static_cast<int>(SendDlgItemMessageA(m_hWnd, IDC_PERIOD_WEEKLY_END_DAY,
                                                                  CB_GETCURSEL, 0, 0)), 0, kDaysInWeek - 1);
    } else if (kind == 2) {
        DDX_NumberSpin32(dx, IDC_PERIOD_MONTHLY_START_DAY, IDC_PERIOD_MONTHLY_START_SPIN, group.startDay, 0, 1,
                         kDaysInMonth, 1);
        DDX_NumberSpin32(dx, IDC_PERIOD_MONTHLY_END_DAY, IDC_PERIOD_MONTHLY_END_SPIN, group.endDay, 0, 1,
                         kDaysInMonth, 1);
    }
    ReadTime(kStartPicker[kind], group.startHour, group.startMinute);
    ReadTime(kEndPicker[kind], group.endHour, group.endMinute);

    std::int32_t* v = m_period.m_nValue;
    if (kind == 0) {
        m_period.m_nKind = CInterval::PERIOD_DAILY;
        v[0] = group.startHour;
        v[1] = group.startMinute;
        v[2] = group.endHour;
        v[3] = group.endMinute;
    } else {
        m_period.m_nKind = kind == 1 ? CInterval::PERIOD_WEEKLY : CInterval::PERIOD_MONTHLY;
        v[0] = group.startDay;
        v[1] = group.startHour;
        v[2] = group.startMinute;
        v[3] = group.endDay;
        v[4] = group.endHour;
        v[5] = group.endMinute;
    }
}

void CPeriodDlg::OnKind(UINT id) {
    m_nKind = static_cast<int>(id - IDC_PERIOD_DAILY);
    EnableGroups(m_nKind);
}

void CPeriodDlg::EnableGroups(int kind) {
    for (int group = 0; group < 3; ++group) {
        for (UINT id : kGroupControls[group])
            if (id) ::EnableWindow(::GetDlgItem(m_hWnd, static_cast<int>(id)), group == kind);
    }
}

// The pickers show a time on 1 January 2000.
void CPeriodDlg::ShowTime(UINT pickerId, int hour, int minute) {
    SYSTEMTIME time = {};
    time.wYear = 2000;
    time.wMonth = 1;
    time.wDay = 1;
    time.wHour = static_cast<WORD>(Clamp(hour, 0, 23));
    time.wMinute = static_cast<WORD>(Clamp(minute, 0, 59));
    SendDlgItemMessageA(m_hWnd, static_cast<int>(pickerId), DTM_SETSYSTEMTIME, GDT_VALID,
                        reinterpret_cast<LPARAM>(&time));
}

void CPeriodDlg::ReadTime(UINT pickerId, int& hour, int& minute) const {
    SYSTEMTIME time = {};
    if (SendDlgItemMessageA(m_hWnd, static_cast<int>(pickerId), DTM_GETSYSTEMTIME, 0,
                            reinterpret_cast<LPARAM>(&time)) != GDT_VALID)
        return;
    hour = time.wHour;
    minute = time.wMinute;
}
