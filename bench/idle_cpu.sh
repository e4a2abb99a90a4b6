#!/usr/bin/env bash
# How much processor the launcher uses while it sits idle, next to two
# references measured in the same run and the same Wine prefix:
#   idle_window.exe   a window whose loop waits in GetMessage (uses nothing)
#   busy_window.exe   a window whose loop never waits (one core, all the time)
#
#   bench/idle_cpu.sh [seconds]     (default 10)
#
# Each program is started in a demo game folder under a private Xvfb, left
# alone for a second to settle, then measured for the given time from
# /proc/<pid>/stat (user + system time of its Unix process; Wine's
# GetProcessTimes does not work across processes), together with what the
# prefix's wineserver used meanwhile. Prints a table in percent of one core.
set -u

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
VORN_ROOT=$root
# shellcheck source=scripts/wine_env.sh
. "$root/scripts/wine_env.sh"

seconds=${1:-10}
case "$seconds" in '' | *[!0-9]*) echo "usage: $0 [seconds]" >&2; exit 2 ;; esac
build=${VORN_BUILD_DIR:-$root/build}

vorn_install_missing || exit 1
mkdir -p "$build/bench"
build=$(cd "$build" && pwd)
trap vorn_cleanup EXIT
trap 'exit 130' INT TERM HUP

vorn_build "$build" --target VornLauncher vorn_standins </dev/null >/dev/null || exit 1
for ref in idle_window busy_window; do
    i686-w64-mingw32-g++-posix -O2 -Wall -Wextra -Werror -mwindows -static \
        -o "$build/bench/$ref.exe" "$root/bench/$ref.cpp" || exit 1
done

prefix=$build/wine/bench
vorn_make_prefix "$prefix" || exit 1
game=$build/bench/game
vorn_assemble_game "$build" "$game" || exit 1
cp "$build/bench/idle_window.exe" "$build/bench/busy_window.exe" "$game/"

vorn_start_xvfb 1024x768 || exit 1
export DISPLAY=$VORN_XVFB_DISPLAY WINEPREFIX=$prefix VORN_STANDIN_QUIET=1
vorn_start_wineserver "$prefix" "$DISPLAY" || exit 1

ticks=$(getconf CLK_TCK)

# utime + stime of a process, in clock ticks.
cpu_ticks() {
    awk '{ print $14 + $15 }' "/proc/$1/stat" 2>/dev/null || echo 0
}

# The wineserver of the prefix: its working folder is the server folder named
# after the prefix's device and inode (".../server-<dev>-<inode>").
server_pid() {
    local suffix pid
    suffix=$(printf 'server-%x-%x' "$(stat -c %d "$prefix")" "$(stat -c %i "$prefix")")
    for pid in $(pgrep '^wineserver'); do
        case "$(readlink "/proc/$pid/cwd" 2>/dev/null)" in
            */"$suffix")
                echo "$pid"
                return
                ;;
        esac
    done
}

measure() {
    local exe=$1 pid server p0 p1 s0 s1
    (cd "$game" && exec wine "$exe" </dev/null >/dev/null 2>&1) &
    pid=$!
    # The Windows program runs in the Unix process that `wine` became; wait
    # until it has a window.
    for ((i = 0; i < 100; i++)); do
        xdotool search --pid "$pid" >/dev/null 2>&1 && break
        [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" 2>/dev/null)" != "" ] || break
        sleep 0.1
    done
    sleep 1
    server=$(server_pid)
    p0=$(cpu_ticks "$pid")
    s0=$(cpu_ticks "${server:-0}")
    sleep "$seconds"
    p1=$(cpu_ticks "$pid")
    s1=$(cpu_ticks "${server:-0}")
    kill "$pid" 2>/dev/null
    wait "$pid" 2>/dev/null
    awk -v p="$((p1 - p0))" -v s="$((s1 - s0))" -v t="$ticks" -v n="$seconds" \
        'BEGIN { printf "%8.1f %%   %8.1f %%\n", 100 * p / t / n, 100 * s / t / n }'
}

printf '%-44s %10s   %10s\n' "program (idle for $seconds s)" "its CPU" "wineserver"
printf '%-44s %s' "GetMessage loop (reference, waits)" "$(measure idle_window.exe)"
echo
printf '%-44s %s' "VornLauncher.exe" "$(measure VornLauncher.exe)"
echo
printf '%-44s %s' "PeekMessage loop (reference, never waits)" "$(measure busy_window.exe)"
echo
echo "(percent of one core; $(nproc) cores here)"
