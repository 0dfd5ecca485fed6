// Where a person clicks on the phone: the centres of its keys and list items in the window's
// own coordinates, as the skin lays them out.
#pragma once

#include <windows.h>

#include <string>

namespace e2e {

constexpr POINT kTitleBand{100, 22};  // the frame alone, which is no widget: a press drags
constexpr POINT kSkypeKey{65, 55};
constexpr POINT kModemKey{172, 55};
constexpr POINT kKeypadKey{27, 504};
constexpr POINT kCallStartKey{91, 504};
constexpr POINT kCallEndKey{148, 504};
constexpr POINT kBookKey{210, 503};
constexpr POINT kUpKey{207, 84};
constexpr POINT kDownKey{207, 430};  // with the keypad folded away, above the display
constexpr POINT kPopupCloseKey{331, 124};

// With the keypad out its keys stand in three columns and four rows: 1 to 9, then clear
// ('C'), 0 and back.
inline POINT KeypadKey(char key) {
    const std::string order = "123456789C0";
    const int at = static_cast<int>(order.find(key));
    return POINT{24 + 14 + 54 * (at % 3) + 27, 354 + 4 + 27 * (at / 3) + 12};
}

// The list's items stand 30 pixels apart from y 81; their person icons are 16 x 25 at x 45.
inline POINT ItemPoint(int index) {
    return POINT{53, 81 + 30 * index + 12};
}

}  // namespace e2e
