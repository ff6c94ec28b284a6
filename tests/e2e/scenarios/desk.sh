# The login and the desk: cancelling the login, a new user's desk, dragging it, a hot spot
# under the mouse and pressed, the help, leaving, and the next start with the document.

scenario_cancel_login() {
    start_program
    local prompt
    prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    focus_window "$prompt"
    xdotool key Escape
    wait_program_end 10 || { fail "program still running after Cancel"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    [ -z "$(ls "$app"/*.qlr 2>/dev/null)" ] || { fail "a document was written"; return 1; }
}

scenario_new_user_desk() {
    start_program
    login_new_user "Hans" || return 1
    shot desk
    [ -e "$app/Hans.qlr" ] || { fail "Hans.qlr not reserved"; return 1; }
    grep -q 'NAME=Hans' "$HOME/.config/Quillory/Quillory.Ini" ||
        { fail "last user not recorded"; return 1; }
}

desk_moved_from() { [ "$(window_pos "$desk")" != "$1" ]; }

scenario_drag() {
    needs new_user_desk || return 1
    local before step
    before=$(window_pos "$desk")
    # A point on the background, away from every hot spot; the steps paced as a hand moves.
    xdotool mousemove --window "$desk" 330 90
    xdotool mousedown 1
    for step in 1 2 3 4 5; do
        xdotool mousemove --window "$desk" $((330 + step * 8)) $((90 + step * 6))
        sleep 0.03
    done
    xdotool mouseup 1
    wait_until 5 desk_moved_from "$before" || { fail "desk did not move ($before)"; return 1; }
    shot desk-dragged
}

scenario_hover_press_about() {
    needs new_user_desk || return 1
    # Information hot spot: highlighted under the mouse, then the about box.
    screen_mark
    xdotool mousemove --window "$desk" 484 247
    wait_screen_change || { fail "no highlight under the mouse"; return 1; }
    shot desk-highlighted
    xdotool click 1
    local about
    about=$(other_window) || { fail "no about box"; return 1; }
    shot about-box
    # The about box set aside: the information hot spot stays pressed while it is open.
    xdotool windowmove --sync "$about" 0 0 2>/dev/null || xdotool windowmove "$about" 0 0
    shot desk-pressed
    focus_window "$about"
    xdotool key Return
    wait_window_count "^$title\$" 1 10 || { fail "about box did not close"; return 1; }
}

scenario_help() {
    needs new_user_desk || return 1
    click_desk "$desk" 466 170
    local help
    help=$(wait_window "^Quillory Hilfe\$" 10) || { fail "no help window"; return 1; }
    shot help
    # Out of the way again, as a person would put the help window aside.
    xdotool windowunmap --sync "$help"
}

scenario_exit_writes_document() {
    needs new_user_desk || return 1
    exit_program || return 1
    [ -s "$app/Hans.qlr" ] || { fail "document Hans.qlr not written"; return 1; }
}

scenario_second_start_opens_document() {
    add_user "Hans" || return 1
    start_program
    login_existing "Hans" || return 1
    exit_program
}
