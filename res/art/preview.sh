#!/bin/bash
# A designer's tool, not part of the build: composes the phone window from the built skin
# pictures at the main window's layout positions, in the states a user meets, and lays them
# out over a mid-grey and a white desktop in one sheet to look at.
#   res/art/preview.sh [ARTWORK_DIR] [OUT_DIR]
# Dimmed pictures and the unfocused window are drawn at 100/255 strength, as the program
# does; labels are 10-point Liberation Sans (the metric twin of Arial) at 96 dpi.
set -euo pipefail

repo=$(cd "$(dirname "$0")/../.." && pwd)
art=${1:-$repo/build/win64/res/art}
out=${2:-$repo/out/preview}
mkdir -p "$out"
dim=0.39216 # 100/255

args=()
picture() { args+=("$art/$1.png" -geometry "+$2+$3" -composite); }
dimmed() {
    args+=(\( "$art/$1.png" -channel A -evaluate multiply $dim +channel \)
        -geometry "+$2+$3" -composite)
}
# Text with its layout origin at (x, y); the font's own side bearing is part of the origin.
label() { # weight colour x y text
    local font=Liberation-Sans
    [[ $1 == bold ]] && font=Liberation-Sans-Bold
    args+=(-font "$font" -density 96 -pointsize 10 -fill "$2" -gravity NorthWest
        -annotate "+$(($3 + 2))+$(($4 + 1))" "$5")
}

names=("Alice Wong" "Bob Martin" "Carol Diaz" "Daniel Kim" "echo123" "Fatima Noor"
    "George Li" "Hannah Berg" "Ivan Petrov" "Julia Santos" "Maximilian Oberh..." "Nora Lund"
    "Oscar Perez" "Paula Green" "Quentin Blake" "Rosa Park")

# One phone window in a state. Options (name=value words):
#   carrier=skype|modem|none  keypad=in|out  dial=TEXT  selected=N  scroll=PX
#   popup=yes  calls=start,end (lit keys)  card=TEXT (the caller card instead of the list)
#   focus=no
scene() {
    local file=$1
    shift
    local carrier=skype keypad=in dial="" selected=0 scroll=0 popup=no calls="" card="" focus=yes
    local word
    for word in "$@"; do
        local "$word"
    done
    args=(-size 360x550 xc:none)

    picture IDB_BACKGROUND_BASE 23 71
    if [[ -n $card ]]; then
        picture IDB_BOY1 45 90
        label regular black 61 90 "$card"
    elif [[ $carrier != none ]]; then
        local i y
        for i in "${!names[@]}"; do
            y=$((90 + 30 * i - scroll))
            if ((i == selected)); then picture IDB_BOY1 45 $y; else dimmed IDB_BOY1 45 $y; fi
            label regular black 61 $y "${names[$i]}"
        done
    fi
    local lcd=443
    if [[ $keypad == out ]]; then
        lcd=329
        picture IDB_KEYPAD_BACKGROUND 24 354
        local keys=(1 2 3 4 5 6 7 8 9 CLR 0 BACK) k
        for k in "${!keys[@]}"; do
            picture "IDB_${keys[$k]}" $((38 + 54 * (k % 3))) $((358 + 27 * (k / 3)))
        done
    fi
    picture IDB_KEYPAD_LCD 24 $lcd
    picture IDB_BACKGROUND_TOP 0 0
    picture IDB_CLOSE 211 19
    case $carrier in
    skype) picture IDB_SKYPE 12 44 && dimmed IDB_MODEM 119 44 ;;
    modem) dimmed IDB_SKYPE 12 44 && picture IDB_MODEM 119 44 ;;
    esac
    if [[ $calls == *start* ]]; then picture IDB_CALLSTART 71 484; else dimmed IDB_CALLSTART 71 484; fi
    if [[ $calls == *end* ]]; then picture IDB_CALLEND 128 484; else dimmed IDB_CALLEND 128 484; fi
    [[ $carrier == modem ]] && picture IDB_BOOKMARK 196 488
    picture IDB_KEYPAD 13 489
    picture IDB_UP 201 71
    picture IDB_DOWN 201 $((lcd - 25))
    if [[ $popup == yes ]]; then
        picture IDB_POPUP 120 110
        picture IDB_HOME 134 124 && label bold white 178 132 "5551234"
        dimmed IDB_MOBILE 134 174 && label bold white 178 182 "0171 5550199"
        dimmed IDB_OFFICE 134 224 && label bold white 178 232 "+44 20 5550123"
        picture IDB_CLOSE 325 118
    fi
    [[ -n $dial ]] && label bold black 31 $((lcd + 5)) "$dial"
    [[ $focus == no ]] && args+=(-channel A -evaluate multiply $dim +channel)
    convert "${args[@]}" "$out/$file.png"
}

scene idle carrier=skype keypad=in calls=start
scene dialling carrier=modem keypad=out dial="+44 20 5550123" calls=start selected=2 scroll=25
scene popup carrier=modem keypad=in popup=yes dial=5551234 calls=start selected=1
scene ringing carrier=modem card=$'5551234\nJohn Smith' calls=start,end
scene connected carrier=skype card="echo123" calls=end
scene unready carrier=none
scene unfocused carrier=skype keypad=in calls=start focus=no

# Each state over a mid-grey and a white desktop, in two rows.
sheet=()
for desk in '#808080' '#FFFFFF'; do
    row=()
    for s in idle dialling popup ringing connected unready unfocused; do
        row+=(\( -size 372x562 "xc:$desk" "$out/$s.png" -geometry +6+6 -composite \))
    done
    sheet+=(\( "${row[@]}" +append \))
done
convert "${sheet[@]}" -append "$out/sheet.png"
echo "preview: $out/sheet.png"
