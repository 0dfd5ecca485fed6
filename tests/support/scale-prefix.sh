# A Wine prefix whose display scale (LogPixels) is given, for the scale test and benchmark.
# Made once from the build's own prefix (hard links, with real copies of the files Wine
# rewrites in place) and kept beside it, so that a warm run only starts its Wine server.
# Sourced:
#
#   source tests/support/scale-prefix.sh
#   scale_prefix <windows build folder> <LogPixels>    # sets $prefix
scale_prefix() {
    local repo build dpi main file
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    build=$1
    dpi=$2
    main=$build/wineprefix
    prefix=$build/wineprefix-dpi$dpi
    exec 8>"$prefix.make-lock"
    flock 8
    if [[ $(cat "$prefix/.voxtelo-logpixels" 2>/dev/null) != "$dpi" ]]; then
        "$repo/tools/wine.sh" prefix --prefix "$main"
        rm -rf "$prefix"
        mkdir -p "$prefix"
        cp -al "$main/." "$prefix/"
        for file in "$main"/*.reg "$main"/drive_c/windows/*.ini; do
            cp --remove-destination "$file" "$prefix/${file#"$main"/}"
        done
        # Read by the next Wine server of the prefix; this one only writes it.
        WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
            wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f \
            >/dev/null 2>&1
        WINEPREFIX=$prefix wineserver -w
        echo "$dpi" >"$prefix/.voxtelo-logpixels"
    fi
    flock -u 8
    exec 8>&-
}
