#!/usr/bin/env bash
# scripts/check_exe.sh must not pass what it is there to stop: builds a program
# with each fault (faulty/) and expects the checker to fail, naming each one.
#
#   check_exe_catches_faults.sh <workdir>
# Environment: CXX (default i686-w64-mingw32-g++-posix), WINDRES, DLLTOOL.
set -u

work=${1:?usage: check_exe_catches_faults.sh <workdir>}
here=$(cd "$(dirname "$0")" && pwd)
checker=$here/../../scripts/check_exe.sh
cxx=${CXX:-i686-w64-mingw32-g++-posix}
windres=${WINDRES:-i686-w64-mingw32-windres}
dlltool=${DLLTOOL:-i686-w64-mingw32-dlltool}

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 2

set -e
"$dlltool" -d "$here/faulty/dsetup_import.def" -l libdsetup_import.a -k
"$windres" -I "$here/faulty" -O coff "$here/faulty/elevation.rc" -o elevation.o
"$cxx" -o faulty.exe "$here/faulty/faulty_program.cpp" elevation.o -L. -ldsetup_import \
  -Wl,--disable-dynamicbase,--disable-nxcompat,--insert-timestamp
set +e

bash "$checker" faulty.exe >report.txt 2>&1
status=$?

failed=0
expect() {  # expect <text of a FAIL line>
  if grep -qF "FAIL $1" report.txt; then
    echo "ok   reported: $1"
  else
    echo "MISSED: expected a line \"FAIL $1...\" in the report, it has none"
    failed=$((failed + 1))
  fi
}
expect "subsystem: expected 00000002 (Windows GUI), got 00000003 (Windows CUI)"
expect "DYNAMIC_BASE: expected set"
expect "NX_COMPAT: expected set"
expect "file header time stamp: expected Thu Jan  1 00:00:00 1970"
expect "import DSETUP.dll"
expect "import libstdc++-6.dll"
expect "manifest asking for an execution level: expected none, got manifest with requestedExecutionLevel"
if [ "$status" -eq 0 ]; then
  echo "MISSED: expected check_exe.sh to exit non-zero for faulty.exe, it exited 0"
  failed=$((failed + 1))
fi
if grep -q "^FAIL import KERNEL32.dll" report.txt; then
  echo "WRONG: KERNEL32.dll was reported, though it is a system DLL"
  failed=$((failed + 1))
fi
if [ "$failed" -ne 0 ]; then
  echo "--- report of check_exe.sh:"
  cat report.txt
  exit 1
fi
echo "check_exe.sh reported every fault of faulty.exe"
