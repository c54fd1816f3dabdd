// Times the message list: RefreshList of 10,000 messages from five accounts
// (copies, rows, marks, and the sort by subject the window keeps), then a
// header sort by subject the other way round.
//   maillist_bench [MESSAGES]
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "framework/WinApp.h"
#include "postling/shell/MailList.h"
#include "postling/shell/tests/win/FrameTestSupport.h"

namespace {

double Now() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER counter;
    QueryPerformanceCounter(&counter);
    return 1000.0 * static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

// Russian senders and subjects from a fixed generator: the same on every run.
void Fill(FakeHost& host, int count) {
    static const char* const words[] = {"Re:", "Отчёт", "встреча", "счёт", "проект", "Привет",
                                        "заказ", "письмо", "итоги", "договор", "отпуск", "план"};
    static const char* const names[] = {"Иван Петров", "Ольга Смирнова", "Банк", "Служба поддержки",
                                        "Мама", "Сергей"};
    unsigned seed = 12345;
    auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int a = 0; a < 5; ++a) host.AddAccount(Cp1251(("Ящик " + std::to_string(a + 1)).c_str()));
    for (int i = 0; i < count; ++i) {
        auto message = std::make_unique<CMessage>();
        std::string subject;
        for (int w = 0; w < 3; ++w) subject += std::string(words[next() % 12]) + ' ';
        message->m_strSubject = Cp1251((subject + std::to_string(next())).c_str());
        message->m_strSenderName = Cp1251(names[next() % 6]);
        message->m_strMessageId = "<" + std::to_string(i) + "@bench>";
        message->m_nSize = static_cast<std::int32_t>(next() * 37);
        message->m_timeSent = 1700000000 + static_cast<TimeValue>(next() * 11);
        message->m_timeReceived = message->m_timeSent + 30;
        message->m_bSeen = i % 3 ? 1 : 0;
        host.GetAccounts()[static_cast<std::size_t>(i % 5)].m_messages.push_back(std::move(message));
    }
    // A handful marked, as the user marks them.
    for (int i = 0; i < 10; ++i) host.GetRules().AddMark("<" + std::to_string(i * 997) + "@bench>");
}

}  // namespace

int main(int argc, char** argv) {
    const int count = argc > 1 ? std::atoi(argv[1]) : 10000;
    CWinApp app("Postling bench");  // no profile: the defaults
    FakeHost host;
    Fill(host, count);
    auto* frame = new CMainFrame(host, std::make_unique<TestScheduler>(host.GetAccounts(), host.GetSettings()));
    if (!frame->CreateHidden()) {
        std::fprintf(stderr, "no main frame\n");
        return 1;
    }
    frame->KillTimer(kSchedulerTimer);
    frame->KillTimer(kIconTimer);
    auto* window = new CMailList(frame);
    if (!window->Open()) {
        std::fprintf(stderr, "no message list\n");
        return 1;
    }
    frame->m_pMailList = window;
    window->m_list.m_bSaveColumns = FALSE;
    window->Present();

    double start = Now();
    window->RefreshList();
    const double refresh = Now() - start;
    start = Now();
    window->m_list.SortItems(1, TRUE);
    const double sort = Now() - start;
    std::printf("messages: %d from 5 accounts, rows: %d\n", count, window->m_list.GetItemCount());
    std::printf("refresh (sorted by subject): %.1f ms\n", refresh);
    std::printf("sort by subject, descending: %.1f ms\n", sort);
    std::printf("maillist-refresh-and-sort-ms: %.1f\n", refresh + sort);
    std::fflush(stdout);
    frame->DestroyWindow();
    return 0;
}
