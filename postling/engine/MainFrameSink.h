// How the checking threads reach the main frame: four posted notifications.
// The program posts registered window messages; tests and the command-line
// check collect them on a queue.
#pragma once

#include <memory>

#include "ErrorRecord.h"

class CAccount;

class MainFrameSink {
public:
    virtual ~MainFrameSink();

    // "Clear Messages per Account": a check of the account starts.
    virtual void PostClearMessages(CAccount* account) = 0;
    // "Add Error Message": the record belongs to the receiver from now on.
    virtual void PostAddError(std::unique_ptr<ErrorRecord> record) = 0;
    // "Ask Password": the account's log-in was rejected.
    virtual void PostAskPassword(CAccount* account) = 0;
    // "Checking Thread Exiting": the account's thread has done its work.
    virtual void PostThreadExiting(CAccount* account) = 0;
};
