// What the skin asks of the main window, answered from the window's own members and its
// back-ends: the skin's side of CVoxteloDlg.
#pragma once

#include "ui/SkinHost.h"

class CVoxteloDlg;

class MainSkinHost final : public ui::SkinHost {
public:
    explicit MainSkinHost(CVoxteloDlg& window) : window_(window) {}

    CallState SkypeState() const override;
    CallState ModemState() const override;
    size_t SkypeContactCount() const override;
    const skype::SkypeContact* SkypeContactAt(int32_t listIndex) const override;
    int BookEntryCount() const override;
    const ContactEntry* BookEntryAt(int index) const override;
    std::string SkypePartnerHandle() override;

    CallState DialogState() const override;
    void SetDialogState(CallState state) override;
    Carrier ActiveCarrier() const override;
    void SetActiveCarrier(Carrier carrier) override;
    std::string DialString() const override;
    void SetDialString(const std::string& text) override;
    void RestoreDialString(const std::string& text, bool typed) override;
    bool DialStringTyped() const override;
    std::string CallerNumber() const override;
    std::string CallerName() const override;

    bool LoadPicture(ui::SkinImage& image, const char* name) override;
    void RequestRepaint() override;
    void StartListScrollTimer() override;
    void StopListScrollTimer() override;
    void ShowMessage(const std::string& text) override;

private:
    CVoxteloDlg& window_;
};
