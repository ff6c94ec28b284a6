#!/usr/bin/env bash
# End-to-end scenarios: the installed program in a real X server (Xvfb), driven with xdotool
# as a person would. Usage: run-all.sh <installed program folder>
# Every scenario is a function scenario_*; a failing step leaves a screenshot in the folder
# printed at the start, and the desk's screenshot is kept there too.
set -uo pipefail

prefix=${1:?usage: run-all.sh <installed program folder>}
prefix=$(cd "$prefix" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
title="Quillory Version 1.0"

work=$(mktemp -d /tmp/quillory-e2e-XXXXXX)
shots=${QUILLORY_E2E_SHOTS:-$work/screenshots}
mkdir -p "$shots"
echo "e2e: screenshots in $shots"

app="$work/program"
cp -a "$prefix" "$app"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME QT_QPA_PLATFORM
export LANG=C.UTF-8

# --- X server on a free display ---------------------------------------------------------
xvfb_pid=""
start_xvfb() {
    local fdfile="$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(head -n1 "$fdfile")"
            if xdotool getmouselocation >/dev/null 2>&1; then
                # A German keyboard: umlauts and ß are real keys, so typing them needs no
                # remapping of spare keys, which can lose characters on a busy machine.
                setxkbmap -layout de 2>/dev/null || true
                return 0
            fi
        fi
        sleep 0.1
    done
    echo "e2e: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    return 1
}

app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# --- helpers -----------------------------------------------------------------------------
failures=0
passes=0
current=""

shot() { import -window root "$shots/$1.png" 2>/dev/null; }

fail() {
    echo "e2e: FAIL [$current] $*" >&2
    shot "fail-$current-$(date +%s%N | tail -c 6)"
    return 1
}

# Waits (up to $2 seconds) for a visible window whose name matches $1; prints the newest id.
wait_window() {
    local name=$1 limit=${2:-15} ids
    ids=$(timeout "$limit" xdotool search --sync --onlyvisible --name "$name" 2>/dev/null) ||
        return 1
    echo "$ids" | tail -n1
}

# Waits until no visible window matches $1 any more, or at most $2 windows do.
wait_window_count() {
    local name=$1 count=$2 limit=${3:-15} n
    for _ in $(seq 1 $((limit * 20))); do
        n=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | wc -l)
        [ "$n" -le "$count" ] && return 0
        sleep 0.05
    done
    return 1
}

# The desk: the visible main window at least 500 pixels wide.
desk_window() {
    local id w
    for _ in $(seq 1 200); do
        for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
            w=$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p')
            if [ "${w:-0}" -ge 500 ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# Waits for a window with the version title besides the desk (a message box, the about box);
# prints its id.
other_window() {
    local id
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -v "^$desk\$" | tail -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

window_pos() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^[XY]=//p' | tr '\n' ' '; }

type_into() { # window, text
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
}

click_desk() { # desk window, x, y (desk coordinates)
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.05
    xdotool click 1
}

start_program() {
    (cd "$work" && exec "$app/quillory") >"$work/program.log" 2>&1 &
    app_pid=$!
}

wait_program_end() { # seconds; sets program_status
    local limit=$1
    for _ in $(seq 1 $((limit * 20))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid"
            program_status=$?
            app_pid=""
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Logs in with a name; answers the creation question with Yes when it comes.
login_as() {
    local prompt
    prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    shot login-prompt
    type_into "$prompt" "$1"
    xdotool key Return
}

# Logs in with a name not known yet, answers the creation question with Yes and sets $desk.
login_new_user() { # name
    login_as "$1" || return 1
    local question
    question=$(wait_window "^$title\$" 10) || { fail "no creation question"; return 1; }
    shot creation-question
    xdotool windowfocus "$question" 2>/dev/null
    xdotool key Return
    desk=$(desk_window) || { fail "no desk after login"; return 1; }
}

# Sets a password on the desk through the closed padlock: the warning question, then the
# dialog with the password typed twice.
set_password() { # password
    local question dialog
    click_desk "$desk" 144 170
    question=$(other_window) || { fail "no warning question"; return 1; }
    shot password-question
    xdotool windowfocus "$question" 2>/dev/null
    xdotool key Return
    dialog=$(wait_window "^Paßworteingabe\$" 10) || { fail "no password dialog"; return 1; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    sleep 0.2
    xdotool type --delay 20 "$1"
    xdotool key Tab
    xdotool type --delay 20 "$1"
    shot password-dialog
    xdotool key Return
    wait_window_count "^Paßworteingabe\$" 0 10 || { fail "password dialog stayed open"; return 1; }
}

# --- scenarios ---------------------------------------------------------------------------
scenario_cancel_login() {
    start_program
    local prompt
    prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    xdotool windowfocus "$prompt" 2>/dev/null
    xdotool key Escape
    wait_program_end 10 || { fail "program still running after Cancel"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    [ -z "$(ls "$app"/*.qlr 2>/dev/null)" ] || { fail "a document was written"; return 1; }
}

scenario_new_user_desk() {
    start_program
    login_new_user "Hans" || return 1
    sleep 0.3
    shot desk
    [ -e "$app/Hans.qlr" ] || { fail "Hans.qlr not reserved"; return 1; }
    grep -q 'NAME=Hans' "$HOME/.config/Quillory/Quillory.Ini" ||
        { fail "last user not recorded"; return 1; }
}

scenario_drag() {
    local before after bx by ax ay
    before=$(window_pos "$desk")
    read -r bx by <<<"$before"
    # A point on the background, away from every hot spot.
    xdotool mousemove --window "$desk" 330 90
    xdotool mousedown 1
    for step in 1 2 3 4 5; do
        xdotool mousemove --window "$desk" $((330 + step * 8)) $((90 + step * 6))
        sleep 0.03
    done
    xdotool mouseup 1
    sleep 0.2
    after=$(window_pos "$desk")
    read -r ax ay <<<"$after"
    [ "$ax" != "$bx" ] || [ "$ay" != "$by" ] || { fail "desk did not move ($before)"; return 1; }
    shot desk-dragged
}

scenario_hover_press_about() {
    # Information hot spot: highlighted under the mouse, then the about box.
    xdotool mousemove --window "$desk" 484 247
    sleep 0.2
    shot desk-highlighted
    xdotool click 1
    local about
    about=$(other_window) || { fail "no about box"; return 1; }
    sleep 0.2
    shot about-box
    # The about box set aside: the information hot spot stays pressed while it is open.
    xdotool windowmove --sync "$about" 0 0 2>/dev/null || xdotool windowmove "$about" 0 0
    sleep 0.2
    shot desk-pressed
    xdotool windowfocus "$about" 2>/dev/null
    xdotool key Return
    wait_window_count "^$title\$" 1 10 || { fail "about box did not close"; return 1; }
}

scenario_help() {
    click_desk "$desk" 466 170
    local help
    help=$(wait_window "^Quillory Hilfe\$" 10) || { fail "no help window"; return 1; }
    sleep 0.3
    shot help
    # Out of the way again, as a person would put the help window aside.
    xdotool windowunmap --sync "$help"
}

scenario_exit_writes_document() {
    click_desk "$desk" 468 323
    wait_program_end 10 || { fail "program did not end after exit"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    [ -s "$app/Hans.qlr" ] || { fail "document Hans.qlr not written"; return 1; }
}

scenario_second_start_opens_document() {
    start_program
    login_as "Hans" || return 1
    desk=$(desk_window) || { fail "no desk for the existing user"; return 1; }
    click_desk "$desk" 468 323
    wait_program_end 10 || { fail "program did not end"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
}

run() {
    current=$1
    if "scenario_$1"; then
        echo "e2e: ok   $1"
        passes=$((passes + 1))
    else
        failures=$((failures + 1))
        # A program left behind by a failed scenario is not the next one's.
        if [ -n "$app_pid" ]; then
            kill "$app_pid" 2>/dev/null
            wait "$app_pid" 2>/dev/null
            app_pid=""
        fi
        echo "e2e: program output:" >&2
        cat "$work/program.log" >&2
    fi
}

start_xvfb || exit 1
desk=""
program_status=""
run cancel_login
run new_user_desk
if [ -n "$desk" ] && [ -n "$app_pid" ]; then
    run drag
    run hover_press_about
    run help
    run exit_writes_document
fi
run second_start_opens_document
# Further scenarios (forms, password, backup) are added here as run <name>.
for extra in "$here"/scenarios/*.sh; do
    [ -e "$extra" ] || continue
    # shellcheck source=/dev/null
    . "$extra"
done

echo "e2e: $passes passed, $failures failed"
[ "$failures" = 0 ]
