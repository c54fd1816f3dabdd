// What the checking threads share with the rest of the program: where they
// post their notifications, the rules, the two password events and the
// count of running checks. The owner (the application, a test, the
// command-line check) sets it before the first check starts.
#pragma once

#include <atomic>

#include "Event.h"
#include "MainFrameSink.h"

class CRuleBook;

class CheckContext {
public:
    CheckContext(MainFrameSink& sink, CRuleBook& rules) : m_sink(sink), m_rules(rules) {}
    CheckContext(const CheckContext&) = delete;
    CheckContext& operator=(const CheckContext&) = delete;

    MainFrameSink& m_sink;
    CRuleBook& m_rules;
    // One password prompt at a time: the gate lets one thread ask, the
    // answered event wakes it when the prompt has closed.
    Event m_passwordGate{Event::kAutoReset, true};
    Event m_passwordAnswered{Event::kManualReset, false};
    std::atomic<int> m_nRunningChecks{0};
    // Set when the program ends: every wait for the server gives up at once,
    // so running checks end within a fraction of a second.
    std::atomic<bool> m_bStopping{false};
};

CheckContext& Checking();
void SetCheckContext(CheckContext* context);
// Whether the current context (if any) asks checks to end.
bool ChecksStopping();
