#!/usr/bin/env bash
# Builds VornLauncher.exe twice from clean trees and compares the results byte
# for byte. The two copies of the sources and the two build folders sit at
# different paths, so a time stamp or a build path in the program shows up as a
# difference.
#
#   scripts/check_reproducible.sh <workdir>
#
# <workdir> is emptied and reused. Environment: JOBS (parallel jobs, default 2),
# CMAKE (default cmake).
set -eu

work=${1:?usage: check_reproducible.sh <workdir>}
src=$(cd "$(dirname "$0")/.." && pwd)
cmake=${CMAKE:-cmake}
jobs=${JOBS:-2}
# A build started from make (make test) must not hand its job server down.
unset MAKEFLAGS MFLAGS MAKELEVEL

mkdir -p "$work"
work=$(cd "$work" && pwd)
case "$src/" in
  "$work"/*) echo "FAIL: the work folder must not contain the source tree"; exit 2 ;;
esac
rm -rf "$work/one" "$work/two"

# One snapshot of the sources as they are now (tracked and new files, without
# ignored build folders), so that edits made meanwhile cannot tell the two
# builds apart.
# Build folders inside the tree (a CMakeCache.txt at their top) stay out.
build_dirs=$(cd "$src" && for d in */; do [ -f "$d/CMakeCache.txt" ] && printf '%s\n' "${d%/}"; done || true)
in_build_dir() {
  local d
  for d in $build_dirs; do case "$1" in "$d"/*) return 0 ;; esac; done
  return 1
}
snapshot() {  # snapshot <dest>
  mkdir -p "$1"
  if git -C "$src" rev-parse --is-inside-work-tree >/dev/null 2>&1; then
    (cd "$src" && git ls-files -z --cached --others --exclude-standard |
      while IFS= read -r -d '' f; do
        [ -f "$f" ] && ! in_build_dir "$f" && printf '%s\0' "$f"
      done |
      tar --null -T - -cf -) | tar -xf - -C "$1"
  else
    (cd "$src" && tar --exclude='./build*' --exclude='./out' -cf - .) | tar -xf - -C "$1"
  fi
}
snapshot "$work/one/src"
mkdir -p "$work/two/a/longer/path"
cp -a "$work/one/src" "$work/two/a/longer/path/vorn-sources"

build() {  # build <source dir> <build dir> <log>
  "$cmake" -S "$1" -B "$2" \
    -DCMAKE_TOOLCHAIN_FILE="$1/cmake/mingw-i686.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DVORN_BUILD_TESTS=OFF >"$3" 2>&1 &&
  "$cmake" --build "$2" --target VornLauncher -j"$jobs" >>"$3" 2>&1
}

first=$work/one/build
second=$work/two/elsewhere/out
start=$(date +%s)
if ! build "$work/one/src" "$first" "$work/one.log"; then
  echo "FAIL: first build failed (log: $work/one.log)"; tail -20 "$work/one.log"; exit 1
fi
middle=$(date +%s)
if ! build "$work/two/a/longer/path/vorn-sources" "$second" "$work/two.log"; then
  echo "FAIL: second build failed (log: $work/two.log)"; tail -20 "$work/two.log"; exit 1
fi
end=$(date +%s)

a=$first/VornLauncher.exe
b=$second/VornLauncher.exe
echo "first:  $a ($(wc -c <"$a") bytes, $((middle - start)) s)"
echo "second: $b ($(wc -c <"$b") bytes, $((end - middle)) s)"
sha256sum "$a" "$b" | sed 's/^/  /'

status=0
for exe in "$a" "$b"; do
  if LC_ALL=C grep -aqF -e "$work" "$exe"; then
    echo "FAIL: $exe holds a path of the build ($work/...):"
    LC_ALL=C strings -a "$exe" | grep -F -e "$work" | sort -u | head -5 | sed 's/^/  /'
    status=1
  fi
done

if cmp -s "$a" "$b"; then
  echo "identical: the two builds of VornLauncher.exe match byte for byte"
else
  echo "FAIL: the two builds of VornLauncher.exe differ ($(cmp -l "$a" "$b" | wc -l) bytes differ)"
  cmp "$a" "$b" || true
  objdump=${OBJDUMP:-i686-w64-mingw32-objdump}
  if command -v "$objdump" >/dev/null; then
    echo "section table differences (first, second):"
    diff <("$objdump" -h "$a" | tail -n +4) <("$objdump" -h "$b" | tail -n +4) | sed 's/^/  /' || true
  fi
  status=1
fi

exit "$status"
