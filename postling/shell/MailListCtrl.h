// The message list's rows: a sortable LUMKIT list whose item data are the
// window's message copies. The rows' texts come from the copies when the
// list asks for them (for drawing and for the library's sort), so that
// filling thousands of rows stores no text. Times and sizes sort as
// numbers; the texts sort as the library sorts them.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "lumkit/LumListCtrl.h"
#include "postling/model/Clock.h"

class CMessage;

class CMailListCtrl : public CLumListCtrl {
public:
    // The columns, in insertion order.
    enum Column { kSender, kSubject, kSent, kReceived, kAccount, kSize, kColumnCount };
    static constexpr UINT kHeaderCodePage = 1251;  // what header texts are decoded into

    // Appends a row for the copy, its texts taken from it on demand.
    int AddRow(CMessage* message, int image);

    // Both data are CMessage copies of the window.
    int CompareItems(LPARAM lParam1, LPARAM lParam2) override;

    // The text of a cell.
    static std::string CellText(const CMessage& message, int column);
    // "999 b.", "0.98 Kb", "0.95 Mb"; empty for a negative size.
    static std::string FormatSize(std::int32_t size);
    // "%d.%m.%Y %H:%M" in local time; empty when the time has no local form.
    static std::string FormatTime(TimeValue time);

    const CRuntimeClass* GetRuntimeClass() const override;
    static const CRuntimeClass classCMailListCtrl;
    const MessageMap* GetMessageMap() const override;
    static const MessageMap messageMap;
    static const MessageMapEntry messageEntries[];

protected:
    // LVN_GETDISPINFO in either character set.
    void OnGetDispInfoA(NMHDR* header, LRESULT* result);
    void OnGetDispInfoW(NMHDR* header, LRESULT* result);
};
