// The multimedia devices the sounds use, behind a seam: the real MCI
// commands of winmm, or a recorder in tests.
#pragma once

#include <windows.h>

#include <string>

class MciCommands {
public:
    virtual ~MciCommands();
    // MCI_OPEN of the file with MCI_OPEN_ELEMENT | MCI_WAIT and no device
    // type (the system picks the device from the file). The device ID, or 0.
    virtual UINT Open(const std::string& path) = 0;
    // MCI_SET of the millisecond time format, waiting. True on success.
    virtual bool SetTimeFormatMilliseconds(UINT device) = 0;
    // MCI_STATUS of the length in the current time format, waiting; 0 when
    // unknown.
    virtual DWORD Length(UINT device) = 0;
    // MCI_PLAY with MCI_NOTIFY to `notify`, from 0 to `toMs` when `toMs` is
    // not 0. True on success.
    virtual bool Play(UINT device, HWND notify, DWORD toMs) = 0;
    // MCI_STOP without waiting. True on success.
    virtual bool Stop(UINT device) = 0;
    // MCI_CLOSE, with or without MCI_WAIT. True on success.
    virtual bool Close(UINT device, bool wait) = 0;
};

// The real devices (mciSendCommandA).
MciCommands& SystemMci();
