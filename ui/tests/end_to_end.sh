#!/usr/bin/env bash
# Drives korvale.exe under Wine like a user: keyboard into a real window on the X display in
# $DISPLAY, both directions, and compares each output file with the native command's output.
# Usage: end_to_end.sh WINE KORVALE_EXE NATIVE_KORVALE INPUT_HL_MAP ARTIFACT_DIR
set -euo pipefail

wine=$1 exe=$2 native=$3 hl_map=$4 artifacts=$5
work=$(mktemp -d /tmp/kv.XXXX) # short, so that the screenshot shows whole paths
mkdir -p "$artifacts"
pid=
finish() {
    [ -n "$pid" ] && kill "$pid" 2>/dev/null
    rm -rf "$work"
}
trap finish EXIT

fail() {
    echo "FAIL: $*" >&2
    import -window root "$artifacts/failure.png" 2>/dev/null || true
    exit 1
}

windows_path() { local p=${1//\//\\}; echo "Z:$p"; }

# The first window whose title is exactly $1, within 30 seconds.
find_window() {
    local id
    for _ in $(seq 300); do
        id=$(xdotool search --name "^$1\$" 2>/dev/null | head -1) || true
        [ -n "$id" ] && { echo "$id"; return; }
        sleep 0.1
    done
    fail "no window titled '$1'"
}

wait_gone() {
    for _ in $(seq 100); do
        xdotool search --name "^$1\$" >/dev/null 2>&1 || return 0
        sleep 0.1
    done
    fail "window '$1' stayed open"
}

keys() { xdotool key --delay 50 "$@"; }
type_text() { xdotool type --delay 5 "$1"; }

# Waits for the "Success!" box, checks it is the only box, and closes it with Enter.
confirm_success() {
    local box
    box=$(find_window 'Success!')
    if xdotool search --name '^Error!$' >/dev/null 2>&1; then fail "an error box opened"; fi
    xdotool windowfocus "$box"
    sleep 0.2
    keys Return
    wait_gone 'Success!'
}

cp "$hl_map" "$work/room.map"
"$native" --quiet to-q3 "$work/room.map" "$work/native-q3.map"
cp "$work/native-q3.map" "$work/room-q3.map"
"$native" --quiet to-hl "$work/room-q3.map" "$work/native-hl.map"

"$wine" "$exe" >"$work/wine.log" 2>&1 &
pid=$!
dialog=$(find_window 'Korvale V1.0')
xdotool windowfocus "$dialog"
sleep 0.3

# Half-Life to Quake 3, the initial direction. The focus starts on Convert; three Tabs reach the
# input path box (Convert, Input, Output, input path), one more the output path box.
keys Tab Tab Tab
type_text "$(windows_path "$work/room.map")"
keys Tab
type_text "$(windows_path "$work/window-q3.map")"
keys Return
confirm_success
cmp "$work/window-q3.map" "$work/native-q3.map" || fail "Half-Life to Quake 3 output differs"
echo "ok: HL -> Quake3 with Enter writes the native bytes"

xdotool windowfocus "$dialog"
sleep 0.3
import -window "$dialog" "$artifacts/window.png"

# Quake 3 to Half-Life: a click on the second radio button (no keyboard reaches it), then back
# to the path boxes with Shift+Tab, which selects their text so that typing replaces it.
eval "$(xdotool getwindowgeometry --shell "$dialog")"
border=$(((WIDTH - 279) / 2))       # the client area is 186 x 100 dialog units, 6 x 12 base units
top=$((HEIGHT - 150 - border))
xdotool mousemove --window "$dialog" $((border + 189)) $((top + 102)) click 1
sleep 0.3
keys shift+Tab shift+Tab
type_text "$(windows_path "$work/room-q3.map")"
keys Tab
type_text "$(windows_path "$work/window-hl.map")"
keys alt+o
confirm_success
cmp "$work/window-hl.map" "$work/native-hl.map" || fail "Quake 3 to Half-Life output differs"
echo "ok: Quake3 -> HL with Alt+O writes the native bytes"

# Alt+O left the focus on Convert; Shift+Tab moves it back to About, the last tab stop, and
# Enter on a focused push button presses that button rather than Convert.
xdotool windowfocus "$dialog"
sleep 0.2
keys shift+Tab Return
about=$(find_window 'About')
xdotool search --name '^Success!$' >/dev/null 2>&1 && fail "Enter on About ran Convert"
sleep 0.3
import -window "$about" "$artifacts/about.png"
xdotool windowfocus "$about"
sleep 0.2
keys Return
wait_gone 'About'
echo "ok: Shift+Tab, Enter opens About"

# Escape leaves the window open; Alt+F4 closes it and the program exits with 0.
xdotool windowfocus "$dialog"
sleep 0.2
keys Escape
sleep 0.5
xdotool search --name '^Korvale V1.0$' >/dev/null || fail "Escape closed the window"
keys alt+F4
for _ in $(seq 100); do
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
done
kill -0 "$pid" 2>/dev/null && fail "Alt+F4 did not end the program"
status=0
wait "$pid" || status=$?
pid=
[ "$status" -eq 0 ] || fail "exit status $status"
echo "ok: Escape does nothing, Alt+F4 exits with 0"
