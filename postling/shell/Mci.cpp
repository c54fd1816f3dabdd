#include "postling/shell/Mci.h"

#include <mmsystem.h>

MciCommands::~MciCommands() = default;

namespace {

class WinmmCommands : public MciCommands {
public:
    UINT Open(const std::string& path) override {
        MCI_OPEN_PARMSA open = {};
        open.lpstrElementName = path.c_str();
        if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_ELEMENT | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&open)) != 0)
            return 0;
        return open.wDeviceID;
    }

    bool SetTimeFormatMilliseconds(UINT device) override {
        MCI_SET_PARMS set = {};
        set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
        return mciSendCommandA(device, MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT,
                               reinterpret_cast<DWORD_PTR>(&set)) == 0;
    }

    DWORD Length(UINT device) override {
        MCI_STATUS_PARMS status = {};
        status.dwItem = MCI_STATUS_LENGTH;
        if (mciSendCommandA(device, MCI_STATUS, MCI_STATUS_ITEM | MCI_WAIT, reinterpret_cast<DWORD_PTR>(&status)) != 0)
            return 0;
        return static_cast<DWORD>(status.dwReturn);
    }

    bool Play(UINT device, HWND notify, DWORD toMs) override {
        MCI_PLAY_PARMS play = {};
        play.dwCallback = reinterpret_cast<DWORD_PTR>(notify);
        DWORD flags = MCI_NOTIFY;
        if (toMs != 0) {
            play.dwFrom = 0;
            play.dwTo = toMs;
            flags |= MCI_FROM | MCI_TO;
        }
        return mciSendCommandA(device, MCI_PLAY, flags, reinterpret_cast<DWORD_PTR>(&play)) == 0;
    }

    bool Stop(UINT device) override {
        MCI_GENERIC_PARMS stop = {};
        return mciSendCommandA(device, MCI_STOP, 0, reinterpret_cast<DWORD_PTR>(&stop)) == 0;
    }

    bool Close(UINT device, bool wait) override {
        MCI_GENERIC_PARMS close = {};
        return mciSendCommandA(device, MCI_CLOSE, wait ? MCI_WAIT : 0, reinterpret_cast<DWORD_PTR>(&close)) == 0;
    }
};

}  // namespace

MciCommands& SystemMci() {
    static WinmmCommands commands;
    return commands;
}
