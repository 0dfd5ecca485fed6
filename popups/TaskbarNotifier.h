// The call notice: a borderless pop-up with a picture and a short text that slides up out of
// the work area's bottom-right corner, stays, and slides back down. A click on it is passed
// to its parent as UM_NOTIFIER_CLICKED. It is drawn at the scale of the screen that holds the
// work area, taken again at every show from hidden: its picture from that scale's artwork
// set, its text area, font and slide steps in figures multiplied by that scale.
#pragma once

#include <windows.h>

#include <string>

#include "core/DisplayScale.h"
#include "framework/Handles.h"
#include "framework/Window.h"
#include "popups/NoticeSlide.h"

class CTaskbarNotifier : public fw::Window, private notice::SlideWindow {
public:
    CTaskbarNotifier();
    ~CTaskbarNotifier() override;

    // Creates the hidden window, owned by `parent`, which receives the clicks.
    bool Create(HWND parent);

    // The bitmap resource, from the scale's artwork set, becomes the picture and gives the
    // notice its size; false when it cannot be loaded (the notice then has no picture and no
    // size).
    bool SetBackground(int bitmapId);
    // Takes over a picture made elsewhere, already at the scale; false for none.
    bool SetBackground(fw::BitmapHandle picture);
    // `size` in tenths of a point; a style's bit 0 is bold, bit 1 italic, bit 2 underline.
    void SetTextFonts(const char* face, int size, int normalStyle, int hoverStyle);
    void SetTextColors(COLORREF normal, COLORREF hover);
    // In figures (the picture's pixels at 100 %).
    void SetTextArea(const RECT& area);
    // The scale the notice is drawn at now; the next show from hidden may take another.
    const scale::DisplayScale& Scale() const { return scale_; }

    void ShowNotice(const std::string& text, unsigned appearMs, unsigned stayMs, unsigned hideMs);
    void HideNotice();

    notice::SlideState State() const { return slide_.State(); }
    const std::string& Text() const { return text_; }
    bool HasPicture() const { return background_.Valid(); }
    // The bitmap resource shown, 0 for none or a picture made elsewhere.
    int PictureId() const { return background_ ? backgroundId_ : 0; }
    bool IsHovered() const { return hovered_; }
    SIZE PictureSize() const { return {slide_.Width(), slide_.Height()}; }

protected:
    bool OnCreate() override;
    std::optional<LRESULT> OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    // notice::SlideWindow
    void StartTimer(unsigned id, unsigned periodMs) override;
    void StopTimer(unsigned id) override;
    void ShowInPlace() override;
    void Move(int left, int top, int width, int height) override;
    void Redraw() override;
    void HideAway() override;

    // Draws at `dpi` from now on: the picture again from its artwork set, the fonts and text
    // area at that scale. The scale is the artwork set's own, so nothing is resampled.
    void ApplyScale(int dpi);
    bool LoadBackground();
    bool UseBackground(fw::BitmapHandle picture);
    void CreateFonts();

    void OnEraseBackground(HDC dc);
    void OnPaint();
    void OnMouseMove();
    void OnHoverChange(bool hovered);
    bool OnSetCursor(LPARAM hitAndMessage);

    HWND parent_ = nullptr;
    fw::FontHandle normalFont_;
    fw::FontHandle hoverFont_;
    COLORREF normalColor_ = 0xB59285;
    COLORREF hoverColor_ = 0x6A240A;
    HCURSOR handCursor_ = nullptr;  // a shared system cursor
    scale::DisplayScale scale_;
    int backgroundId_ = 0;  // 0: none, or a picture taken over
    fw::BitmapHandle background_;
    std::string fontFace_;
    int fontSize_ = 0;  // 0: no fonts asked for
    int normalStyle_ = 0;
    int hoverStyle_ = 0;
    RECT textFigures_{0, 0, 0, 0};
    RECT textArea_{0, 0, 0, 0};
    std::string text_;
    bool hovered_ = false;
    notice::NoticeSlide slide_;
};
