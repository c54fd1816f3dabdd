#!/usr/bin/env bash
# scripts/run --seconds N in a throwaway Wine prefix, on a private Xvfb: the
# program must be closed in its own order (closeprogram.exe, no kill) and so
# leave its settings in the prefix's registry.
set -uo pipefail
. "$(cd "$(dirname "$0")/../../.." && pwd)/scripts/lib/wine-env"
. "$ROOT/scripts/lib/xvfb.sh"

fail() { echo "FAIL: $*" >&2; exit 1; }
bin=$BUILD_WINDOWS/bin
for exe in Postling.exe closeprogram.exe; do
    [ -f "$bin/$exe" ] || fail "$bin/$exe is not built"
done

tmp=$(mktemp -d /tmp/postling-run-test.XXXXXX)
prefix=$tmp/wineprefix
cleanup() {
    if [ -d "$prefix" ]; then
        WINEPREFIX=$prefix wineserver -k 2>/dev/null
        WINEPREFIX=$prefix wineserver -w 2>/dev/null
    fi
    xvfb_stop
    rm -rf "$tmp"
}
trap cleanup EXIT

# A copy of the test run's prefix (wineboot takes far longer), without any
# settings of the program that other tests left there. A prefix whose
# registry is not on disk yet is not copied: a new one is made instead.
key='[Software\\Razezo Varnek\\Varnek & Soltu Post Sentry'
if [ -f "$WINEPREFIX/system.reg" ] && [ -f "$WINEPREFIX/user.reg" ]; then
    cp -a "$WINEPREFIX" "$prefix" || fail "cannot copy $WINEPREFIX"
    KEY=$key awk '/^\[/ { skip = index($0, ENVIRON["KEY"]) == 1 } !skip' \
        "$WINEPREFIX/user.reg" >"$prefix/user.reg" || fail "cannot write user.reg"
    grep -qF "$key" "$prefix/user.reg" && fail "the program's key is still in the copied prefix"
fi

xvfb_start || fail "no display"
export DISPLAY=$XVFB_DISPLAY WINEPREFIX=$prefix
unset POSTLING_TEST_DISPLAY
wine_prefix_ready || fail "no Wine prefix"

# With no program running there is nothing to close.
wine_locale wine "$bin/closeprogram.exe" Postling </dev/null >"$tmp/close.log" 2>&1
status=$?
[ $status -eq 1 ] || { cat "$tmp/close.log"; fail "closeprogram without a program: exit $status, not 1"; }

POSTLING_WINEPREFIX=$prefix POSTLING_RUN_PREBUILT=1 POSTLING_SCREENSHOTS=$tmp/shots \
    timeout 90 bash "$ROOT/scripts/run" --seconds 2 </dev/null >"$tmp/run.log" 2>&1
status=$?
cat "$tmp/run.log"
[ $status -eq 0 ] || fail "scripts/run: exit $status"
grep -q '^run: program closed' "$tmp/run.log" || fail "scripts/run did not report the program closed"
ls "$tmp"/shots/postling-*.png >/dev/null 2>&1 || fail "no screenshot"

# scripts/run has stopped the wineserver, which wrote the registry out.
settings=$(KEY="$key\\\\Settings]" awk '
    /^\[/ { inside = index($0, ENVIRON["KEY"]) == 1; next }
    inside' "$prefix/user.reg")
[ -n "$settings" ] || fail "no Settings key in $prefix/user.reg"
echo "saved settings:"
echo "$settings"
for value in Mailer Options "Error Save Time" "Silent Sound Duration" Language; do
    grep -qF "\"$value\"=" <<<"$settings" || fail "Settings has no \"$value\""
done
echo "PASS"
