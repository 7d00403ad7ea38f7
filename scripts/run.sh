#!/usr/bin/env bash
# Builds the 64-bit program and runs it under Wine (a 1024x768 virtual desktop,
# Japanese locale) together with a page to save.
#
#   scripts/run.sh              the demonstration: a small HTTP server on 127.0.0.1
#                               serves tools/demo/sample.html, the stand-in browser
#                               shows its address, and Leafcatch saves it into
#                               $LC_DATA/saved1 or saved2. With a display you click
#                               yourself; without one (no usable DISPLAY) the same
#                               runs on an Xvfb display of its own and is driven by
#                               xdotool: one capture, screenshots, then the end.
#   scripts/run.sh --headless   the driven run even when a display is there (it
#                               then uses an Xvfb display of its own).
#   scripts/run.sh --alone      Leafcatch alone, for any browser that answers the
#                               address query; the settings file is left as it is.
#
#   --screenshots DIR   where the driven run puts its pictures
#                       (default $LC_CACHE/screenshots).
#
# Environment: LC_CACHE (default ~/.cache/leafcatch) holds the Wine prefix
# wine-run, the demo's files (demo/) and, unless LC_DATA names another folder,
# the start folder data/ with Leafcatch.ini and the save folders. LC_DEMO_PORT
# fixes the server's port (default: a free one).
set -euo pipefail
source "$(dirname "$0")/setup.sh"

usage() { sed -n '2,23p' "$0" | sed 's/^# \{0,1\}//'; }

mode=demo
shots=
while [ $# -gt 0 ]; do
    case $1 in
        --alone) mode=alone ;;
        --headless) mode=headless ;;
        --screenshots) shots=$(realpath -m "${2:?--screenshots needs a folder}"); shift ;;
        -h|--help) usage; exit 0 ;;
        *) echo "run.sh: unknown argument '$1'" >&2; usage >&2; exit 2 ;;
    esac
    shift
done
cd "$LC_ROOT"

lc_setup

# Whatever this command starts, it stops again, however it ends.
server_pid=
browser_pid=
program_pid=
stop_demo() {
    set +e
    local pid
    for pid in "$program_pid" "$browser_pid" "$server_pid"; do
        [ -n "$pid" ] || continue
        kill "$pid" 2>/dev/null
        wait "$pid" 2>/dev/null
    done
    program_pid= browser_pid= server_pid=
    lc_stop_started
}
trap stop_demo EXIT
trap 'exit 130' INT TERM

if [ "$mode" = demo ] && ! { [ -n "${DISPLAY:-}" ] && xdpyinfo >/dev/null 2>&1; }; then
    mode=headless
fi
[ "$mode" = headless ] && unset DISPLAY

echo "== build"
[ -f build/win64/build.ninja ] || cmake --preset win64 >/dev/null
cmake --build --preset win64 --target Leafcatch stand_in_browser

lc_wine_env "$LC_CACHE/wine-run"
lc_start_xvfb
lc_start_wineserver

# The settings file goes to the folder the program starts in.
data=${LC_DATA:-$LC_CACHE/data}
mkdir -p "$data"
data=$(cd "$data" && pwd)

# A Linux path as Wine sees it through its Z: drive.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

if [ "$mode" = alone ]; then
    cd "$data"
    echo "Leafcatch runs alone; its settings file is $data/Leafcatch.ini"
    if [ -n "$LC_STARTED_XVFB_PID" ]; then
        echo "There is no display: it runs unseen on the Xvfb display $DISPLAY; Ctrl-C ends it."
    fi
    status=0
    $LC_WINE64 "$LC_ROOT/build/win64/Leafcatch.exe" || status=$?
    echo "Leafcatch ended with status $status"
    exit "$status"
fi

# ---- The demonstration's pieces ------------------------------------------------

demo=$LC_CACHE/demo
saved1=$data/saved1
saved2=$data/saved2
mkdir -p "$demo" "$saved1" "$saved2"

# The server, on a free port of 127.0.0.1 (or on LC_DEMO_PORT).
rm -f "$demo/port"
python3 "$LC_ROOT/tools/demo/server.py" --root "$LC_ROOT/tools/demo" --port "${LC_DEMO_PORT:-0}" \
    --port-file "$demo/port" >"$demo/server.log" 2>&1 &
server_pid=$!
for _ in $(seq 100); do
    [ -s "$demo/port" ] && break
    kill -0 "$server_pid" 2>/dev/null || break
    sleep 0.1
done
[ -s "$demo/port" ] || { echo "the demo server did not start:" >&2; cat "$demo/server.log" >&2; exit 1; }
port=$(cat "$demo/port")
url=http://127.0.0.1:$port/sample.html

# The stand-in browser, copied next to a file with its arguments: when no browser
# runs, a capture starts the program the registry names, and that is this copy.
cp "$LC_ROOT/build/win64/stand_in_browser.exe" "$demo/stand_in_browser.exe"
printf '"%s"\r\n' "$url" >"$demo/stand_in_browser.args"
$LC_WINE64 reg add 'HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\App Paths\Iexplore.exe' \
    /ve /d "$(windows_path "$demo/stand_in_browser.exe")" /f </dev/null >/dev/null 2>&1

# The settings file: the two save folders, and the window's place (kept from an
# earlier run, unless the run is driven: then it stands where the clicks go).
left=700 top=100
if [ "$mode" = demo ] && [ -f "$data/Leafcatch.ini" ]; then
    mapfile -t old < <(tr -d '\r' <"$data/Leafcatch.ini")
    if [[ ${old[2]:-} =~ ^-?[0-9]+$ && ${old[3]:-} =~ ^-?[0-9]+$ ]]; then left=${old[2]} top=${old[3]}; fi
fi
printf '%s\\\r\n%s\\\r\n%s\r\n%s\r\n' "$(windows_path "$saved1")" "$(windows_path "$saved2")" "$left" "$top" |
    iconv -f UTF-8 -t CP932 >"$data/Leafcatch.ini"

$LC_WINE64 "$demo/stand_in_browser.exe" "$url" --title "Leafcatch sample page" </dev/null >/dev/null 2>&1 &
browser_pid=$!

echo "Sample page:     $url (server log: $demo/server.log)"
echo "Settings file:   $data/Leafcatch.ini"
echo "Save folder 1:   $saved1"
echo "Save folder 2:   $saved2"

if [ "$mode" = demo ]; then
    cd "$data"
    echo "Leafcatch runs on $DISPLAY. Press button 1 or 2 in its small window to save the page;"
    echo "choose 終了(&X) in its tray menu (bottom right) to end the demonstration."
    status=0
    $LC_WINE64 "$LC_ROOT/build/win64/Leafcatch.exe" || status=$?
    echo "Leafcatch ended with status $status"
    echo "Saved pages:"
    find "$saved1" "$saved2" -type f | sort | sed 's/^/  /'
    exit "$status"
fi

# ---- The driven run ------------------------------------------------------------
# Top-level Wine windows are X windows inside the virtual desktop's window, named
# after their captions, with the program's file name as their class; screen and
# desktop coordinates agree.

shots=${shots:-$LC_CACHE/screenshots}
mkdir -p "$shots"

fail() { echo "run.sh: $*" >&2; exit 1; }

# wait_for SECONDS COMMAND...: true once the command succeeds.
wait_for() {
    local end=$((SECONDS + $1)); shift
    until "$@"; do
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.1
    done
}

# Visible windows of a program: "id x y width height name", one per line.
windows_of() {
    local id
    for id in $(xdotool search --onlyvisible --classname "^$1\$" 2>/dev/null); do
        xwininfo -id "$id" | awk -v id="$id" -v name="$(xdotool getwindowname "$id")" '
            /Absolute upper-left X/ {x = $NF} /Absolute upper-left Y/ {y = $NF}
            /Width:/ {w = $NF} /Height:/ {h = $NF}
            END {print id, x, y, w, h, name}'
    done
}
# The window of leafcatch.exe that the filter (an awk condition) picks; prints
# "id x y width height", fails when there is none.
find_window() {
    windows_of 'leafcatch\.exe' | awk -v tool="${tool_id:-}" "$1"' {print $1, $2, $3, $4, $5; found = 1; exit}
        END {exit !found}'
}
tool_window() { find_window '$1 == tool'; }
dialog_window() { find_window '$1 != tool && $6 == "Leafcatch" && $4 >= 300'; }
notice_window() { find_window '$1 != tool && $6 == "Leafcatch" && $4 < 300'; }
menu_window() { find_window 'NF == 5'; }
no_menu() { ! menu_window >/dev/null; }
no_dialog() { ! dialog_window >/dev/null; }

click() { xdotool mousemove "$1" "$2" sleep 0.1 click "${3:-1}"; }

screen=$demo/screen.png
# shoot NAME X Y W H: the screen now, and the part of it that shows NAME.
shoot() {
    import -window root "$screen"
    convert "$screen" -crop "${4}x${5}+${2}+${3}" +repage -strip "$shots/$1.png"
    echo "  $shots/$1.png"
}

# New page files in a folder since `before` (a listing) was taken.
new_file() { comm -13 <(echo "$2") <(ls -1 "$1") | head -n 1; }
# A saved page is complete once the marker and the page's end are in it.
page_done() {
    local f
    f=$(new_file "$1" "$2")
    [ -n "$f" ] && grep -q 'written by Quillbarrow' "$1/$f" && grep -q '</html>' "$1/$f"
}

# The button's centre (1 or 2) or another point of the tool window's client area
# (115 x 55 inside a thin frame and a small caption).
client_point() {
    local id x y w h border
    read -r id x y w h < <(tool_window)
    border=$(((w - 115) / 2))
    echo $((x + border + $1)) $((y + h - 55 - border + $2))
}

cd "$data"
$LC_WINE64 "$LC_ROOT/build/win64/Leafcatch.exe" </dev/null >/dev/null 2>&1 &
program_pid=$!

# The tool window is the small one; the notice and the dialog are hidden yet.
wait_for 20 find_window '$6 == "Leafcatch" && $4 < 150' >/dev/null || fail "Leafcatch's window did not show"
tool_id=$(find_window '$6 == "Leafcatch" && $4 < 150' | cut -d' ' -f1)
wait_for 10 windows_of 'stand_in_browser\.exe' >/dev/null || fail "the stand-in browser did not show"
sleep 1  # the taskbar and the tray icon settle

echo "== screenshots"
read -r _ x y w h < <(tool_window)
shoot tool-window "$x" "$y" "$w" "$h"

# One capture by a real click on button 1.
echo "== capture: button 1"
before1=$(ls -1 "$saved1")
read -r bx by < <(client_point 28 28)
click "$bx" "$by"
wait_for 30 page_done "$saved1" "$before1" || fail "button 1 saved no page in $saved1"
saved=$saved1/$(new_file "$saved1" "$before1")
echo "Saved: $saved"
echo "Its first lines (Shift-JIS shown as UTF-8):"
iconv -f CP932 -t UTF-8 "$saved" | tr -d '\r' | head -n 8 | sed 's/^/  | /'
wait_for 10 bash -c '[ "$(xdotool getwindowname '"$tool_id"')" = Leafcatch ]' || fail "the capture did not end"

echo "== screenshots"
# The tray menu, opened by a real click on the tray icon. The pointer then rests
# on the first item, so that the icon's tool tip goes away.
click 1013 758
wait_for 5 menu_window >/dev/null || fail "the tray menu did not open"
read -r _ mx my mw mh < <(menu_window)
xdotool mousemove $((mx + mw / 2)) $((my + 3 + (mh - 6) / 4))
sleep 0.8
shoot tray-menu $((mx - 60)) $((my - 24)) $((1024 - mx + 60)) $((768 - my + 24))
xdotool key Escape
wait_for 3 no_menu || { click 500 600; wait_for 3 no_menu; } || fail "the tray menu did not close"

# The settings dialog, opened by releasing the right button over the tool window.
read -r px py < <(client_point 56 28)
click "$px" "$py" 3
wait_for 5 dialog_window >/dev/null || fail "the settings dialog did not open"
sleep 0.5
read -r _ x y w h < <(dialog_window)
shoot settings-dialog "$x" "$y" "$w" "$h"
# Cancel: client (600, 156) inside a 3-pixel frame under its caption.
click $((x + (w - 644) / 2 + 600)) $((y + h - 186 - (w - 644) / 2 + 156))
wait_for 5 no_dialog || fail "the settings dialog did not close"

# The progress notice, while the server takes its time over button 2's page.
before2=$(ls -1 "$saved2")
curl -s -o /dev/null "http://127.0.0.1:$port/_slow-next?seconds=3"
read -r bx by < <(client_point 84 28)
click "$bx" "$by"
wait_for 5 notice_window >/dev/null || fail "the progress notice did not show"
sleep 0.5
read -r _ x y w h < <(notice_window)
shoot progress-notice "$x" "$y" "$w" "$h"
cp "$screen" "$shots/desktop.png"
convert "$shots/desktop.png" -strip "$shots/desktop.png"
echo "  $shots/desktop.png"
wait_for 30 page_done "$saved2" "$before2" || fail "button 2 saved no page in $saved2"
echo "Saved: $saved2/$(new_file "$saved2" "$before2")"

# The end, through the tray menu's second item.
echo "== end: 終了(&X)"
wait_for 10 bash -c '[ "$(xdotool getwindowname '"$tool_id"')" = Leafcatch ]' || fail "the second capture did not end"
click 1013 758
wait_for 5 menu_window >/dev/null || fail "the tray menu did not open"
read -r _ mx my mw mh < <(menu_window)
click $((mx + mw / 2)) $((my + 3 + 3 * (mh - 6) / 4))
status=0
wait_for 10 bash -c "! kill -0 $program_pid 2>/dev/null" || fail "Leafcatch did not end"
wait "$program_pid" || status=$?
program_pid=
echo "Leafcatch ended with status $status"
echo "Screenshots are in $shots"
[ "$status" = 0 ] || exit "$status"
echo "The page was saved: $saved"
