#!/usr/bin/env bash
# Builds the Win32 demo viewer with MinGW-w64 and checks it in a real window:
# the viewer runs under Wine on a private Xvfb display, is clicked with
# xdotool and photographed with ImageMagick. The screenshots are kept in
# build-mingw/screenshots/ for a person to look at.
#
# Installs the Debian packages it needs first when they are missing (the
# groups viewer and viewer-check of scripts/deps.sh).
#
#   scripts/viewer-check.sh            build, then run the window test
#   BUILD_DIR=dir scripts/viewer-check.sh
set -euo pipefail

ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build-mingw}"
SHOTS="$BUILD/screenshots"
EXE="$BUILD/viewer/korvex-viewer.exe"
TITLE="Demo Application for Korvex"
ABOUT_TITLE="About Korvex Library"

# Colours, as ImageMagick writes them in a histogram.
BLUE="#0C01E3"    # lines of direction 'U'
GREEN="#236C12"   # lines of every other direction
RED="#F81D06"     # the status text
CAPTION="#000080" # button captions
EMPHASIS="#FF0000" # "over", "BASIC", "DETAIL", "HEX"
MIN_TEXT_PIXELS=200

START_SECONDS=$SECONDS
step() { printf '[viewer-check %3ds] %s\n' $((SECONDS - START_SECONDS)) "$*"; }
fail() {
    printf '[viewer-check] FAILED: %s\n' "$*" >&2
    exit 1
}

source "$ROOT/scripts/deps.sh"
korvex_need viewer viewer-check
for tool in cmake x86_64-w64-mingw32-g++ x86_64-w64-mingw32-windres python3 wine wineboot wineserver \
    Xvfb xdotool import convert compare; do
    command -v "$tool" >/dev/null || fail "$tool is not installed (see the groups viewer and viewer-check in scripts/deps.sh)"
done

# ---------------------------------------------------------------------------
# Build
# ---------------------------------------------------------------------------

step "building the viewer into $BUILD"
mkdir -p "$BUILD"
cmake -S "$ROOT" -B "$BUILD" \
    -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-w64-x86_64.cmake" \
    -DCMAKE_BUILD_TYPE=Release \
    -DKORVEX_BUILD_VIEWER=ON -DKORVEX_BUILD_TESTS=OFF -DKORVEX_BUILD_TOOLS=OFF >"$BUILD/configure.log" 2>&1 ||
    { cat "$BUILD/configure.log"; fail "cmake configure"; }
cmake --build "$BUILD" -j2 >"$BUILD/build.log" 2>&1 || { cat "$BUILD/build.log"; fail "build"; }
if grep -qi 'warning' "$BUILD/build.log"; then
    grep -i 'warning' "$BUILD/build.log" >&2
fi
[ -f "$EXE" ] || fail "no $EXE after the build"

# ---------------------------------------------------------------------------
# Display and Wine
# ---------------------------------------------------------------------------

XVFB_PID=""
VIEWER_PID=""
export WINEPREFIX="$BUILD/wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="  # no installer dialogs for .NET or HTML

cleanup() {
    if [ -n "$VIEWER_PID" ] && kill -0 "$VIEWER_PID" 2>/dev/null; then
        kill "$VIEWER_PID" 2>/dev/null || true
    fi
    if [ -d "$WINEPREFIX" ]; then
        wineserver -k 2>/dev/null || true
    fi
    if [ -n "$XVFB_PID" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
trap cleanup EXIT
trap 'exit 2' INT TERM

display=99
while [ -e "/tmp/.X${display}-lock" ] || [ -e "/tmp/.X11-unix/X${display}" ]; do
    display=$((display + 1))
done
export DISPLAY=":$display"
step "starting Xvfb on $DISPLAY"
Xvfb "$DISPLAY" -screen 0 1280x1024x24 -nolisten tcp >"$BUILD/xvfb.log" 2>&1 &
XVFB_PID=$!
for _ in $(seq 50); do
    xdotool getdisplaygeometry >/dev/null 2>&1 && break
    kill -0 "$XVFB_PID" 2>/dev/null || { cat "$BUILD/xvfb.log"; fail "Xvfb did not start"; }
    sleep 0.2
done
xdotool getdisplaygeometry >/dev/null 2>&1 || fail "Xvfb on $DISPLAY does not answer"

step "preparing a fresh Wine prefix"
rm -rf "$WINEPREFIX"
wineboot -i >"$BUILD/wineboot.log" 2>&1 || { cat "$BUILD/wineboot.log"; fail "wineboot -i"; }
wineserver -w

rm -rf "$SHOTS"
mkdir -p "$SHOTS"

# ---------------------------------------------------------------------------
# Looking at the window
# ---------------------------------------------------------------------------

shot() { import -window root "$SHOTS/$1.png" || fail "screenshot $1"; }

# Pixels of one exact colour in a region (WxH+X+Y) of a screenshot.
count_colour() {
    convert "$SHOTS/$1.png" -crop "$2" +repage -format %c histogram:info:- |
        awk -v want="$3" 'index($0, want) { gsub(":", "", $1); n += $1 } END { print n + 0 }'
}

# Number of pixels that differ between the same region of two screenshots.
differing_pixels() {
    convert "$SHOTS/$1.png" -crop "$3" +repage "$SHOTS/.a.png"
    convert "$SHOTS/$2.png" -crop "$3" +repage "$SHOTS/.b.png"
    # compare writes the count to standard error, possibly as 1.2e+06.
    { compare -metric AE "$SHOTS/.a.png" "$SHOTS/.b.png" null: 2>&1 >/dev/null || true; } |
        awk '{ printf "%d\n", $1 }' 
}

wait_for_window() { # name, seconds -> window id on stdout
    local end=$((SECONDS + $2))
    while [ $SECONDS -lt $end ]; do
        local id
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -n1 || true)
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        kill -0 "$VIEWER_PID" 2>/dev/null || return 1
        sleep 0.25
    done
    return 1
}

wait_for_count() { # name, number of visible windows, seconds
    local end=$((SECONDS + $3))
    while [ $SECONDS -lt $end ]; do
        [ "$(xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l)" -eq "$2" ] && return 0
        sleep 0.25
    done
    return 1
}

# Client origin of the main window on the screen. Without a window manager
# Wine's X window is the client area itself.
ORIGIN_X=0
ORIGIN_Y=0
CLIENT_W=0
CLIENT_H=0
measure_window() {
    eval "$(xdotool getwindowgeometry --shell "$1")"
    ORIGIN_X=$X
    ORIGIN_Y=$Y
    CLIENT_W=$WIDTH
    CLIENT_H=$HEIGHT
}

click() { # client x, client y
    xdotool mousemove "$((ORIGIN_X + $1))" "$((ORIGIN_Y + $2))" click 1
}

click_button() { # button number 0 to 12, centre of its 55 x 26 place
    click "$((3 + 58 * $1 + 27))" 16
    sleep 1.5
}

step "starting the viewer in $ROOT/samples"
(cd "$ROOT/samples" && exec wine "$EXE") >"$BUILD/viewer.log" 2>&1 &
VIEWER_PID=$!

MAIN=$(wait_for_window "$TITLE" 60) || fail "no window named '$TITLE' within 60 s"
sleep 2
measure_window "$MAIN"
step "main window at ${ORIGIN_X},${ORIGIN_Y}, client ${CLIENT_W}x${CLIENT_H}"
[ "$CLIENT_W" -ge 760 ] || fail "the window is too narrow (${CLIENT_W}) for the 13 buttons"

# Regions in screen coordinates: the trace view without its scroll bar, the
# first text line of the view, and the bottom of the client area where the
# status bar is (its exact place depends on the caption height, so the band
# is generous; the view below its text holds nothing red).
VIEW="$((CLIENT_W - 40))x$((CLIENT_H - 100))+$((ORIGIN_X + 5))+$((ORIGIN_Y + 34))"
FIRST_LINE="$((CLIENT_W - 40))x10+$((ORIGIN_X + 5))+$((ORIGIN_Y + 34))"
STATUS="$((CLIENT_W - 20))x30+$((ORIGIN_X + 5))+$((ORIGIN_Y + CLIENT_H - 30))"
TOOLBAR="755x26+$((ORIGIN_X + 3))+$((ORIGIN_Y + 3))"

shot 01-start
blue=$(count_colour 01-start "$VIEW" "$BLUE")
green=$(count_colour 01-start "$VIEW" "$GREEN")
red=$(count_colour 01-start "$STATUS" "$RED")
step "start: view has $blue blue and $green green text pixels, status bar $red red"
[ "$blue" -ge $MIN_TEXT_PIXELS ] || fail "no blue 'U' lines in the trace view (01-start.png)"
[ "$green" -ge $MIN_TEXT_PIXELS ] || fail "no green lines in the trace view (01-start.png)"
[ "$red" -ge 50 ] || fail "no red status text in the status bar (01-start.png)"
# The button pictures, where the clicks below will go.
captions=$(count_colour 01-start "$TOOLBAR" "$CAPTION")
emphasis=$(count_colour 01-start "$TOOLBAR" "$EMPHASIS")
step "start: toolbar has $captions dark blue and $emphasis red caption pixels"
[ "$captions" -ge 300 ] && [ "$emphasis" -ge 100 ] || fail "the button pictures are not where the buttons should be (01-start.png)"

step "DETAIL"
click_button 9
shot 02-detail
changed=$(differing_pixels 01-start 02-detail "$VIEW")
first=$(differing_pixels 01-start 02-detail "$FIRST_LINE")
step "detail: $changed view pixels changed, $first of them in the first line"
[ "${changed:-0}" -gt 1000 ] || fail "DETAIL did not change the trace view (02-detail.png)"
[ "${first:-1}" -eq 0 ] || fail "DETAIL changed the first frame's summary line (02-detail.png)"
[ "$(count_colour 02-detail "$VIEW" "$BLUE")" -ge $MIN_TEXT_PIXELS ] || fail "no blue lines after DETAIL"

# A protocol button shows its sample trace: the view and the status line
# change, and the frames of both directions are there in their colours.
show_protocol() { # button, name, screenshot before, screenshot after
    step "$2"
    click_button "$1"
    shot "$4"
    local view_changed status_changed blue green
    view_changed=$(differing_pixels "$3" "$4" "$VIEW")
    status_changed=$(differing_pixels "$3" "$4" "$STATUS")
    blue=$(count_colour "$4" "$VIEW" "$BLUE")
    green=$(count_colour "$4" "$VIEW" "$GREEN")
    step "$2: $view_changed view pixels changed, status $status_changed; $blue blue and $green green text pixels"
    [ "${view_changed:-0}" -gt 1000 ] || fail "$2 did not change the trace view ($4.png)"
    [ "${status_changed:-0}" -gt 0 ] || fail "$2 did not change the status line ($4.png)"
    [ "$blue" -ge $MIN_TEXT_PIXELS ] || fail "no blue 'U' lines in the $2 trace ($4.png)"
    [ "$green" -ge $MIN_TEXT_PIXELS ] || fail "no green lines in the $2 trace ($4.png)"
    [ "$(count_colour "$4" "$STATUS" "$RED")" -ge 20 ] || fail "no red status text after $2 ($4.png)"
}
show_protocol 2 "Q.931" 02-detail 02a-q931
show_protocol 3 "X.25" 02a-q931 02b-x25
show_protocol 6 "802.3 ETH" 02b-x25 03-ethernet
show_protocol 7 "IP" 03-ethernet 04-ip
# The layer-3 buttons: the same LAPD and LAPF traces with detail, now with
# the Q.931 and X.25 lines inside the I frames, so the views differ from the
# link-layer-only detail views of the same traces.
show_protocol 1 "LAPF" 04-ip 04a-lapf-detail
show_protocol 4 "Q.931 over LAPD" 04a-lapf-detail 04b-q931-over-lapd
layer3=$(differing_pixels 02-detail 04b-q931-over-lapd "$VIEW")
step "q931 over lapd: $layer3 view pixels differ from the LAPD detail view"
[ "${layer3:-0}" -gt 500 ] || fail "Q.931 over LAPD shows no Q.931 lines (04b-q931-over-lapd.png)"
show_protocol 5 "X.25 over LAPF" 04b-q931-over-lapd 04c-x25-over-lapf
layer3=$(differing_pixels 04a-lapf-detail 04c-x25-over-lapf "$VIEW")
step "x25 over lapf: $layer3 view pixels differ from the LAPF detail view"
[ "${layer3:-0}" -gt 500 ] || fail "X.25 over LAPF shows no X.25 lines (04c-x25-over-lapf.png)"

step "ABOUT, twice"
click_button 11
ABOUT=$(wait_for_window "$ABOUT_TITLE" 10) || fail "ABOUT opened no window named '$ABOUT_TITLE'"
click_button 11
wait_for_count "$ABOUT_TITLE" 2 10 || fail "a second ABOUT did not open a second about box"
sleep 1
shot 05-about
eval "$(xdotool getwindowgeometry --shell "$ABOUT")"
# The OK button sits at (198, 135), 50 x 14 dialog units, of a box of 249 x 151.
ok_x=$((X + WIDTH * 223 / 249))
ok_y=$((Y + HEIGHT * 142 / 151))
# The two boxes lie on top of each other: each OK closes one.
for left in 1 0; do
    xdotool mousemove "$ok_x" "$ok_y" click 1
    wait_for_count "$ABOUT_TITLE" "$left" 10 || { shot 06-about-left-open; fail "OK did not close an about box"; }
done
shot 06-about-closed

step "EXIT"
click_button 12
end=$((SECONDS + 10))
while kill -0 "$VIEWER_PID" 2>/dev/null && [ $SECONDS -lt $end ]; do sleep 0.25; done
if kill -0 "$VIEWER_PID" 2>/dev/null; then
    shot 07-exit-failed
    fail "the viewer was still running 10 s after EXIT"
fi
status=0
wait "$VIEWER_PID" || status=$?
VIEWER_PID=""
[ "$status" -eq 0 ] || fail "the viewer ended with exit code $status"
rm -f "$SHOTS/.a.png" "$SHOTS/.b.png"

step "passed; screenshots in $SHOTS"
