#!/usr/bin/env bash
# Runs an end-to-end test program under Wine on one of the test profiles:
#
#   tests/run_in_profile.sh <profile> <test.exe> [arguments...]
#
#   main      the current WINEPREFIX and DISPLAY (1024x768 under scripts/test.sh)
#   main2     VORN_PREFIX_MAIN2 on VORN_DISPLAY_MAIN2: a second main profile, so
#             that two halves of the main tests can run side by side; without
#             those variables it is main
#   640x480   VORN_PREFIX_640  on VORN_DISPLAY_640
#   1365x768  VORN_PREFIX_1365 on VORN_DISPLAY_1365
#   ko        VORN_PREFIX_KO   on VORN_DISPLAY_KO, under LANG=ko_KR.UTF-8 (LOCPATH=VORN_LOCPATH)
#
# scripts/test.sh exports those variables. Without them the program runs in
# the current environment and the tests of that profile skip themselves.
#
# The program's standard error goes to a file named in VORN_E2E_STDERR while it
# runs: the launchers it starts inherit it, and their Wine debug lines (the
# sounds they play) land there for the driver to read. Afterwards everything
# but those trace lines is passed on to the real standard error.
set -u

if [ $# -lt 2 ]; then
    echo "usage: $0 <main|main2|640x480|1365x768|ko> <test.exe> [arguments...]" >&2
    exit 2
fi
profile=$1
shift

prefix=""
display=""
case "$profile" in
    main) ;;
    main2) prefix=${VORN_PREFIX_MAIN2:-} display=${VORN_DISPLAY_MAIN2:-} ;;
    640x480) prefix=${VORN_PREFIX_640:-} display=${VORN_DISPLAY_640:-} ;;
    1365x768) prefix=${VORN_PREFIX_1365:-} display=${VORN_DISPLAY_1365:-} ;;
    ko) prefix=${VORN_PREFIX_KO:-} display=${VORN_DISPLAY_KO:-} ;;
    *)
        echo "$0: unknown profile '$profile'" >&2
        exit 2
        ;;
esac

unset VORN_PROFILE
if [ "$profile" = main ] || [ "$profile" = main2 ]; then
    export VORN_PROFILE=main
    if [ -n "$prefix" ] && [ -n "$display" ]; then
        export WINEPREFIX=$prefix DISPLAY=$display
    fi
elif [ -n "$prefix" ] && [ -n "$display" ]; then
    export VORN_PROFILE=$profile WINEPREFIX=$prefix DISPLAY=$display
    if [ "$profile" = ko ]; then
        if [ -z "${VORN_LOCPATH:-}" ]; then
            echo "$0: the ko profile needs VORN_LOCPATH (the folder holding ko_KR.UTF-8)" >&2
            exit 2
        fi
        export LANG=ko_KR.UTF-8 LC_ALL=ko_KR.UTF-8 LOCPATH=$VORN_LOCPATH
    fi
fi

log=$(mktemp "${TMPDIR:-/tmp}/vorn-e2e-XXXXXX.stderr") || exit 1
trap 'rm -f "$log"' EXIT
export VORN_E2E_STDERR=$log

"${VORN_WINE:-wine}" "$@" 2>"$log"
rc=$?
grep -v ':trace:winmm:' "$log" >&2
exit $rc
