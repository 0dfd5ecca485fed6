#include "app/RingSound.h"

#include <windows.h>
#include <mmsystem.h>

RingSound::~RingSound() {
    Close();
}

void RingSound::Play(const std::string& path, bool rewind) {
    if (device_ == 0) {
        MCI_OPEN_PARMSA open{};
        open.lpstrDeviceType = "WaveAudio";
        open.lpstrElementName = path.c_str();
        if (mciSendCommandA(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_ELEMENT,
                            reinterpret_cast<DWORD_PTR>(&open)) != 0) {
            return;
        }
        device_ = open.wDeviceID;
    }
    if (rewind) {
        MCI_SEEK_PARMS seek{};
        if (mciSendCommandA(device_, MCI_SEEK, MCI_SEEK_TO_START,
                            reinterpret_cast<DWORD_PTR>(&seek)) != 0) {
            Close();
        }
    }
    // From the current position, without waiting for the end.
    MCI_PLAY_PARMS play{};
    if (mciSendCommandA(device_, MCI_PLAY, 0, reinterpret_cast<DWORD_PTR>(&play)) != 0 &&
        device_ != 0) {
        Close();
    }
}

// Closing a device that still plays waits for its player to stop (about 150 ms under Wine);
// after a pause the close is immediate, and the program's close stays quick mid-ring.
void RingSound::Close() {
    if (device_ != 0) {
        MCI_GENERIC_PARMS parms{};
        mciSendCommandA(device_, MCI_PAUSE, 0, reinterpret_cast<DWORD_PTR>(&parms));
        mciSendCommandA(device_, MCI_CLOSE, 0, reinterpret_cast<DWORD_PTR>(&parms));
        device_ = 0;
    }
}
