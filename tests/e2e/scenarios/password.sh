# Password protection: set on a new user, the next start asks (a wrong password, then the
# right one), the password removed, and the start after that asks nothing.

pw_prompt="^Geben Sie das Paßwort ein!\$"
pw_secret="Schluessel7"

# Answers the password prompt that is shown now with a text.
answer_prompt() {
    local prompt
    prompt=$(wait_window "$pw_prompt" 20) || return 1
    type_into "$prompt" "$1"
    xdotool key Return
    wait_window_count "$pw_prompt" 0 10
}

scenario_password_set() {
    start_program
    login_new_user "Geschuetzt" || return 1
    set_password "$pw_secret" || return 1
    # The restructure runs with the hourglass; the desk is the only window afterwards.
    wait_window_count "^$title\$" 1 20 || { fail "a message after setting the password"; return 1; }
    exit_program 15
}

scenario_password_asked() {
    needs password_set || return 1
    start_program
    login_as "Geschuetzt" || return 1
    shot password-prompt-pending
    answer_prompt "falsch" || { fail "no password prompt"; return 1; }
    answer_prompt "$pw_secret" || { fail "the prompt did not come back after a wrong password"; return 1; }
    desk=$(desk_window) || { fail "no desk after the right password"; return 1; }
    # Remove the password: no question, no message; nothing to wait for but a while in which
    # a message would have come.
    click_desk "$desk" 126 247
    sleep 1
    wait_window_count "^$title\$" 1 20 || { fail "a message after removing"; return 1; }
    exit_program 15
}

scenario_password_removed() {
    needs password_asked || return 1
    start_program
    login_existing "Geschuetzt" || return 1
    [ -z "$(xdotool search --onlyvisible --name "$pw_prompt" 2>/dev/null)" ] ||
        { fail "a password prompt after removing"; return 1; }
    exit_program 15
}
