#!/usr/bin/env bash
# Starts the real application in a virtual X display and checks what a user would see:
# exactly one window titled "Sorvalle" with a 660 x 592 client area. Saves a screenshot
# into the build folder, clicks "Search" and lets its discovery window pass, asks the window
# to close as a window manager would, and checks that the process ends with status 0 (a
# sanitizer build's executable ends otherwise on any report).
#
# Usage: run-window-test.sh <Sorvalle executable> <build dir> <close-window helper>
set -uo pipefail

if [ $# -ne 3 ]; then
    echo "usage: $0 <Sorvalle executable> <build dir> <close-window helper>" >&2
    exit 2
fi

app=$1
build_dir=$2
close_window=$3

# Re-run inside a fresh virtual display of our own (-a picks a free server number, so
# parallel test runs do not meet). -noreset keeps the atoms that --prepare interns below.
if [ -z "${SORVALLE_WINDOW_TEST_IN_XVFB:-}" ]; then
    export SORVALLE_WINDOW_TEST_IN_XVFB=1
    exec xvfb-run -a -s "-screen 0 1280x1024x24 -noreset" "$0" "$@"
fi

fail() {
    echo "FAIL: $*" >&2
    if [ -n "${app_pid:-}" ] && kill -0 "$app_pid" 2>/dev/null; then
        kill "$app_pid" 2>/dev/null
        wait "$app_pid" 2>/dev/null
    fi
    exit 1
}

# A window manager would have interned the close protocol's atoms before any program ran.
"$close_window" --prepare || fail "could not prepare the display for closing windows"

"$app" &
app_pid=$!

# The window, mapped; bounded so that a program that never shows one fails the test.
if ! timeout 20 xdotool search --sync --onlyvisible --name '^Sorvalle$' >/dev/null 2>&1; then
    fail "no visible window titled Sorvalle within 20 s"
fi

# Let the first paint finish before counting, measuring and photographing.
sleep 1

mapfile -t windows < <(xdotool search --name '^Sorvalle$' 2>/dev/null)
if [ "${#windows[@]}" -ne 1 ]; then
    fail "expected exactly one window titled Sorvalle, found ${#windows[@]}"
fi
window=${windows[0]}

info=$(xwininfo -id "$window") || fail "xwininfo could not read window $window"
width=$(awk -F: '/^ *Width:/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
height=$(awk -F: '/^ *Height:/ { gsub(/ /, "", $2); print $2 }' <<<"$info")
echo "window $window: ${width} x ${height}"
if [ "$width" != 660 ] || [ "$height" != 592 ]; then
    fail "client area is ${width} x ${height}, expected 660 x 592"
fi

screenshot="$build_dir/sorvalle-window.png"
import -window "$window" "$screenshot" || fail "could not save the screenshot"
echo "screenshot: $screenshot"

# "Search" sits at (120, 10), 100 x 24, in the client area; its discovery window lasts 500 ms.
xdotool mousemove --window "$window" 170 22 click 1 || fail "could not click Search"
sleep 1.5
kill -0 "$app_pid" 2>/dev/null || fail "the application ended after Search"

"$close_window" "$window" || fail "could not send WM_DELETE_WINDOW to window $window"

# The process must end by itself within a bounded time.
for _ in $(seq 1 100); do
    if ! kill -0 "$app_pid" 2>/dev/null; then
        break
    fi
    sleep 0.1
done
if kill -0 "$app_pid" 2>/dev/null; then
    fail "the application was still running 10 s after its window was asked to close"
fi

wait "$app_pid"
status=$?
if [ "$status" -ne 0 ]; then
    echo "FAIL: the application exited with status $status" >&2
    exit 1
fi

echo "PASS: one window titled Sorvalle, 660 x 592, closed with exit status 0"
