# Every picture the program ships, with its source in this folder (see Artwork.cmake).
# The sizes are the sources' own; the layout of the windows depends on them.

# The phone window's skin: "PNG" resources with per-pixel alpha.
artwork_png(IDB_BACKGROUND_TOP frame.svg)
artwork_png(IDB_BACKGROUND_BASE base.svg)
artwork_png(IDB_SKYPE carrier-skype.svg)
artwork_png(IDB_MODEM carrier-modem.svg)
artwork_png(IDB_CALLSTART call-start.svg)
artwork_png(IDB_CALLEND call-end.svg)
artwork_png(IDB_CLOSE close.svg)
artwork_png(IDB_MINIMIZE minimize.svg)
artwork_png(IDB_BOOKMARK book-key.svg)
artwork_png(IDB_KEYPAD keypad-key.svg)
artwork_png(IDB_KEYPAD_LCD lcd.svg)
artwork_png(IDB_KEYPAD_BACKGROUND keypad.svg)
artwork_png(IDB_UP up.svg)
artwork_png(IDB_DOWN down.svg)
artwork_png(IDB_POPUP popup.svg)
artwork_png(IDB_HOME home.svg)
artwork_png(IDB_OFFICE office.svg)
artwork_png(IDB_MOBILE mobile.svg)
artwork_png(IDB_BOY1 person.svg)
artwork_png(IDB_GIRL1 person-alt.svg)

# The keypad: the right column is a pixel wider.
foreach(key 1:54: 2:54:ABC 3:55:DEF 4:54:GHI 5:54:JKL 6:55:MNO 7:54:PQRS 8:54:TUV 9:55:WXYZ
            0:54:)
    string(REPLACE ":" ";" key "${key}")
    list(GET key 0 digit)
    list(GET key 1 width)
    list(GET key 2 letters)
    artwork_png(IDB_${digit} key.svg.in WIDTH=${width} LABEL=${digit} HINT=${letters} ARROW=none)
endforeach()
artwork_png(IDB_CLR key.svg.in WIDTH=54 LABEL=CLR HINT= ARROW=none)
artwork_png(IDB_BACK key.svg.in WIDTH=55 LABEL= HINT= ARROW=inline)

# The call notice.
artwork_bitmap(IDB_NOTICE_CALL notice.svg.in TONE=calm TITLE=Call WAVES=none)
artwork_bitmap(IDB_NOTICE_INCOMING notice.svg.in TONE=warm TITLE=Incoming\ call WAVES=inline)

# The phone-book editor: its background, and each button up and pressed.
artwork_bitmap(IDB_BOOK_BACKGROUND book-background.svg)
foreach(button NEW:New:58 DELETE:Delete:57 APPLY:Apply:57 OK:OK:57 CANCEL:Cancel:59)
    string(REPLACE ":" ";" button "${button}")
    list(GET button 0 id)
    list(GET button 1 label)
    list(GET button 2 width)
    math(EXPR inner "${width} - 2")
    math(EXPR face "${width} - 4")
    math(EXPR centre "${width} / 2")
    set(shape WIDTH=${width} INNER=${inner} FACE_WIDTH=${face} CENTRE=${centre} LABEL=${label})
    artwork_bitmap(IDB_BOOK_${id} book-button.svg.in ${shape} FACE=button SHIFT=0)
    artwork_bitmap(IDB_BOOK_${id}_DOWN book-button.svg.in ${shape} FACE=pressed SHIFT=1)
endforeach()
artwork_bitmap(IDB_BOOK_CLOSE book-close.svg)

# The application icon.
artwork_icon(voxtelo.ico icon.svg 16 32 48 256)
