// The voice modem's TAPI line and phone devices: opens the first line that supports the
// wanted media mode, runs the thread that turns every line message into modem event codes
// posted to the main window, places and answers calls, keeps the current call's caller ID,
// and switches the modem's speakerphone on once a call is connected.
#pragma once

#include <windows.h>
#include <tapi.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <thread>

#include "framework/Handles.h"
#include "modem/LineMessageDispatch.h"

class TapiDevice : private LineEventSink {
public:
    // Every event code goes to `window` (UM_INTERNAL, recipient 3).
    explicit TapiDevice(HWND window);
    virtual ~TapiDevice();
    TapiDevice(const TapiDevice&) = delete;
    TapiDevice& operator=(const TapiDevice&) = delete;

    // Results are TAPI codes: 0 success, else a negative LINEERR_/PHONEERR_ value.

    // Opens the first line device whose media modes include automated voice (or data modem
    // when `automatedVoice` is false) and starts the line-message thread.
    // LINEERR_BADDEVICEID when no device qualifies.
    int32_t OpenLine(bool automatedVoice);
    // Opens the first phone device and asks for the speakerphone with microphone and
    // speaker. While the phone is open a repeated call only repeats that request.
    int32_t OpenPhone();
    // Dials `number` (at most kMaxDialString characters; longer is refused, not cut).
    int32_t MakeCall(const char* number);
    // Answers the current call.
    int32_t Answer();
    // Drops a current call and closes the line side; the thread is gone first. Always 0.
    int32_t CloseLine();

    std::string GetCallerId() const;
    // The error a LINE_REPLY carried for the latest MakeCall or Answer request, once; 0 when
    // that request has not failed in its reply.
    int32_t TakeCallRequestFailure();
    // The size a refused call information claimed (MODEM_EV_CALLINFO_REFUSED), 0 if none.
    uint32_t RefusedCallInfoSize() const { return refusedCallInfoSize_; }

    // What the 1200-byte call parameters hold after their 176-byte fixed part.
    static constexpr size_t kMaxDialString = 1023;

private:
    void MessageThread();
    void ReadMessages();

    // LineEventSink, called on the message thread.
    void PostCode(int code) override;
    void SetCurrentCall(uint32_t call) override;
    bool HasCallerId() override;
    void FetchCallerId() override;
    void ClearCallerId() override;
    void KeepFailedReply(uint32_t requestId, int32_t result) override;
    bool IsOpenLineDevice(uint32_t deviceId) override;

    void ClosePhone();
    HCALL CurrentCall() const;

    HLINEAPP lineApp_ = 0;
    HPHONEAPP phoneApp_ = 0;
    HLINE line_ = 0;
    HPHONE phone_ = 0;
    // TAPI writes the handle of a placed call here when the request completes, so it is
    // kept in the object for the object's whole life.
    HCALL currentCall_ = 0;
    int32_t lineDeviceIndex_ = -1;
    int32_t phoneDeviceIndex_ = -1;
    DWORD lineVersion_ = 0;
    DWORD phoneVersion_ = 0;
    DWORD phoneDeviceCount_ = 0;

    HANDLE tapiEvent_ = nullptr;  // signalled while line messages wait; TAPI owns it
    fw::KernelHandle stopEvent_;
    std::atomic<bool> stop_{true};
    std::thread thread_;
    const HWND window_;  // where the message thread posts

    mutable std::mutex mutex_;  // the caller ID, the current call and the failed replies
    std::string callerId_;
    std::deque<std::pair<uint32_t, int32_t>> failedReplies_;  // request id, error; newest last
    LONG callRequest_ = 0;  // the latest MakeCall or Answer request id; GUI thread only
    std::atomic<uint32_t> refusedCallInfoSize_{0};
};
