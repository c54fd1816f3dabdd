#include "postling/shell/MailListCtrl.h"

#include <algorithm>
#include <cstring>
#include <ctime>

#include "lumkit/LumText.h"
#include "postling/message/Message.h"

namespace {

int Order(std::int64_t a, std::int64_t b) { return a < b ? -1 : a > b ? 1 : 0; }

// "h.hh" with trailing zeros and a bare point dropped, then the unit.
std::string Hundredths(std::int64_t hundredths, const char* unit) { return FormatFixed(hundredths, 2, 0) + unit; }

}  // namespace

const CRuntimeClass CMailListCtrl::classCMailListCtrl = {"CMailListCtrl", sizeof(CMailListCtrl),
                                                         &CLumListCtrl::classCLumListCtrl, nullptr};

const CRuntimeClass* CMailListCtrl::GetRuntimeClass() const { return &classCMailListCtrl; }

const MessageMapEntry CMailListCtrl::messageEntries[] = {
    On::ReflectNotify<&CMailListCtrl::OnGetDispInfoA>(LVN_GETDISPINFOA),
    On::ReflectNotify<&CMailListCtrl::OnGetDispInfoW>(LVN_GETDISPINFOW),
    On::End(),
};
const MessageMap CMailListCtrl::messageMap = {&CLumListCtrl::messageMap, CMailListCtrl::messageEntries};

const MessageMap* CMailListCtrl::GetMessageMap() const { return &messageMap; }

int CMailListCtrl::AddRow(CMessage* message, int image) {
    LVITEMA item = {};
    item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM;
    item.iItem = GetItemCount();
    item.pszText = LPSTR_TEXTCALLBACKA;
    item.iImage = image;
    item.lParam = reinterpret_cast<LPARAM>(message);
    return InsertItem(&item);
}

std::string CMailListCtrl::FormatSize(std::int32_t size) {
    // A negative size is no size the server gave: shown as none.
    if (size < 0) return std::string();
    if (size < 1000) return std::to_string(size) + " b.";
    const std::int64_t bytes = size;
    if (size < 1000000) return Hundredths((bytes * 100 + 512) / 1024, " Kb");
    return Hundredths((bytes * 100 + 524288) / 1048576, " Mb");
}

std::string CMailListCtrl::FormatTime(TimeValue time) {
    std::tm broken = {};
    if (time == kTimeInvalid || !ToLocalTime(time, broken)) return std::string();
    char text[64];
    const std::size_t length = std::strftime(text, sizeof text, "%d.%m.%Y %H:%M", &broken);
    return std::string(text, length);
}

std::string CMailListCtrl::CellText(const CMessage& message, int column) {
    switch (column) {
    case kSender: return message.m_strSenderName;
    case kSubject: return message.m_strSubject;
    case kSent: return FormatTime(message.m_timeSent);
    case kReceived: return FormatTime(message.m_timeReceived);
    case kAccount: return message.m_strAccount;
    case kSize: return FormatSize(message.m_nSize);
    default: return std::string();
    }
}

void CMailListCtrl::OnGetDispInfoA(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMLVDISPINFOA*>(header);
    const auto* message = reinterpret_cast<const CMessage*>(info->item.lParam);
    if ((info->item.mask & LVIF_TEXT) && message && info->item.pszText && info->item.cchTextMax > 0) {
        const std::string text = CellText(*message, info->item.iSubItem);
        const std::size_t length = std::min(text.size(), static_cast<std::size_t>(info->item.cchTextMax - 1));
        std::memcpy(info->item.pszText, text.data(), length);
        info->item.pszText[length] = '\0';
    }
    *result = 0;
}

void CMailListCtrl::OnGetDispInfoW(NMHDR* header, LRESULT* result) {
    auto* info = reinterpret_cast<NMLVDISPINFOW*>(header);
    const auto* message = reinterpret_cast<const CMessage*>(info->item.lParam);
    if ((info->item.mask & LVIF_TEXT) && message && info->item.pszText && info->item.cchTextMax > 0) {
        const std::string text = CellText(*message, info->item.iSubItem);
        // Sender and subject are decoded into code page 1251; the rest is the
        // system's own text.
        const int column = info->item.iSubItem;
        const UINT codePage = column == kSender || column == kSubject ? kHeaderCodePage : CP_ACP;
        const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()),
                                               info->item.pszText, info->item.cchTextMax - 1);
        info->item.pszText[length] = L'\0';
    }
    *result = 0;
}

int CMailListCtrl::CompareItems(LPARAM lParam1, LPARAM lParam2) {
    const auto* a = reinterpret_cast<const CMessage*>(lParam1);
    const auto* b = reinterpret_cast<const CMessage*>(lParam2);
    int result;
    switch (m_nSortColumn) {
    case kSent:
        result = Order(a->m_timeSent, b->m_timeSent);
        break;
    case kReceived:
        result = Order(a->m_timeReceived, b->m_timeReceived);
        break;
    case kSize:
        result = Order(a->m_nSize, b->m_nSize);
        break;
    default:
        return CLumListCtrl::CompareItems(lParam1, lParam2);  // reverses by itself
    }
    return m_bSortDescending ? -result : result;
}
