# Every picture the program ships, with its source in this folder (see Artwork.cmake).
# The sizes are the sources' own; the layout of the windows depends on them.

# The phone window's skin: "PNG" resources with per-pixel alpha.
artwork_png(IDB_BACKGROUND_TOP frame.svg)
artwork_png(IDB_BACKGROUND_BASE base.svg)
artwork_png(IDB_SKYPE carrier-key.svg.in WIDTH=107 FACE_WIDTH=105 CENTRE=53.5 ROUND=0
    LABEL=Skype)
artwork_png(IDB_MODEM carrier-key.svg.in WIDTH=106 FACE_WIDTH=104 CENTRE=53 ROUND=-14
    LABEL=Modem)
artwork_png(IDB_CALLSTART call-key.svg.in TONE=go TURN=225)
artwork_png(IDB_CALLEND call-key.svg.in TONE=stop TURN=0)
artwork_png(IDB_CLOSE close.svg)
artwork_png(IDB_MINIMIZE minimize.svg)
artwork_png(IDB_BOOKMARK tool-key.svg.in GLYPH=book INK=tool-ink-line "PLACE=translate(2.5,3)")
artwork_png(IDB_KEYPAD tool-key.svg.in GLYPH=keypad INK=tool-ink
    "PLACE=translate(4.5,4.5) scale(0.85)")
artwork_png(IDB_KEYPAD_LCD lcd.svg)
artwork_png(IDB_KEYPAD_BACKGROUND keypad.svg)
artwork_png(IDB_UP scroll-key.svg.in HEIGHT=26 MIDDLE=13 GLYPH=chevron-up)
artwork_png(IDB_DOWN scroll-key.svg.in HEIGHT=25 MIDDLE=12.5 GLYPH=chevron-down)
artwork_png(IDB_POPUP popup.svg)
artwork_png(IDB_HOME badge.svg.in GLYPH=home)
artwork_png(IDB_OFFICE badge.svg.in GLYPH=office)
artwork_png(IDB_MOBILE badge.svg.in GLYPH=mobile)
artwork_png(IDB_BOY1 figure.svg.in GLYPH=person)
artwork_png(IDB_GIRL1 figure.svg.in GLYPH=person-alt)

# The keypad: the right column is a pixel wider.
foreach(digit 0 1 2 3 4 5 6 7 8 9)
    set(width 54)
    if(digit MATCHES "[369]")
        set(width 55)
    endif()
    artwork_png(IDB_${digit} key.svg.in WIDTH=${width} LABEL=${digit} ARROW=none)
endforeach()
artwork_png(IDB_CLR key.svg.in WIDTH=54 LABEL=CLR ARROW=none)
artwork_png(IDB_BACK key.svg.in WIDTH=55 LABEL= ARROW=inline)

# The call notice.
artwork_bitmap(IDB_NOTICE_CALL notice.svg.in TONE=calm TITLE=Call WAVES=none)
artwork_bitmap(IDB_NOTICE_INCOMING notice.svg.in TONE=warm "TITLE=Incoming call" WAVES=inline)

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

# The application icon: the tray's and the task bar's sizes at 100 % to 200 %, and a large one
# the system reduces for the rest.
artwork_icon(voxtelo.ico icon.svg 16 20 24 32 40 48 256)
