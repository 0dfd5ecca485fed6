// The one-byte widget ids, written as characters. An id is also the widget's paint layer and
// decides how it paints, what a click on it does and how its state changes.
#pragma once

namespace ui {

enum WidgetId : int {
    WID_BASE = '$',           // back plate of the list area
    WID_SKYPE_CONTACT = '%',  // one Skype contact in the Skype list
    WID_BOOK_CONTACT = '&',   // one phone-book entry in the phone-book list
    WID_CALLER_CARD = '\'',   // the other party of a call
    WID_LCD = '(',            // display panel
    WID_KEYPAD_PANEL = ')',   // keypad panel
    WID_KEY_1 = '*',          // digit keys 1 to 9 follow in order
    WID_KEY_9 = '2',
    WID_KEY_0 = '3',
    WID_KEY_BACK = '4',
    WID_KEY_CLR = '5',
    WID_FRAME = '6',
    WID_CLOSE = '7',  // window close key ('8' is not used)
    WID_SKYPE = '9',  // Skype carrier key
    WID_MODEM = ':',  // modem carrier key
    WID_CALL_START = ';',
    WID_CALL_END = '<',
    WID_BOOKMARK = '=',  // phone-book key
    WID_KEYPAD = '>',    // keypad show/hide key
    WID_UP = '?',
    WID_DOWN = '@',
    WID_POPUP = 'A',   // number pop-up panel
    WID_NUMBER = 'B',  // one number in the pop-up
    WID_POPUP_CLOSE = 'C',
};

}  // namespace ui
