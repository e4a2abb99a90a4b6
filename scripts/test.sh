#!/usr/bin/env bash
# Builds VornLauncher and runs the whole test suite: unit and end-to-end tests
# under Wine in private Xvfb displays, the fuzz smoke runs and the build checks.
#
#   scripts/test.sh [extra ctest arguments, e.g. -R LauncherWindow]
#
# Installs what is missing (Debian or Ubuntu, as root or through sudo), builds
# into build/ (or $VORN_BUILD_DIR), makes the Wine prefixes below build/wine/
# (reused on later runs while they match), starts one Xvfb and one wineserver
# per test profile, runs CTest, and stops everything it started, pass or fail.
# The exit code is CTest's.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORN_ROOT=$root
# shellcheck source=scripts/wine_env.sh
. "$root/scripts/wine_env.sh"

build=${VORN_BUILD_DIR:-$root/build}
started=$(date +%s)
step() { vorn_log "$(($(date +%s) - started)) s: $*"; }

vorn_install_missing || exit 1
mkdir -p "$build"
build=$(cd "$build" && pwd)

trap vorn_cleanup EXIT
trap 'exit 130' INT TERM HUP

step "Korean locale"
vorn_korean_locale "$build/locale" || exit 1

# Prefixes: main (1024x768); main2, 640x480 and 1365x768 (copies of main, each
# with its own wineserver); and a Korean one made under the Korean locale. main2
# is a second main profile: the main tests are split over the two and run side
# by side.
step "Wine prefixes"
wine_dir=$build/wine
vorn_make_prefix "$wine_dir/main" &
main_job=$!
vorn_make_prefix "$wine_dir/ko" ko &
ko_job=$!
wait "$main_job" || exit 1
wait "$ko_job" || exit 1
vorn_copy_prefix "$wine_dir/main" "$wine_dir/main2" || exit 1
vorn_copy_prefix "$wine_dir/main" "$wine_dir/640x480" || exit 1
vorn_copy_prefix "$wine_dir/main" "$wine_dir/1365x768" || exit 1

step "displays and wineservers"
declare -A display
for profile in main:1024x768 main2:1024x768 640x480:640x480 1365x768:1365x768 ko:1024x768; do
    name=${profile%%:*}
    vorn_start_xvfb "${profile#*:}" || exit 1
    display[$name]=$VORN_XVFB_DISPLAY
    vorn_start_wineserver "$wine_dir/$name" "${display[$name]}" || exit 1
done

export WINEPREFIX=$wine_dir/main DISPLAY=${display[main]}
export VORN_PREFIX_MAIN2=$wine_dir/main2 VORN_DISPLAY_MAIN2=${display[main2]}
export VORN_PREFIX_640=$wine_dir/640x480 VORN_DISPLAY_640=${display[640x480]}
export VORN_PREFIX_1365=$wine_dir/1365x768 VORN_DISPLAY_1365=${display[1365x768]}
export VORN_PREFIX_KO=$wine_dir/ko VORN_DISPLAY_KO=${display[ko]}
export LANG=C.UTF-8
unset LC_ALL LANGUAGE LOCPATH

# The build lists the tests by running them under Wine: the main prefix's
# server is up by now.
step "build"
vorn_build "$build" </dev/null || exit 1

for name in main main2 640x480 1365x768 ko; do
    vorn_install_notepad "$wine_dir/$name" "$build/standins/vorn_notepad.exe" || exit 1
done

step "tests"
log=$build/ctest.log
(cd "$build" && ctest --output-on-failure -j2 "$@" </dev/null) 2>&1 | tee "$log"
rc=${PIPESTATUS[0]}

step "done"
vorn_cleanup
summary=$(grep -E '^[0-9]+% tests passed' "$log" | tail -1)
echo "${summary:-CTest printed no summary (exit code $rc)}"
exit "$rc"
