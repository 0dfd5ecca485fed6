// The call notice, its repeat timer and the ring: what the window shows and sounds while a
// modem call is up, and the common course of every timer tick.
#include "app/VoxteloDlg.h"

#include "framework/Text.h"
#include "popups/TaskbarNotifier.h"

// Number first, then the phone-book name; a call without a number is "Unknown".
std::string CVoxteloDlg::NoticeText(const char* format) const {
    if (callerNumber_.empty()) {
        return "Unknown";
    }
    return fw::Format(format, callerNumber_.c_str(), callerName_.c_str());
}

// `background` 0 keeps the notice's picture.
void CVoxteloDlg::ShowCallNotice(const std::string& text, int background) {
    StopTimer(TIMER_NOTICE);
    if (!notifier_) {
        return;
    }
    if (background != 0) {
        notifier_->SetBackground(background);
    }
    notifier_->SetTextFonts("Arial", 90, 0, 4);  // 9 points, underlined when hovered
    notifier_->SetTextColors(RGB(0, 0, 0), RGB(0, 0, 200));
    notifier_->SetTextArea({36, 36, 125, 71});
    notifier_->ShowNotice(text, settings_.noticeAppearMs, settings_.noticeStayMs,
                          settings_.noticeHideMs);
    StartTimer(TIMER_NOTICE, settings_.noticeRepeatMs);
}

// Shown again before its stay is over, the notice stays up for as long as the call does.
void CVoxteloDlg::OnNoticeTimer() {
    StopTimer(TIMER_NOTICE);
    if (notifier_) {
        notifier_->ShowNotice(NoticeText("%s\n%s\n"), settings_.noticeAppearMs,
                              settings_.noticeStayMs, settings_.noticeHideMs);
    }
    StartTimer(TIMER_NOTICE, settings_.noticeRepeatMs);
}

void CVoxteloDlg::HideCallNotice() {
    StopTimer(TIMER_NOTICE);
    if (notifier_) {
        notifier_->HideNotice();
    }
}

// Only the modem rings through the program; each ring restarts the file from its beginning.
void CVoxteloDlg::PlayRing(const std::string& path, bool rewind) {
    ring_.Play(path, rewind);
}

void CVoxteloDlg::OnTimer(UINT_PTR id) {
    UpdateViewport();
    switch (id) {
        case TIMER_LIST_SCROLL:
            ScrollListStep();
            break;
        case TIMER_NOTICE:
            OnNoticeTimer();
            break;
        case TIMER_REPEAT_UP:
            SelectPrevious();
            break;
        case TIMER_REPEAT_DOWN:
            SelectNext();
            break;
        case TIMER_SKYPE_LIST:
            RebuildSkypeListNow();
            break;
    }
    PostRepaint();
}
