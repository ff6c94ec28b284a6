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
program="$app/quillory"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_CONFIG_HOME QT_QPA_PLATFORM
export LANG=C.UTF-8

# shellcheck source=session.sh
. "$here/session.sh"

cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
}
trap cleanup EXIT

# --- scenarios ---------------------------------------------------------------------------
failures=0
passes=0

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
