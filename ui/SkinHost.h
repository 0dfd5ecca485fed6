// What the phone's skin needs from the main window: the back-ends' states and contact lists,
// the window's call state, its pictures, repaints, the list-scroll timer and message boxes.
// The window implements it; tests fake it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/CallState.h"

struct ContactEntry;
namespace skype {
class SkypeContact;
}

namespace ui {

class SkinImage;

class SkinHost {
public:
    virtual ~SkinHost() = default;

    // The back-ends; INIT, no contacts and no partner while one does not exist.
    virtual CallState SkypeState() const = 0;
    virtual CallState ModemState() const = 0;
    virtual size_t SkypeContactCount() const = 0;
    // The contact with this list index, or null.
    virtual const skype::SkypeContact* SkypeContactAt(int32_t listIndex) const = 0;
    virtual int BookEntryCount() const = 0;
    // The phone-book entry with this index, or null.
    virtual const ContactEntry* BookEntryAt(int index) const = 0;
    // The current Skype call's partner, "" when unknown.
    virtual std::string SkypePartnerHandle() = 0;

    // The window's call state.
    virtual CallState DialogState() const = 0;
    virtual void SetDialogState(CallState state) = 0;
    virtual Carrier ActiveCarrier() const = 0;
    virtual void SetActiveCarrier(Carrier carrier) = 0;
    virtual std::string DialString() const = 0;
    // A selection's number; the display line then no longer holds the user's own.
    virtual void SetDialString(const std::string& text) = 0;
    // Whether the display line holds the user's own number: typed on the keys or handed over
    // by a link.
    virtual bool DialStringTyped() const = 0;
    // The display line as it was before the skin was laid out again, typed or not.
    virtual void RestoreDialString(const std::string& text, bool typed) = 0;
    // The other party of a modem call.
    virtual std::string CallerNumber() const = 0;
    virtual std::string CallerName() const = 0;

    // The window.
    // Decodes the program's "PNG" resource `name` into `image`; false leaves it empty.
    virtual bool LoadPicture(SkinImage& image, const char* name) = 0;
    // UM_REPAINT.
    virtual void RequestRepaint() = 0;
    // Timer 68: (re)started with its period, or stopped.
    virtual void StartListScrollTimer() = 0;
    virtual void StopListScrollTimer() = 0;
    virtual void ShowMessage(const std::string& text) = 0;
};

}  // namespace ui
