// Stand-ins for the phone skin's surroundings: a text engine with fixed metrics and a main
// window whose back-ends, call state and pictures the test sets.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <new>
#include <ostream>
#include <string>
#include <vector>

#include "modem/ContactEntry.h"
#include "skype/SkypeContact.h"
#include "ui/Label.h"
#include "ui/Rect.h"
#include "ui/SkinHost.h"
#include "ui/SkinImage.h"

namespace ui {

inline void PrintTo(const Rect& r, std::ostream* out) {
    *out << "(" << r.left << ", " << r.top << ", " << r.right << ", " << r.bottom << ")";
}

}  // namespace ui

namespace ui::testing {

// A picture of one opaque colour.
inline PixelBuffer SolidPicture(int width, int height, uint32_t pixel) {
    PixelBuffer picture(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture.View().Row(y)[x] = pixel;
        }
    }
    return picture;
}

// 7 pixels a character, 16 a line (at 100 %, figures at the scale); labels render as opaque
// blocks of that size.
class FakeSkinText : public SkinText {
public:
    static constexpr int kCharWidth = 7;
    static constexpr int kLineHeight = 16;

    LabelSize MeasureLabel(const std::string& text) override {
        int lines = text.empty() ? 0 : 1;
        int longest = 0;
        int current = 0;
        for (char c : text) {
            if (c == '\n') {
                ++lines;
                current = 0;
            } else {
                longest = std::max(longest, ++current);
            }
        }
        return LabelSize{longest * Px(kCharWidth), lines * Px(kLineHeight)};
    }

    const PixelBuffer& RenderLabel(const std::string& text, LabelStyle) override {
        const LabelSize size = MeasureLabel(text);
        rendered = SolidPicture(size.width, size.height, 0xFF000000);
        return rendered;
    }

private:
    PixelBuffer rendered;
};

// The skin's pictures at their real sizes, each a solid colour.
inline const std::map<std::string, std::pair<int, int>>& PictureSizes() {
    // clang-format off
    static const std::map<std::string, std::pair<int, int>> sizes = {
        {"IDB_BACKGROUND_TOP", {239, 550}}, {"IDB_BACKGROUND_BASE", {190, 397}},
        {"IDB_SKYPE", {107, 23}}, {"IDB_MODEM", {106, 23}}, {"IDB_CALLSTART", {41, 41}},
        {"IDB_CALLEND", {41, 41}}, {"IDB_CLOSE", {12, 12}}, {"IDB_BOOKMARK", {29, 30}},
        {"IDB_KEYPAD", {29, 30}}, {"IDB_KEYPAD_LCD", {189, 25}},
        {"IDB_KEYPAD_BACKGROUND", {189, 114}}, {"IDB_1", {54, 25}}, {"IDB_2", {54, 25}},
        {"IDB_3", {55, 25}}, {"IDB_4", {54, 25}}, {"IDB_5", {54, 25}}, {"IDB_6", {55, 25}},
        {"IDB_7", {54, 25}}, {"IDB_8", {54, 25}}, {"IDB_9", {55, 25}}, {"IDB_0", {54, 25}},
        {"IDB_BACK", {55, 25}}, {"IDB_CLR", {54, 25}}, {"IDB_UP", {12, 26}},
        {"IDB_DOWN", {12, 25}}, {"IDB_POPUP", {235, 156}}, {"IDB_HOME", {34, 35}},
        {"IDB_OFFICE", {34, 35}}, {"IDB_MOBILE", {34, 35}}, {"IDB_BOY1", {16, 25}},
    };
    // clang-format on
    return sizes;
}

class FakeSkinHost : public SkinHost {
public:
    CallState SkypeState() const override { return skypeState; }
    CallState ModemState() const override { return modemState; }
    size_t SkypeContactCount() const override { return skypeContacts.size(); }
    const skype::SkypeContact* SkypeContactAt(int32_t listIndex) const override {
        for (const auto& contact : skypeContacts) {
            if (contact->listIndex == listIndex) {
                return contact.get();
            }
        }
        return nullptr;
    }
    int BookEntryCount() const override { return static_cast<int>(book.size()); }
    const ContactEntry* BookEntryAt(int index) const override {
        for (const auto& entry : book) {
            if (entry->index == index) {
                return entry.get();
            }
        }
        return nullptr;
    }
    std::string SkypePartnerHandle() override { return partner; }

    CallState DialogState() const override { return dialogState; }
    void SetDialogState(CallState state) override { dialogState = state; }
    Carrier ActiveCarrier() const override { return carrier; }
    void SetActiveCarrier(Carrier value) override { carrier = value; }
    std::string DialString() const override { return dialString; }
    void SetDialString(const std::string& text) override {
        dialString = text;
        dialStringTyped = false;
    }
    bool DialStringTyped() const override { return dialStringTyped; }
    void RestoreDialString(const std::string& text, bool typed) override {
        dialString = text;
        dialStringTyped = typed;
    }
    std::string CallerNumber() const override { return callerNumber; }
    std::string CallerName() const override { return callerName; }

    // A picture of a set is its figures at the set's scale ("IDB_UP_150").
    bool LoadPicture(SkinImage& image, const char* name) override {
        if (failLoads) {
            throw std::bad_alloc();
        }
        loaded.push_back(name);
        std::string base = name;
        int percent = 100;
        const size_t mark = base.rfind('_');
        if (mark != std::string::npos && !PictureSizes().count(base)) {
            percent = std::stoi(base.substr(mark + 1));
            base.resize(mark);
        }
        const scale::DisplayScale set(percent * scale::kBaseDpi / 100);
        const auto& [width, height] = PictureSizes().at(base);
        // A colour of its own, so that a picture drawn in the wrong place shows.
        const uint32_t colour = static_cast<uint32_t>(std::hash<std::string>()(base));
        image.Assign(SolidPicture(set.Px(width), set.Px(height), 0xFF000000 | colour));
        return true;
    }
    void RequestRepaint() override { ++repaints; }
    void StartListScrollTimer() override { scrollTimerRunning = true; }
    void StopListScrollTimer() override { scrollTimerRunning = false; }
    void ShowMessage(const std::string& text) override { messages.push_back(text); }

    // A Skype contact with its details arrived.
    void AddSkypeContact(const std::string& handle, const std::string& status,
                         const std::string& displayName = "", const std::string& fullName = "") {
        auto contact = std::make_unique<skype::SkypeContact>(
            static_cast<int32_t>(skypeContacts.size()), handle);
        contact->onlineStatus = status;
        contact->displayName = displayName;
        contact->fullName = fullName;
        skypeContacts.push_back(std::move(contact));
    }
    void AddBookEntry(const std::string& name, const std::string& home, const std::string& office,
                      const std::string& mobile) {
        auto entry = std::make_unique<ContactEntry>();
        entry->index = static_cast<int>(book.size());
        entry->name = name;
        entry->home = home;
        entry->office = office;
        entry->mobile = mobile;
        book.push_back(std::move(entry));
    }

    CallState skypeState = CallState::INIT;
    CallState modemState = CallState::INIT;
    std::vector<std::unique_ptr<skype::SkypeContact>> skypeContacts;
    std::vector<std::unique_ptr<ContactEntry>> book;
    std::string partner;
    CallState dialogState = CallState::INIT;
    Carrier carrier = Carrier::None;
    std::string dialString;
    bool dialStringTyped = false;
    std::string callerNumber;
    std::string callerName;
    bool failLoads = false;
    std::vector<std::string> loaded;  // every picture's resource name, in order
    int repaints = 0;
    bool scrollTimerRunning = false;
    std::vector<std::string> messages;
};

}  // namespace ui::testing
