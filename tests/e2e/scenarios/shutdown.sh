# Ending from outside: a confirmed value survives SIGTERM (which closes an open form without
# storing it, ends with status 0 and removes the working files) and SIGKILL right after OK.

shutdown_form="12:Persönliches:0:306:142"

# Opens the personal data form, types a value into its first field; Return confirms when $2 is
# "ok", otherwise the form stays open.
shutdown_type_value() { # value, ok|open
    local form
    form=$(open_form "$shutdown_form") || { fail "form did not open"; return 1; }
    type_field "$1" || { fail "typing failed"; return 1; }
    if [ "$2" = ok ]; then
        xdotool key Return
        wait_window_count "^Persönliches\$" 0 10 || { fail "form did not close"; return 1; }
    fi
}

scenario_sigterm_after_ok() {
    local tmp="$work/tmp-sigterm"
    mkdir -p "$tmp"
    TMPDIR="$tmp" start_program
    login_new_user "Signal" || return 1
    shutdown_type_value "Bestätigt vor TERM" ok || return 1
    shutdown_type_value "Nicht bestätigt" open || return 1
    kill -TERM "$app_pid"
    wait_program_end 2 || { fail "still running 2 s after SIGTERM"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    grep -q "Bestätigt vor TERM" "$app/Signal.qlr" || { fail "confirmed value not in document"; return 1; }
    ! grep -q "Nicht bestätigt" "$app/Signal.qlr" || { fail "unconfirmed value stored"; return 1; }
    # Qt keeps its runtime folder there when XDG_RUNTIME_DIR is not set.
    local left
    left=$(ls -A "$tmp" | grep -v '^runtime-')
    [ -z "$left" ] || { fail "working files left: $left"; return 1; }
}

scenario_sigkill_after_ok() {
    add_user "Signal" || return 1
    start_program
    login_existing "Signal" || return 1
    shutdown_type_value "Bestätigt vor KILL" ok || return 1
    kill -KILL "$app_pid"
    wait_program_end 5 || { fail "SIGKILL did not end the program"; return 1; }

    start_program
    login_existing "Signal" || return 1
    local form got
    form=$(open_form "$shutdown_form") || { fail "form did not open"; return 1; }
    got=$(focused_text)
    [ "$got" = "Bestätigt vor KILL" ] || { fail "next start shows '$got'"; return 1; }
    xdotool key Escape
    wait_window_count "^Persönliches\$" 0 10 || { fail "form did not close"; return 1; }
    exit_program
}
