#!/usr/bin/env bash
# Makes the README's pictures from the real exe under Wine in a private Xvfb:
#
#   scripts/readme_screenshots.sh [build dir]      (default: build/)
#
# docs/screenshots/launcher-en.png   the launcher window on a 1024x768 screen
# docs/screenshots/question-ko.png   its DirectX question on a Korean system
set -u
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${1:-${VORN_BUILD_DIR:-$root/build}}
mkdir -p "$build"
build=$(cd "$build" && pwd)
out=$root/docs/screenshots
mkdir -p "$out"

# The demo in a private display saves a picture of the whole screen; the window
# sits at (192, 144) with its 642 x 482 outer size there.
env -u DISPLAY VORN_BUILD_DIR="$build" bash "$root/scripts/demo.sh" </dev/null || exit 1
convert "$build/demo-screenshot.png" -crop 642x482+192+144 +repage "$out/launcher-en.png" || exit 1

bash "$root/scripts/screenshot_korean_box.sh" "$build" </dev/null || exit 1
cp "$build/screenshots/korean_box.png" "$out/question-ko.png" || exit 1
echo "pictures: $out/launcher-en.png $out/question-ko.png"
