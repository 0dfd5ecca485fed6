// The skin's view of the main window: back-end states and records, the call state, the
// program's pictures, repaints, timer 68 and message boxes.
#include "app/MainSkinHost.h"

#include "app/VoxteloDlg.h"
#include "framework/MessageBox.h"
#include "modem/ModemPhone.h"
#include "skype/SkypeApi.h"
#include "ui/SkinImage.h"

CallState MainSkinHost::SkypeState() const {
    return window_.skype_ ? window_.skype_->GetState() : CallState::INIT;
}

CallState MainSkinHost::ModemState() const {
    return window_.modem_ ? window_.modem_->GetState() : CallState::INIT;
}

size_t MainSkinHost::SkypeContactCount() const {
    return window_.skype_ ? window_.skype_->ContactCount() : 0;
}

const skype::SkypeContact* MainSkinHost::SkypeContactAt(int32_t listIndex) const {
    return window_.skype_ ? window_.skype_->ContactAt(listIndex) : nullptr;
}

int MainSkinHost::BookEntryCount() const {
    return window_.modem_ ? window_.modem_->GetContactCount() : 0;
}

const ContactEntry* MainSkinHost::BookEntryAt(int index) const {
    return window_.modem_ ? window_.modem_->GetContact(index) : nullptr;
}

// The paint pass never waits for the partner: a call whose partner reply is lost would stall
// every repaint for half a second. EV_SKYPE_PARTNER repaints once the partner is known.
std::string MainSkinHost::SkypePartnerHandle() {
    return window_.skype_ ? window_.skype_->PartnerHandle() : std::string();
}

CallState MainSkinHost::DialogState() const {
    return window_.dialogState_;
}

void MainSkinHost::SetDialogState(CallState state) {
    window_.SetDialogState(state);
}

Carrier MainSkinHost::ActiveCarrier() const {
    return window_.activeCarrier_;
}

void MainSkinHost::SetActiveCarrier(Carrier carrier) {
    window_.activeCarrier_ = carrier;
}

std::string MainSkinHost::DialString() const {
    return window_.dialString_;
}

void MainSkinHost::SetDialString(const std::string& text) {
    window_.dialString_ = text;
    window_.dialStringTyped_ = false;
}

void MainSkinHost::RestoreDialString(const std::string& text, bool typed) {
    window_.dialString_ = text;
    window_.dialStringTyped_ = typed;
}

// A cleared display line holds no number to keep.
bool MainSkinHost::DialStringTyped() const {
    return window_.dialStringTyped_ && !window_.dialString_.empty();
}

std::string MainSkinHost::CallerNumber() const {
    return window_.callerNumber_;
}

std::string MainSkinHost::CallerName() const {
    return window_.callerName_;
}

bool MainSkinHost::LoadPicture(ui::SkinImage& image, const char* name) {
    return image.Load(name, "PNG", GetModuleHandleW(nullptr));
}

void MainSkinHost::RequestRepaint() {
    window_.PostRepaint();
}

void MainSkinHost::StartListScrollTimer() {
    window_.StartTimer(CVoxteloDlg::TIMER_LIST_SCROLL, CVoxteloDlg::kListScrollMs);
}

void MainSkinHost::StopListScrollTimer() {
    window_.StopTimer(CVoxteloDlg::TIMER_LIST_SCROLL);
}

void MainSkinHost::ShowMessage(const std::string& text) {
    fw::ShowReport(window_.Handle(), text);
}
