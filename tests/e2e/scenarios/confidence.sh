# Daily confidence under a window manager: a PIN masked once the focus moves on and shown by the
# eye (Ctrl+H), stored as typed; a new user's first backup without choosing a file; the key L
# on a protected desk asks, and No keeps the protection for the next start.

cf_user="Vertrauen" cf_pin="4711-Quill9" cf_secret="Vorsicht5"

# The top third of a window: the fields, not the eye button beside OK.
cf_top() { import -window "$1" "$2" 2>/dev/null && mogrify -gravity North -crop 100%x33%+0+0 +repage "$2"; }

# Waits until that picture differs from, or equals, a reference; leaves it in $4.
cf_wait_picture() { # window, reference, differs|equals, output
    local n
    for _ in $(seq 1 100); do
        cf_top "$1" "$4"
        n=$(compare -metric AE "$2" "$4" null: 2>&1 | sed 's/[^0-9].*//')
        { [ "$3" = differs ] && [ "${n:-0}" -gt 0 ]; } || { [ "$3" = equals ] && [ "${n:-1}" = 0 ]; } &&
            return 0
        sleep 0.05
    done
    return 1
}

scenario_secret_pin_masked() {
    start_program
    login_new_user "$cf_user" || return 1
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key p
    local form masked="$work/cf-masked.png" now="$work/cf-now.png"
    form=$(wait_window "^Persönliches\$" 10) || { fail "no form"; return 1; }
    xdotool windowfocus --sync "$form" 2>/dev/null
    sleep 0.3
    # From the name (field 100) to the first "Pin:"; then back past the first field to the eye
    # button, last in the tab order, where no caret blinks.
    xdotool key Tab Tab Tab
    xdotool type --delay 20 "$cf_pin"
    shot secret-pin-focused
    xdotool key shift+Tab shift+Tab shift+Tab shift+Tab
    sleep 0.3
    cf_top "$form" "$masked"
    xdotool key ctrl+h
    cf_wait_picture "$form" "$masked" differs "$now" || { fail "Ctrl+H showed nothing"; return 1; }
    xdotool key space
    cf_wait_picture "$form" "$masked" equals "$now" || { fail "the eye did not mask"; return 1; }
    xdotool key space
    cf_wait_picture "$form" "$masked" differs "$now" || { fail "the eye showed nothing"; return 1; }
    xdotool key Tab Return
    wait_window_count "^Persönliches\$" 0 10 || { fail "form did not close"; return 1; }
    grep -qF "$cf_pin" "$app/$cf_user.qlr" || { fail "the document lacks the typed PIN"; return 1; }
}

scenario_first_backup_finds_the_document() {
    needs secret_pin_masked || return 1
    rm -f "$app/Backup.Ini" # a household that never backed up
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key k
    local dialog copy
    dialog=$(wait_window "^Backup-Dialog\$" 10) || { fail "no backup dialog"; return 1; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    sleep 0.3
    shot first-backup-dialog
    # "Starten" at dialog units 51, 204 (50 x 14) of 262 x 220.
    eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(WIDTH|HEIGHT)=')"
    xdotool mousemove --window "$dialog" $((76 * WIDTH / 262)) $((211 * HEIGHT / 220)) click 1
    bk_result first-backup-result || return 1
    wait_window_count "^Backup-Dialog\$" 0 20 || { fail "backup dialog stayed open"; return 1; }
    copy=$(find "$HOME/Quillory-Sicherung" -name "$cf_user.qlr" 2>/dev/null | head -n1)
    [ -n "$copy" ] && cmp -s "$copy" "$app/$cf_user.qlr" || { fail "no copy of the document"; return 1; }
    grep -qF "$app/$cf_user.qlr" "$app/Backup.Ini" || { fail "the list was not kept"; return 1; }
}

scenario_remove_key_asks() {
    needs secret_pin_masked || return 1
    set_password "$cf_secret" || return 1
    wait_window_count "^$title\$" 1 20 || { fail "a message after setting the password"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key l
    local question prompt
    question=$(other_window) || { fail "no question after the key L"; return 1; }
    sleep 0.3
    shot remove-key-question
    xdotool windowfocus --sync "$question" 2>/dev/null
    xdotool key Return # No, the default answer
    wait_window_count "^$title\$" 1 10 || { fail "the question stayed"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key e
    wait_program_end 15 || { fail "program did not end"; return 1; }
    start_program
    login_as "$cf_user" || return 1
    prompt=$(wait_window "^Geben Sie das Paßwort ein!\$" 60) || { fail "protection lost"; return 1; }
    type_into "$prompt" "$cf_secret"
    xdotool key Return
    desk=$(desk_window) || { fail "no desk after the password"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key e
    wait_program_end 15 || { fail "program did not end"; return 1; }
}
