# Shell helpers shared by scripts/test.sh, scripts/demo.sh and bench/idle_cpu.sh.
# Source it; it defines functions and variables only.
#
#   vorn_install_missing        installs the Debian/Ubuntu packages the build and
#                               the tests need, only when something is missing
#   vorn_korean_locale <dir>    a private ko_KR.UTF-8 locale below <dir> (sets VORN_LOCPATH)
#   vorn_build <build dir>      configures (Release, MinGW toolchain) and builds
#   vorn_make_prefix <dir> [ko] a ready 32-bit Wine prefix (reused when its stamp matches)
#   vorn_copy_prefix <from> <to>
#   vorn_install_notepad <prefix> <exe>
#   vorn_start_xvfb <WxH>       starts a private Xvfb on a free display; sets VORN_XVFB_DISPLAY=":N"
#   vorn_start_wineserver <prefix> <display>
#   vorn_cleanup                stops every Xvfb and wineserver started through these helpers

VORN_ROOT=${VORN_ROOT:-$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)}
VORN_STARTED_XVFB=()
VORN_STARTED_PREFIXES=()

export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="
export HOME=${HOME:-/root}

vorn_log() { printf '[vorn] %s\n' "$*" >&2; }

vorn_as_root() {
    if [ "$(id -u)" = 0 ]; then
        "$@"
    elif command -v sudo >/dev/null 2>&1; then
        sudo "$@"
    else
        vorn_log "need root for: $* (no sudo found)"
        return 1
    fi
}

# Packages of the build and of the tests, with what they recommend (Wine's own
# fonts and libraries among them), as on the machines the suite is proven on. The clang runtime (libFuzzer,
# sanitizers) follows the version of the clang that gets installed.
VORN_PACKAGES="g++-mingw-w64-i686 wine wine32:i386 xvfb cmake make clang googletest \
fonts-nanum locales imagemagick xdotool python3"

vorn_package_missing() {
    local status
    status=$(dpkg-query -W -f='${Status}' "$1" 2>/dev/null) || return 0
    case "$status" in *"install ok installed"*) return 1 ;; esac
    return 0
}

vorn_clang_rt_package() {
    local major
    major=$(clang --version 2>/dev/null | sed -n 's/.*clang version \([0-9][0-9]*\).*/\1/p' | head -1)
    [ -n "$major" ] && echo "libclang-rt-$major-dev"
}

vorn_install_missing() {
    local missing=() p rt
    for p in $VORN_PACKAGES; do
        vorn_package_missing "$p" && missing+=("$p")
    done
    rt=$(vorn_clang_rt_package)
    if [ -n "$rt" ] && vorn_package_missing "$rt"; then
        missing+=("$rt")
    fi
    if [ ${#missing[@]} -eq 0 ] && [ -n "$rt" ]; then
        vorn_enable_i386
        return
    fi
    if ! command -v apt-get >/dev/null 2>&1; then
        vorn_log "missing packages (${missing[*]}) and no apt-get: install them by hand"
        return 1
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        vorn_log "installing: ${missing[*]}"
        export DEBIAN_FRONTEND=noninteractive
        if ! dpkg --print-foreign-architectures | grep -qx i386; then
            vorn_as_root dpkg --add-architecture i386 || return 1
        fi
        vorn_as_root apt-get update -q || return 1
        vorn_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
            "${missing[@]}" || return 1
    fi
    # Now that clang is there, its runtime.
    rt=$(vorn_clang_rt_package)
    if [ -n "$rt" ] && vorn_package_missing "$rt"; then
        vorn_log "installing: $rt"
        vorn_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q \
            "$rt" || return 1
    fi
    vorn_enable_i386 || return 1
    return 0
}

# The 32-bit Wine loader is an i386 Linux program. Some machines run no 32-bit
# x86 code at all (a 64-bit-only kernel or hypervisor: execve answers "Exec
# format error"). There the i386 programs run under QEMU's user-mode emulator,
# registered for i386 ELF files through binfmt_misc, and the wineserver runs
# natively from the 64-bit Wine package. Wine needs an emulator that honours
# MAP_FIXED_NOREPLACE, which QEMU 7 does not: on Debian the newer QEMU comes
# from the release's backports.
VORN_WINE_LOADER=/usr/lib/wine/wine
VORN_QEMU_I386=/usr/bin/qemu-i386
VORN_QEMU_MIN_VERSION=8.1

VORN_I386_MAGIC=7f454c4601010100000000000000000002000300

vorn_i386_runs() { "$VORN_WINE_LOADER" --version >/dev/null 2>&1; }

# Runs without any emulator registered for it: the processor and kernel run it.
vorn_i386_native() {
    vorn_i386_runs && ! grep -qsx "magic $VORN_I386_MAGIC" /proc/sys/fs/binfmt_misc/*
}

vorn_qemu_version() {
    "$VORN_QEMU_I386" --version 2>/dev/null | sed -n 's/.*version \([0-9][0-9.]*\).*/\1/p' | head -1
}

vorn_qemu_new_enough() {
    local v
    v=$(vorn_qemu_version)
    [ -n "$v" ] && dpkg --compare-versions "$v" ge "$VORN_QEMU_MIN_VERSION"
}

# Adds the release's backports suite (Debian only) for a newer QEMU.
vorn_add_backports() {
    local id codename list
    id=$(. /etc/os-release 2>/dev/null && echo "${ID:-}")
    codename=$(. /etc/os-release 2>/dev/null && echo "${VERSION_CODENAME:-}")
    [ "$id" = debian ] && [ -n "$codename" ] || return 1
    list=/etc/apt/sources.list.d/vorn-$codename-backports.list
    grep -rqs "^[^#]*$codename-backports" /etc/apt/sources.list /etc/apt/sources.list.d/ && return 0
    vorn_log "adding $codename-backports for a QEMU that runs Wine"
    echo "deb http://deb.debian.org/debian $codename-backports main" |
        vorn_as_root tee "$list" >/dev/null &&
        vorn_as_root apt-get update -q
}

vorn_install_qemu() {
    local suite=()
    if vorn_package_missing wine64; then
        vorn_log "installing: wine64 (the wineserver runs natively)"
        vorn_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q wine64 || return 1
    fi
    vorn_qemu_new_enough && return 0
    if ! apt-cache policy qemu-user 2>/dev/null | sed -n 's/^ *Candidate: //p' |
        awk -v min="$VORN_QEMU_MIN_VERSION" '{ sub(/^[0-9]+:/, ""); split($0, v, "[.+~-]");
            split(min, m, "."); exit !(v[1] > m[1] || (v[1] == m[1] && v[2] >= m[2])) }'; then
        vorn_add_backports || {
            vorn_log "no QEMU $VORN_QEMU_MIN_VERSION or newer to be had here"
            return 1
        }
        suite=(-t "$(. /etc/os-release && echo "$VERSION_CODENAME")-backports")
    fi
    vorn_log "installing: qemu-user ${suite[*]}"
    vorn_as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${suite[@]}" \
        qemu-user || return 1
    vorn_qemu_new_enough
}

# Registers QEMU for i386 ELF programs (executables and shared objects). "F"
# opens the emulator now, so a later upgrade needs a new registration.
vorn_register_qemu_i386() {
    local misc=/proc/sys/fs/binfmt_misc entry
    entry=$misc/vorn-i386
    if [ ! -e "$misc/register" ]; then
        vorn_as_root mount -t binfmt_misc binfmt_misc "$misc" || return 1
    fi
    [ -e "$entry" ] && echo -1 | vorn_as_root tee "$entry" >/dev/null
    printf '%s' ':vorn-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:'"$VORN_QEMU_I386"':OCF' |
        vorn_as_root tee "$misc/register" >/dev/null
}

# Native where the machine can; otherwise (or where an emulator is registered
# already, which may be too old for Wine) through our registration, which as
# the newest one is asked first.
vorn_enable_i386() {
    vorn_i386_native && return 0
    vorn_log "this machine runs no 32-bit x86 programs: the 32-bit Wine runs under QEMU"
    vorn_install_qemu || return 1
    vorn_register_qemu_i386 || {
        vorn_log "could not register QEMU for i386 programs (binfmt_misc)"
        return 1
    }
    vorn_i386_runs || {
        vorn_log "the 32-bit Wine loader still does not run"
        return 1
    }
}

vorn_korean_locale() {
    local dir=$1
    if [ ! -f "$dir/ko_KR.UTF-8/LC_CTYPE" ]; then
        mkdir -p "$dir"
        # localedef warns about some definitions of the Korean source and
        # returns 1 while still writing a usable locale: judge by the result.
        localedef -i ko_KR -f UTF-8 "$dir/ko_KR.UTF-8" >/dev/null 2>&1
        if [ ! -f "$dir/ko_KR.UTF-8/LC_CTYPE" ]; then
            vorn_log "could not make the ko_KR.UTF-8 locale in $dir"
            return 1
        fi
    fi
    export VORN_LOCPATH=$dir
}

vorn_build() {
    local build=$1
    mkdir -p "$build" || return 1
    cmake -S "$VORN_ROOT" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$VORN_ROOT/cmake/mingw-i686.cmake" \
        -DCMAKE_BUILD_TYPE=Release >"$build/configure.log" 2>&1 || {
        tail -30 "$build/configure.log" >&2
        vorn_log "configuring failed (log: $build/configure.log)"
        return 1
    }
    cmake --build "$build" -j"$(nproc)" "${@:2}" || {
        vorn_log "the build failed"
        return 1
    }
}

# Registry every prefix gets, at creation and again at each run (undoing
# whatever a killed test may have left): no window manager delay for boxes,
# no sound card, no game-pad bus service (it costs CPU all the time), no
# per-program Windows version of the launcher, no launcher settings.
vorn_prefix_reg() {
    cat <<'EOF'
REGEDIT4

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\Drivers]
"Audio"=""

[HKEY_CURRENT_USER\Software\Wine\DllOverrides]
"winebus.sys"=""

[-HKEY_CURRENT_USER\Software\Wine\AppDefaults\VornLauncher.exe]

[-HKEY_CURRENT_USER\SOFTWARE\VornKT]

EOF
}

vorn_prefix_stamp() {
    echo "vorn-prefix 1; $(wine --version 2>/dev/null); locale ${1:-en}"
}

# Makes (or reuses) a prefix. With "ko" it is created under the Korean locale,
# so that its UI fonts carry the Korean character set.
vorn_make_prefix() {
    local prefix=$1 lang=${2:-en} stamp
    stamp=$(vorn_prefix_stamp "$lang")
    if [ -f "$prefix/.vorn-ready" ] && [ "$(cat "$prefix/.vorn-ready")" = "$stamp" ]; then
        return 0
    fi
    mkdir -p "$(dirname "$prefix")"
    local reg=$prefix.reg attempt
    vorn_prefix_reg >"$reg"
    # A boot that hangs (seen under an emulator) is stopped and tried afresh.
    for attempt in 1 2; do
        rm -rf "$prefix"
        if (
            export WINEPREFIX=$prefix
            unset DISPLAY
            if [ "$lang" = ko ]; then
                export LOCPATH=$VORN_LOCPATH
                export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8
            fi
            timeout 300 wineboot -i </dev/null >"$prefix.log" 2>&1 &&
                timeout 120 wine regedit /S "$(vorn_wine_path "$reg")" </dev/null >>"$prefix.log" 2>&1 &&
                timeout 120 wineserver -w
        ); then
            echo "$stamp" >"$prefix/.vorn-ready"
            return 0
        fi
        vorn_log "making the Wine prefix $prefix failed (attempt $attempt, log: $prefix.log)"
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
        WINEPREFIX=$prefix timeout 20 wineserver -w >/dev/null 2>&1
    done
    return 1
}

vorn_copy_prefix() {
    local from=$1 to=$2
    if [ -f "$to/.vorn-ready" ] && cmp -s "$from/.vorn-ready" "$to/.vorn-ready"; then
        return 0
    fi
    rm -rf "$to"
    cp -a "$from" "$to"
}

vorn_wine_path() {
    local p
    p=$(readlink -f "$1")
    echo "Z:${p//\//\\}"
}

vorn_install_notepad() {
    local prefix=$1 exe=$2
    cp "$exe" "$prefix/drive_c/windows/notepad.exe" &&
        cp "$exe" "$prefix/drive_c/windows/system32/notepad.exe"
}

# Registers the browser stand-in as the default web browser of a prefix.
vorn_register_browser() {
    local prefix=$1 exe_wine_path=$2 reg=$1.browser.reg
    local escaped=${exe_wine_path//\\/\\\\}
    printf 'REGEDIT4\n\n[HKEY_CLASSES_ROOT\\http\\shell\\open\\command]\n@="\\"%s\\" %%1"\n\n' \
        "$escaped" >"$reg"
    WINEPREFIX=$prefix wine regedit /S "$(vorn_wine_path "$reg")" </dev/null >/dev/null 2>&1
}

# Starts Xvfb on the first free display from 150 on; VORN_XVFB_DISPLAY=":N".
vorn_start_xvfb() {
    local size=$1 n pid
    VORN_XVFB_DISPLAY=""
    for ((n = 150; n < 250; n++)); do
        [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
        Xvfb ":$n" -screen 0 "${size}x24" -nolisten tcp >/dev/null 2>&1 </dev/null &
        pid=$!
        local i
        for ((i = 0; i < 100; i++)); do
            [ -e "/tmp/.X11-unix/X$n" ] && break
            kill -0 "$pid" 2>/dev/null || break
            sleep 0.05
        done
        if kill -0 "$pid" 2>/dev/null && [ -e "/tmp/.X11-unix/X$n" ]; then
            VORN_STARTED_XVFB+=("$pid")
            VORN_XVFB_DISPLAY=":$n"
            return 0
        fi
        wait "$pid" 2>/dev/null
    done
    vorn_log "no free X display for Xvfb"
    return 1
}

# Starts the prefix's wineserver and Wine's background services detached from
# the caller's pipes (CTest waits for ever on services that inherited them),
# and re-applies the prefix registry. The server stays until vorn_cleanup.
#
# The first program of a new server boots the prefix (wineboot starts the
# services). Under an emulator that boot now and then hangs, and every program
# of the prefix then waits for it: the boot is waited for here, and a server
# whose boot has not ended within VORN_BOOT_SECONDS (default 60) is stopped
# and started again, three times at most.
vorn_start_wineserver() {
    local prefix=$1 display=$2 attempt waited limit=${VORN_BOOT_SECONDS:-60}
    vorn_prefix_reg >"$prefix.reg"
    VORN_STARTED_PREFIXES+=("$prefix")
    for attempt in 1 2 3; do
        (
            export WINEPREFIX=$prefix DISPLAY=$display
            # A server left by an interrupted run still knows its old display.
            wineserver -k >/dev/null 2>&1
            timeout 20 wineserver -w >/dev/null 2>&1
            wineserver -p </dev/null >/dev/null 2>&1
            timeout "$limit" wine regedit /S "$(vorn_wine_path "$prefix.reg")" </dev/null >/dev/null 2>&1
        )
        for ((waited = 0; waited < limit; waited++)); do
            [ -z "$(vorn_wine_pids "$prefix" 'wineboot\.exe')" ] && return 0
            sleep 1
        done
        vorn_log "booting the Wine prefix $prefix hung (attempt $attempt); starting its server again"
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
        WINEPREFIX=$prefix timeout 20 wineserver -w >/dev/null 2>&1
    done
    vorn_log "the Wine prefix $prefix does not boot"
    return 1
}

vorn_cleanup() {
    local prefix pid
    for prefix in "${VORN_STARTED_PREFIXES[@]}"; do
        WINEPREFIX=$prefix wineserver -k >/dev/null 2>&1
    done
    for prefix in "${VORN_STARTED_PREFIXES[@]}"; do
        WINEPREFIX=$prefix timeout 20 wineserver -w >/dev/null 2>&1
    done
    for pid in "${VORN_STARTED_XVFB[@]}"; do
        kill "$pid" 2>/dev/null
    done
    for pid in "${VORN_STARTED_XVFB[@]}"; do
        wait "$pid" 2>/dev/null
    done
    VORN_STARTED_PREFIXES=()
    VORN_STARTED_XVFB=()
}

# A game folder to try the launcher in: the repository's demo files, the
# launcher, DSETUP.dll and the stand-ins where the game keeps its programs.
vorn_assemble_game() {
    local build=$1 dest=$2 s=$1/standins
    rm -rf "$dest"
    mkdir -p "$dest/Launcher/SocketUpdate" "$dest/records" &&
        cp -a "$VORN_ROOT/demo/." "$dest/" &&
        cp "$build/VornLauncher.exe" "$s/DSETUP.dll" "$s/VornD3D.exe" "$s/VornGL.exe" \
            "$s/VornSavage.exe" "$dest/" &&
        cp "$s/GetList.exe" "$dest/Launcher/" &&
        cp "$s/ws2setup.exe" "$dest/Launcher/SocketUpdate/"
}

# Unix process ids of the Windows programs of a prefix whose command line
# holds the given text.
vorn_wine_pids() {
    local prefix=$1 text=$2 pid
    for pid in $(pgrep -f -- "$text"); do
        if tr '\0' '\n' 2>/dev/null <"/proc/$pid/environ" | grep -qx "WINEPREFIX=$prefix"; then
            echo "$pid"
        fi
    done
}
