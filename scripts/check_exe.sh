#!/usr/bin/env bash
# Checks a built VornLauncher.exe the way a player's machine sees it:
#   - a 32-bit (PE32, i386) Windows GUI program, not a DLL;
#   - address-space randomisation (DYNAMIC_BASE, with its relocations kept)
#     and DEP (NX_COMPAT) asked for;
#   - imports only Windows system DLLs: no DirectX setup library (it is loaded
#     on demand, never imported) and no GCC runtime DLLs;
#   - no manifest asking for elevation (the launcher runs as the player);
#   - no link time stamps: file header, export, debug and resource directories.
# Prints one line per check and "N passed, N failed"; exits non-zero on a fault.
#
#   scripts/check_exe.sh build/VornLauncher.exe
set -u

exe=${1:?usage: check_exe.sh <exe>}
objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
objcopy=${OBJCOPY:-i686-w64-mingw32-objcopy}

if [ ! -f "$exe" ]; then
  echo "FAIL: no such file: $exe"
  exit 2
fi
for tool in "$objdump" "$objcopy"; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool not found"; exit 2; }
done

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
# ctime() prints the file header's stamp in the local zone: pin it.
if ! TZ=UTC0 LC_ALL=C "$objdump" -p "$exe" >"$tmp/p.txt" 2>"$tmp/p.err"; then
  echo "FAIL: $objdump -p could not read $exe: $(head -1 "$tmp/p.err")"
  exit 2
fi
p=$tmp/p.txt

passed=0
failed=0
check() {  # check <name> <expected> <got>
  if [ "$2" = "$3" ]; then
    passed=$((passed + 1))
    echo "ok   $1: $3"
  else
    failed=$((failed + 1))
    echo "FAIL $1: expected $2, got $3"
  fi
}
field() {  # first value after a header label
  awk -v k="$1" '$0 ~ "^"k"[ \t]" { sub("^"k"[ \t]+", ""); print; exit }' "$p"
}
dir_size() {  # size column of a data directory entry, by its number (hex digit)
  awk -v n="$1" '$1 == "Entry" && $2 == n { print $4; exit }' "$p"
}

format=$(sed -n 's/.*file format //p' "$p" | head -1)
check "file format" "pei-i386" "$format"
check "optional header magic" "010b (PE32)" "$(field Magic | tr -s ' \t' ' ')"
characteristics=$(field Characteristics)
case "$characteristics" in
  0x[0-9a-fA-F]*) if [ $((characteristics & 0x2000)) -ne 0 ]; then is_dll=yes; else is_dll=no; fi ;;
  *) is_dll="unknown (Characteristics '$characteristics')" ;;
esac
check "image is a DLL" "no" "$is_dll"
check "subsystem" "00000002 (Windows GUI)" "$(field Subsystem | tr -s ' \t' ' ')"

dllchar=$(field DllCharacteristics)
flags=$(awk '/^DllCharacteristics/ { on = 1; next } on && /^\t\t/ { gsub(/[ \t]/, ""); print; next } on { exit }' "$p" | tr '\n' ' ')
for flag in DYNAMIC_BASE NX_COMPAT; do
  case " $flags" in
    *" $flag "*) check "$flag" "set" "set" ;;
    *) check "$flag" "set" "not set (DllCharacteristics $dllchar)" ;;
  esac
done
reloc=$(dir_size 5)
if [ -n "$reloc" ] && [ "$reloc" != "00000000" ]; then reloc=present; else reloc=missing; fi
check "base relocations (needed to move the image)" "present" "$reloc"

# Time stamps.
check "file header time stamp" "Thu Jan  1 00:00:00 1970" "$(field 'Time/Date')"
check "export directory size" "00000000" "$(dir_size 0)"
check "debug directory size" "00000000" "$(dir_size 6)"
stamps=$(sed -n 's/.*Table: .*Time: \([0-9a-fA-F]*\),.*/\1/p' "$p" | sort -u | tr '\n' ' ')
check "resource directory time stamps" "00000000 " "$stamps"

# Imports: Windows system DLLs only.
check "delay-load import directory size" "00000000" "$(dir_size d)"
dlls=$(sed -n 's/^[ \t]*DLL Name: *//p' "$p" | tr -d '\r' | sort -f | uniq)
if [ -z "$dlls" ]; then
  check "import table" "some system DLLs" "none"
fi
for dll in $dlls; do
  lower=$(printf '%s' "$dll" | LC_ALL=C tr '[:upper:]' '[:lower:]')
  case "$lower" in
    kernel32.dll|user32.dll|gdi32.dll|advapi32.dll|shell32.dll|winmm.dll|msvcrt.dll|api-ms-win-*.dll)
      check "import $dll" "a Windows system DLL" "a Windows system DLL" ;;
    dsetup.dll)
      check "import $dll" "a Windows system DLL" "the DirectX setup library (must be loaded on demand)" ;;
    libgcc*|libstdc++*|libwinpthread*)
      check "import $dll" "a Windows system DLL" "a GCC runtime DLL (link it statically)" ;;
    *)
      check "import $dll" "a Windows system DLL" "not on the allow-list" ;;
  esac
done

# Manifest: none, or one that does not ask for another execution level.
types=$(grep -E '^[0-9a-f]+   Entry: ID: 0x' "$p" | sed 's/.*ID: 0x0*\([0-9a-f]*\),.*/\1/' | tr '\n' ' ')
elevation=none
case " $types" in
  *" 18 "*)
    "$objcopy" -O binary --only-section=.rsrc "$exe" "$tmp/rsrc.bin" 2>/dev/null
    if LC_ALL=C grep -aqi 'requestedExecutionLevel' "$tmp/rsrc.bin" ||
       LC_ALL=C tr -d '\000' <"$tmp/rsrc.bin" | grep -aqi 'requestedExecutionLevel'; then
      elevation="manifest with requestedExecutionLevel"
    fi ;;
esac
check "manifest asking for an execution level" "none" "$elevation"

echo "$(basename "$exe"): $(wc -c <"$exe") bytes, imports: $(tr '\n' ' ' <<<"$dlls")"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
