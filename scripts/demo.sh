#!/usr/bin/env bash
# Builds VornLauncher and starts it under Wine in a demo game folder
# (build/demo-game): the demo files, the launcher, DSETUP.dll and stand-ins
# for the game, the server-list updater and the Windows Socket update; the
# browser and notepad stand-ins are installed in the demo's Wine prefix.
#
#   scripts/demo.sh                 English
#   VORN_LANG=ko scripts/demo.sh    Korean (a private ko_KR.UTF-8 locale and a
#                                   Wine prefix made under it)
#
# With a usable $DISPLAY the launcher opens there and the script waits until
# it is closed. Without one it runs in a private Xvfb, a screenshot is saved
# to build/demo-screenshot.png (build/demo-screenshot-ko.png in Korean) and
# the launcher is stopped again.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORN_ROOT=$root
# shellcheck source=scripts/wine_env.sh
. "$root/scripts/wine_env.sh"

build=${VORN_BUILD_DIR:-$root/build}
lang=${VORN_LANG:-en}
case "$lang" in
    en | ko) ;;
    *)
        echo "VORN_LANG is 'en' (the default) or 'ko', not '$lang'" >&2
        exit 2
        ;;
esac

vorn_install_missing || exit 1
mkdir -p "$build"
build=$(cd "$build" && pwd)
trap vorn_cleanup EXIT
trap 'exit 130' INT TERM HUP

vorn_build "$build" --target VornLauncher vorn_standins </dev/null || exit 1

if [ "$lang" = ko ]; then
    vorn_korean_locale "$build/locale" || exit 1
    prefix=$build/wine/demo-ko
    vorn_make_prefix "$prefix" ko || exit 1
    shot=$build/demo-screenshot-ko.png
else
    prefix=$build/wine/demo
    vorn_make_prefix "$prefix" || exit 1
    shot=$build/demo-screenshot.png
fi

game=$build/demo-game
vorn_assemble_game "$build" "$game" || exit 1

headless=1
if [ -n "${DISPLAY:-}" ] && xdotool getdisplaygeometry >/dev/null 2>&1; then
    headless=0
else
    vorn_start_xvfb 1024x768 || exit 1
    export DISPLAY=$VORN_XVFB_DISPLAY
fi
vorn_start_wineserver "$prefix" "$DISPLAY" || exit 1
export WINEPREFIX=$prefix
vorn_install_notepad "$prefix" "$build/standins/vorn_notepad.exe" || exit 1
vorn_register_browser "$prefix" "$(vorn_wine_path "$build/standins/vorn_browser.exe")"

if [ "$lang" = ko ]; then
    export LOCPATH=$VORN_LOCPATH
    export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
fi
export VORN_RECORD_DIR
VORN_RECORD_DIR=$(vorn_wine_path "$game/records")

cd "$game" || exit 1
if [ "$headless" = 0 ]; then
    echo "VornLauncher is running on $DISPLAY (game folder $game); close it to end the demo."
    wine VornLauncher.exe </dev/null
    rc=$?
    echo "VornLauncher ended with exit code $rc; what the stand-ins saw is in $game/records."
    exit 0
fi

wine VornLauncher.exe </dev/null >/dev/null 2>&1 &
launcher=$!
# Bounded wait for the window, then for its picture to settle.
for ((i = 0; i < 100; i++)); do
    xdotool search --name '^Vorn Launcher$' >/dev/null 2>&1 && break
    sleep 0.1
done
previous=""
for ((i = 0; i < 20; i++)); do
    sleep 0.25
    now=$(import -window root rgb:- 2>/dev/null | md5sum)
    [ "$now" = "$previous" ] && break
    previous=$now
done
import -window root "$shot" || exit 1
kill "$launcher" 2>/dev/null
wait "$launcher" 2>/dev/null
echo "No display here: the launcher ran in a private Xvfb. Its screenshot is $shot"
echo "(open it with any image viewer, e.g. 'display $shot'; run this script"
echo "in a desktop session to use the launcher itself)."
