#!/usr/bin/env bash
# Builds VornLauncher.exe with the second compiler (clang for i686-w64-mingw32,
# cmake/clang-mingw-i686.cmake) from a fresh build folder, with the project's
# -Wall -Wextra -Werror, and fails on any warning in the log (compiler, resource
# compiler or linker). The result then has to pass scripts/check_exe.sh.
#
#   scripts/check_clang_build.sh <workdir>
#
# <workdir>/build is emptied and reused. Environment: JOBS (default 2), CMAKE.
set -eu

work=${1:?usage: check_clang_build.sh <workdir>}
src=$(cd "$(dirname "$0")/.." && pwd)
cmake=${CMAKE:-cmake}
jobs=${JOBS:-2}
unset MAKEFLAGS MFLAGS MAKELEVEL

if ! command -v clang++ >/dev/null && ! command -v clang++-14 >/dev/null; then
  echo "SKIP: no clang++ on this machine"
  exit 77
fi

mkdir -p "$work"
work=$(cd "$work" && pwd)
build=$work/build
log=$work/clang-build.log
rm -rf "$build"

start=$(date +%s)
if ! "$cmake" -S "$src" -B "$build" \
     -DCMAKE_TOOLCHAIN_FILE="$src/cmake/clang-mingw-i686.cmake" \
     -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_TESTS=OFF >"$log" 2>&1; then
  echo "FAIL: configuring with clang failed (log: $log)"; tail -20 "$log"; exit 1
fi
compiler=$(find "$build/CMakeFiles" -name CMakeCXXCompiler.cmake -exec \
  sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' {} + | head -1)
version=$("${compiler:-clang++}" --version | head -1)
if ! "$cmake" --build "$build" --target VornLauncher -j"$jobs" -- VERBOSE=1 >>"$log" 2>&1; then
  echo "FAIL: the clang build of VornLauncher failed (log: $log)"
  grep -E 'error|warning' "$log" | head -20
  exit 1
fi
end=$(date +%s)
echo "built with $version in $((end - start)) s"

# Every launcher source was compiled by clang with the warning flags.
compiled=$(grep -cE "^[^ ]*clang\+\+ .*-Wall -Wextra -Werror .* -c [^ ]*/src/" "$log" || true)
echo "launcher sources compiled by clang with -Wall -Wextra -Werror: $compiled"
if [ "$compiled" -lt 1 ]; then
  echo "FAIL: no source was compiled by clang with the warning flags (log: $log)"; exit 1
fi
if grep -qiE 'warning[:[]' "$log"; then
  echo "FAIL: the clang build printed warnings:"
  grep -iE 'warning[:[]' "$log" | head -20
  exit 1
fi
echo "no warnings"

exe=$build/VornLauncher.exe
echo "checking $exe ($(wc -c <"$exe") bytes)"
bash "$src/scripts/check_exe.sh" "$exe"
