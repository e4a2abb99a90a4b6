#!/usr/bin/env bash
# Takes a picture of the launcher's Korean DirectX question under Wine, to see
# with one's own eyes that the box shows Hangul and not empty boxes:
#
#   scripts/screenshot_korean_box.sh [build dir]     (default: build/)
#
# Builds what is needed, makes (or reuses) the Korean prefix below
# <build>/wine/ko, runs the Korean glyph test on a private display and writes
# <build>/screenshots/korean_box.png. The exit code is the test's. With
# SCREENSHOT_DISPLAY set (":N", an X display of 1024x768x24 already running)
# that display is used instead of a new Xvfb.
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORN_ROOT=$root
# shellcheck source=scripts/wine_env.sh
. "$root/scripts/wine_env.sh"
build=${1:-${VORN_BUILD_DIR:-$root/build}}
mkdir -p "$build"
build=$(cd "$build" && pwd)

trap vorn_cleanup EXIT
trap 'exit 130' INT TERM HUP

vorn_korean_locale "$build/locale" || exit 1
vorn_make_prefix "$build/wine/ko" ko || exit 1
if [ -n "${SCREENSHOT_DISPLAY:-}" ]; then
    VORN_XVFB_DISPLAY=$SCREENSHOT_DISPLAY
else
    vorn_start_xvfb 1024x768 || exit 1
fi
vorn_start_wineserver "$build/wine/ko" "$VORN_XVFB_DISPLAY" || exit 1
export VORN_PREFIX_KO=$build/wine/ko VORN_DISPLAY_KO=$VORN_XVFB_DISPLAY
export WINEPREFIX=$build/wine/ko DISPLAY=$VORN_XVFB_DISPLAY

vorn_build "$build" --target VornLauncher vorn_standins test_korean_messages </dev/null || exit 1

rm -f "$build/screenshots/korean_box.bmp"
bash "$root/tests/run_in_profile.sh" ko "$build/tests/test_korean_messages.exe" \
    --gtest_filter='KoreanDirectXQuestion.DrawsTheTextWithHangulGlyphs' </dev/null
rc=$?
if [ -f "$build/screenshots/korean_box.bmp" ]; then
    convert "$build/screenshots/korean_box.bmp" "$build/screenshots/korean_box.png" &&
        vorn_log "picture: $build/screenshots/korean_box.png"
else
    vorn_log "the test left no picture"
    [ "$rc" = 0 ] && rc=1
fi
exit "$rc"
