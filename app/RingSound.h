// The ring of an incoming modem call: one wave file played over MCI ("WaveAudio"). The device
// stays open between rings, so each ring only rewinds and plays; it closes with its owner.
#pragma once

#include <string>

class RingSound {
public:
    RingSound() = default;
    ~RingSound();
    RingSound(const RingSound&) = delete;
    RingSound& operator=(const RingSound&) = delete;

    // Opens `path` when no device is open (a file that cannot be opened gives no sound and no
    // message), rewinds it when asked, and plays it to its end without waiting. A failed
    // rewind or play closes the device; the next ring opens it again.
    void Play(const std::string& path, bool rewind);

    // The open MCI device, 0 when none.
    unsigned Device() const { return device_; }

private:
    void Close();

    unsigned device_ = 0;
};
