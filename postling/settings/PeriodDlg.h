// The period editor: one check period, daily, weekly or monthly. The
// controls of the chosen kind are enabled, the others keep what they show.
// OK takes the chosen kind's values into `m_period`; the slots the kind does
// not use keep theirs.
#pragma once

#include <windows.h>

#include <string>

#include "lumkit/LumDialog.h"
#include "postling/model/Interval.h"
#include "postling/res/resource.h"

class CPeriodDlg : public CLumDialog {
public:
    enum { IDD = IDD_PERIOD };

    CPeriodDlg(const std::string& title, CWnd* parent);
    ~CPeriodDlg() override;

    CInterval m_period;  // in and out

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPeriodDlg;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    void OnKind(UINT id);

private:
    // What every group shows: start and end as day, hour and minute.
    struct Group {
        int startDay, startHour, startMinute, endDay, endHour, endMinute;
    };
    void EnableGroups(int kind);
    void ShowTime(UINT pickerId, int hour, int minute);
    void ReadTime(UINT pickerId, int& hour, int& minute) const;

    std::string m_strTitle;
    int m_nKind = 0;
    Group m_groups[3] = {};  // daily (days unused), weekly, monthly
};
