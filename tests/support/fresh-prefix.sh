# For a test that installs the program into a Wine prefix of its own: the build's installer,
# and a fresh prefix. A fresh prefix costs 15 s and 700 MB, so one pristine template is made
# once per build and each run works on a copy: hard links for the prefix's files, real copies
# of those Wine rewrites in place (the registry and the .ini files). Sourced by a test's runner:
#
#   source tests/support/fresh-prefix.sh
#   require_installer <windows build folder> <test name>   # sets $setup, or fails the test
#   fresh_prefix <windows build folder>    # sets $fresh; the copy goes when the shell exits

# The build packs the installer; a build without one is broken, and the test says so.
require_installer() {
    setup=$(ls -t "$1"/dist/Voxtelo-*-setup.exe 2>/dev/null | head -n1 || true)
    if [[ -z $setup ]]; then
        echo "$2: no installer in $1/dist (cmake --build $1 --target dist says why)"
        exit 1
    fi
}

fresh_prefix() {
    local repo build root template file
    repo=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
    build=$1
    root=$build/installer-test
    template=$root/template
    "$repo/tools/wine.sh" prefix --prefix "$template"
    mkdir -p "$root"
    fresh=$(mktemp -d "$root/fresh.XXXXXX")
    # wine.sh keeps a lock and the sound configuration beside each prefix.
    trap 'rm -rf "$fresh" "$fresh.lock" "$fresh-config"' EXIT
    cp -al "$template/." "$fresh/"
    for file in "$template"/*.reg "$template"/drive_c/windows/*.ini; do
        cp --remove-destination "$file" "$fresh/${file#"$template"/}"
    done
}
