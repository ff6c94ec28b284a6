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
    click_desk "$desk" 468 323
    wait_program_end 15 || { fail "program did not end"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
}

scenario_password_asked() {
    start_program
    login_as "Geschuetzt" || return 1
    shot password-prompt-pending
    answer_prompt "falsch" || { fail "no password prompt"; return 1; }
    answer_prompt "$pw_secret" || { fail "the prompt did not come back after a wrong password"; return 1; }
    desk=$(desk_window) || { fail "no desk after the right password"; return 1; }
    # Remove the password: no question, no message.
    click_desk "$desk" 126 247
    sleep 1
    wait_window_count "^$title\$" 1 20 || { fail "a message after removing"; return 1; }
    click_desk "$desk" 468 323
    wait_program_end 15 || { fail "program did not end"; return 1; }
}

scenario_password_removed() {
    start_program
    login_as "Geschuetzt" || return 1
    desk=$(desk_window) || { fail "no desk"; return 1; }
    [ -z "$(xdotool search --onlyvisible --name "$pw_prompt" 2>/dev/null)" ] ||
        { fail "a password prompt after removing"; return 1; }
    click_desk "$desk" 468 323
    wait_program_end 15 || { fail "program did not end"; return 1; }
}

run password_set
run password_asked
run password_removed
