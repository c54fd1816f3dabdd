// The period list dialog: a list of check periods, edited one at a time in
// the period editor. It works on its own copy; OK leaves the edited list in
// `m_periods` for the caller. Periods are neither sorted nor checked.
#pragma once

#include <windows.h>

#include <string>

#include "framework/Controls.h"
#include "framework/ImageList.h"
#include "lumkit/LumDialog.h"
#include "lumkit/LumDialogToolbar.h"
#include "postling/model/Interval.h"
#include "postling/res/resource.h"

class CPeriodListDlg : public CLumDialog {
public:
    enum { IDD = IDD_PERIOD_LIST };

    CPeriodListDlg(const std::string& title, CWnd* parent);
    ~CPeriodListDlg() override;

    CIntervalList m_periods;  // in and out

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCPeriodListDlg;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    bool OnInitDialog() override;
    void DoDataExchange(CDataExchange* dx) override;
    // Enter, Insert and Delete in the list are the dialog's commands.
    bool PreTranslateMessage(MSG* msg) override;

    void OnEdit();
    void OnAdd();
    void OnDelete();
    void OnUpdateSelected(CCmdUI* ui);
    void OnDoubleClick(NMHDR* header, LRESULT* result);

private:
    int SelectedRow() const;
    // The period a row carries, and its index in `m_periods` (-1: none).
    int PeriodIndex(int row) const;
    void AddRow(std::size_t index);

    std::string m_strTitle;
    CLumDialogToolbar m_toolbar;
    CListCtrl m_list;
    CImageList m_images;
};
