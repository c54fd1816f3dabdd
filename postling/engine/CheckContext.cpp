#include "CheckContext.h"

#include <cstdlib>

namespace {
std::atomic<CheckContext*> g_context{nullptr};
}

CheckContext& Checking() {
    CheckContext* context = g_context.load();
    if (!context) std::abort();  // a start-up fault: no check may start before the context is set
    return *context;
}

void SetCheckContext(CheckContext* context) { g_context.store(context); }

bool ChecksStopping() {
    CheckContext* context = g_context.load();
    return context && context->m_bStopping.load();
}

MainFrameSink::~MainFrameSink() = default;

const CRuntimeClass ErrorRecord::classErrorRecord = {"ErrorRecord", sizeof(ErrorRecord),
                                                     &CObject::classCObject, nullptr};

const CRuntimeClass* ErrorRecord::GetRuntimeClass() const { return &classErrorRecord; }

ErrorRecord::~ErrorRecord() = default;
