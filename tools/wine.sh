#!/bin/bash
# The one place that knows how Voxtelo's Windows programs run on Linux: the project-local
# Wine prefix and its font replacement, the DLL overrides, the null sound device, the X
# display (Xvfb when there is none) and the persistent wineserver.
#
#   tools/wine.sh run     [--prefix DIR] [--dpi N | --apart NAME] <program.exe> [args...]
#                         run one program (CTest's emulator)
#   tools/wine.sh session [--prefix DIR] [--dpi N | --apart NAME] <command...>
#                         Xvfb + wineserver around a command
#   tools/wine.sh prefix  [--prefix DIR] [--dpi N | --apart NAME]   create the prefix only
#
# The prefix defaults to $VOXTELO_WINEPREFIX, else build/win64/wineprefix. With --dpi N it is
# DIR-dpiN instead, a prefix whose display scale (LogPixels) is N dots per inch; with --apart
# NAME it is DIR-NAME, the same prefix for a test that must not meet the others' windows. Both
# are made once from DIR with hard links (real copies of the files Wine rewrites in place) and
# kept, so that only their first use costs more than starting their Wine server. A private Xvfb's screen is
# $VOXTELO_SCREEN (WIDTHxHEIGHTxDEPTH), else 1280x1024x24. When the build
# beside the prefix has the LED device stand-in (bin/ledsim.sys), it is installed as a kernel
# service of the prefix and started with the services (sim/led/README.md).
set -euo pipefail

repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
command=${1:-}
shift || true
prefix=${VOXTELO_WINEPREFIX:-$repo/build/win64/wineprefix}
dpi=""
apart=""
while [[ ${1:-} == --prefix || ${1:-} == --dpi || ${1:-} == --apart ]]; do
    case $1 in
    --prefix) prefix=$2 ;;
    --dpi) dpi=$2 ;;
    --apart) apart=$2 ;;
    esac
    shift 2
done
base=$prefix
copy=""  # what makes this prefix a copy of the base, if it is one
if [[ -n $dpi ]]; then
    prefix=$base-dpi$dpi
    copy=dpi$dpi
elif [[ -n $apart ]]; then
    prefix=$base-$apart
    copy=apart
fi

export WINEPREFIX=$prefix
export WINEARCH=win64
export WINEDEBUG=${VOXTELO_WINEDEBUG:--all}
# No Mono or Gecko installers; and no menu entries, icons or file types written into the host
# user's desktop whenever a program of a prefix makes a shortcut.
base_overrides="mscoree,mshtml=;winemenubuilder.exe=d"

# Wine's wave output needs an audio device; ALSA's null device is enough for MCI to really
# play (without one, "play" leaves the mode "stopped"). It is configured in a folder of the
# build, never in the user's own ALSA files.
export XDG_CONFIG_HOME=$prefix-config
if [[ ! -f $XDG_CONFIG_HOME/alsa/asoundrc ]]; then
    mkdir -p "$XDG_CONFIG_HOME/alsa"
    echo 'pcm.!default { type null }' >"$XDG_CONFIG_HOME/alsa/asoundrc"
fi

xvfb_pid=""
stop_xvfb() {
    if [[ -n $xvfb_pid ]]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
        xvfb_pid=""
    fi
}

# Wine cannot create windows without an X display; start a private one when none is set.
ensure_display() {
    if [[ -n ${DISPLAY:-} ]]; then
        return
    fi
    local fdfile
    fdfile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 "${VOXTELO_SCREEN:-1280x1024x24}" -nolisten tcp 3>"$fdfile" \
        2>/dev/null &
    xvfb_pid=$!
    for _ in $(seq 100); do
        [[ -s $fdfile ]] && break
        sleep 0.05
    done
    if [[ ! -s $fdfile ]]; then
        echo "wine.sh: Xvfb did not start" >&2
        rm -f "$fdfile"
        exit 1
    fi
    export DISPLAY=:$(head -n1 "$fdfile")
    rm -f "$fdfile"
}

# The LED device stand-in, from the Windows build that owns the prefix.
led_service=VoxteloLedSim
led_source=$(dirname "$prefix")/bin/ledsim.sys
led_installed=$prefix/drive_c/windows/system32/drivers/ledsim.sys

# Created once, and brought up to date when the settings below change; a lock keeps
# parallel first runs from doing it twice.
prefix_version=3
ensure_prefix() {
    mkdir -p "$(dirname "$prefix")"
    exec 9>"$prefix.lock"
    flock 9
    if [[ -n $copy && $(cat "$prefix/.voxtelo-copy" 2>/dev/null) != "$copy" ]]; then
        "$0" prefix --prefix "$base"
        echo "wine.sh: preparing Wine prefix $prefix ($copy)" >&2
        rm -rf "$prefix"
        mkdir -p "$prefix"
        cp -al "$base/." "$prefix/"
        local file
        for file in "$base"/*.reg "$base"/drive_c/windows/*.ini; do
            cp --remove-destination "$file" "$prefix/${file#"$base"/}"
        done
        if [[ -n $dpi ]]; then
            # Read by the prefix's next Wine server; this one only writes it.
            wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
                >/dev/null 2>&1
            wineserver -w
        fi
        echo "$copy" >"$prefix/.voxtelo-copy"
    fi
    if [[ $(cat "$prefix/.voxtelo-ready" 2>/dev/null) != "$prefix_version" ]]; then
        echo "wine.sh: preparing Wine prefix $prefix" >&2
        if [[ ! -f $prefix/system.reg ]]; then
            # No Mono or Gecko installer may wait for a click on a headless machine.
            WINEDLLOVERRIDES=$base_overrides wineboot -i >/dev/null 2>&1
        fi
        # GDI+ asks for "Arial"; Liberation Sans has the same metrics.
        wine reg add 'HKCU\Software\Wine\Fonts\Replacements' /v Arial /t REG_SZ \
            /d 'Liberation Sans' /f >/dev/null 2>&1
        # Without a window manager, Wine waits two seconds for one at every hidden window
        # unless it manages the windows itself.
        wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f \
            >/dev/null 2>&1
        # A demand-start kernel service. The service manager reads the services once when it
        # starts, so this takes effect from the next server on; a relative path does not load.
        local key="HKLM\\System\\CurrentControlSet\\Services\\$led_service"
        wine reg add "$key" /v Type /t REG_DWORD /d 1 /f >/dev/null 2>&1
        wine reg add "$key" /v Start /t REG_DWORD /d 3 /f >/dev/null 2>&1
        wine reg add "$key" /v ErrorControl /t REG_DWORD /d 1 /f >/dev/null 2>&1
        wine reg add "$key" /v ImagePath /t REG_EXPAND_SZ \
            /d 'C:\windows\system32\drivers\ledsim.sys' /f >/dev/null 2>&1
        wineserver -w
        echo "$prefix_version" >"$prefix/.voxtelo-ready"
    fi
    # A new file, not one rewritten in place: a running device host keeps the old image.
    if [[ -f $led_source ]] && ! cmp -s "$led_source" "$led_installed"; then
        cp "$led_source" "$led_installed.new"
        mv -f "$led_installed.new" "$led_installed"
    fi
    flock -u 9
    exec 9>&-
}

# Wine's first program of a server starts its system services, which inherit the program's
# output; a test runner reading that output would wait for them forever. Start them here,
# detached from every output, with the LED device stand-in when the prefix has it ("sc start"
# returns once its device exists).
start_services() {
    local first=exit
    if [[ -f $led_installed ]]; then
        first="sc start $led_service"
    fi
    WINEDLLOVERRIDES=$base_overrides wine cmd /c "$first" </dev/null >/dev/null 2>&1 || true
}

# The simulated voice modem replaces Wine's device-less tapi32 when it sits beside the program.
overrides_for() {
    local dir
    dir=$(dirname "$1")
    if [[ -f $dir/tapi32.dll ]]; then
        echo "$base_overrides;tapi32=n"
    else
        echo "$base_overrides"
    fi
}

case $command in
run)
    program=$1
    shift
    ensure_display
    trap stop_xvfb EXIT
    ensure_prefix
    if [[ -z ${VOXTELO_WINE_SESSION:-} ]]; then
        start_services
    fi
    status=0
    WINEDLLOVERRIDES=$(overrides_for "$program") wine "$program" "$@" || status=$?
    if [[ -n $xvfb_pid ]]; then
        # Wine's desktop process holds this display: end the server with it.
        wineserver -k 2>/dev/null || true
    fi
    exit $status
    ;;
session)
    ensure_display
    trap stop_xvfb EXIT
    ensure_prefix
    # A persistent server: each program then starts in a fraction of a second.
    wineserver -p
    start_services
    export VOXTELO_WINE_SESSION=1
    status=0
    "$@" || status=$?
    wineserver -k 2>/dev/null || true
    exit $status
    ;;
prefix)
    ensure_display
    trap stop_xvfb EXIT
    ensure_prefix
    ;;
*)
    sed -n '2,16p' "$0" >&2
    exit 2
    ;;
esac
