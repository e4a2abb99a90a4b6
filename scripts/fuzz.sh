#!/usr/bin/env bash
# Native libFuzzer runs of the file-format checks (clang, ASan, UBSan).
#
#   scripts/fuzz.sh --smoke <builddir>          short bounded run of every target;
#                                               non-zero exit on any finding
#   scripts/fuzz.sh --long  <builddir> [runs]   at least <runs> executions per target
#                                               (default 10000000); prints executions
#                                               and findings per target
#
# Each target fuzz_<name> starts from tests/fuzz/corpus/<name>/, copied into a scratch corpus
# below <builddir>, so the repository is never written to.
set -u

usage() {
    echo "usage: $0 --smoke <builddir> | --long <builddir> [runs]" >&2
    exit 2
}

[ $# -ge 2 ] || usage
mode=$1
build=$2
runs=${3:-10000000}
case "$mode" in
    --smoke | --long) ;;
    *) usage ;;
esac
case "$runs" in
    '' | *[!0-9]*) usage ;;
esac

root=$(cd "$(dirname "$0")/.." && pwd)
fuzz_src=$root/tests/fuzz
targets_all="fuzz_bitmap_header fuzz_server_list"

mkdir -p "$build" || exit 1
build=$(cd "$build" && pwd)

# Targets whose source exists. While one is still missing, the fuzz project is
# configured from a scratch copy with an empty stand-in for it, and only the others run.
targets=""
missing=""
for t in $targets_all; do
    if [ -f "$fuzz_src/$t.cpp" ]; then targets="$targets $t"; else missing="$missing $t"; fi
done
[ -n "$targets" ] || { echo "fuzz: no fuzz target sources in $fuzz_src" >&2; exit 1; }

project=$fuzz_src
if [ -n "$missing" ]; then
    project=$build/project/tests/fuzz
    mkdir -p "$project"
    ln -sfn "$root/src" "$build/project/src"
    cp "$fuzz_src/CMakeLists.txt" "$project/"
    for t in $targets; do cp "$fuzz_src/$t.cpp" "$project/"; done
    for t in $missing; do
        echo "fuzz: $t.cpp does not exist yet; skipped"
        printf '%s\n' '#include <stddef.h>' '#include <stdint.h>' \
            'extern "C" int LLVMFuzzerTestOneInput(const uint8_t*, size_t) { return 0; }' \
            > "$project/$t.cpp"
    done
fi

CC=clang CXX=clang++ cmake -S "$project" -B "$build" -DCMAKE_BUILD_TYPE=Release \
    > "$build/configure.log" 2>&1 || { cat "$build/configure.log" >&2; exit 1; }
# shellcheck disable=SC2086
cmake --build "$build" -j2 --target $targets > "$build/build.log" 2>&1 ||
    { cat "$build/build.log" >&2; exit 1; }

failed=0
for t in $targets; do
    work=$build/run-$t
    rm -rf "$work"
    mkdir -p "$work/corpus" "$work/artifacts"
    seeds=$fuzz_src/corpus/${t#fuzz_}
    if [ -d "$seeds" ]; then
        cp -r "$seeds/." "$work/corpus/"
    fi
    if [ "$mode" = --smoke ]; then
        limits=(-runs=200000 -max_total_time=20)
        wall=120
    else
        limits=("-runs=$runs")
        wall=0  # no limit
    fi
    log=$work/fuzz.log
    if [ "$wall" -gt 0 ]; then
        timeout -k 5 "$wall" "$build/$t" "${limits[@]}" -print_final_stats=1 \
            "-artifact_prefix=$work/artifacts/" "$work/corpus" > "$log" 2>&1
    else
        "$build/$t" "${limits[@]}" -print_final_stats=1 \
            "-artifact_prefix=$work/artifacts/" "$work/corpus" > "$log" 2>&1
    fi
    rc=$?
    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
    findings=$(find "$work/artifacts" -type f | wc -l)
    if [ "$rc" -ne 0 ] && [ "$findings" -eq 0 ]; then findings=1; fi
    echo "$t: executions ${execs:-unknown}, findings $findings (log $log)"
    if [ "$rc" -ne 0 ] || [ "$findings" -ne 0 ]; then
        failed=1
        tail -n 40 "$log" >&2
        find "$work/artifacts" -type f -exec echo "fuzz: finding kept in {}" \;
    fi
done
exit $failed
