# Daily confidence, under a window manager: a PIN is masked once the focus moves on and shown
# by the eye button (Ctrl+H) while the typed value is what is stored; a new user's first backup
# copies his document without a file chosen by hand; the key L on a protected desk asks first,
# and No keeps the protection for the next start.

cf_user="Vertrauen"
cf_pin="4711-Quill9"
cf_secret="Vorsicht5"
cf_wm_pid=""

# openbox for these scenarios, when no window manager runs yet.
cf_window_manager() {
    xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
    command -v openbox >/dev/null || return 0
    openbox >"$work/openbox.log" 2>&1 &
    cf_wm_pid=$!
    for _ in $(seq 1 100); do
        xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && return 0
        sleep 0.05
    done
}

# The top third of a window's picture (the fields, not the eye button beside OK).
cf_picture() {
    import -window "$1" "$2" 2>/dev/null &&
        convert "$2" -gravity North -crop 100%x33%+0+0 +repage "$2" 2>/dev/null
}

# Number of pixels in which two pictures differ.
cf_differ() { compare -metric AE "$1" "$2" null: 2>&1 | sed 's/[^0-9].*//'; }

# Waits (up to 5 s) until the window's picture differs from $2 (mode "differs") or equals it.
cf_wait_picture() { # window, reference, differs|equals, output
    local n
    for _ in $(seq 1 100); do
        cf_picture "$1" "$4"
        n=$(cf_differ "$2" "$4")
        if [ "$3" = differs ] && [ "${n:-0}" -gt 0 ]; then return 0; fi
        if [ "$3" = equals ] && [ "${n:-1}" = 0 ]; then return 0; fi
        sleep 0.05
    done
    return 1
}

scenario_secret_pin_masked() {
    cf_window_manager
    start_program
    login_new_user "$cf_user" || return 1
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key p
    local form
    form=$(wait_window "^Persönliches\$" 10) || { fail "no form"; return 1; }
    xdotool windowfocus --sync "$form" 2>/dev/null
    sleep 0.3
    # From the name (field 100) to the first "Pin:" (103); the typed text shows while focused.
    xdotool key Tab Tab Tab
    xdotool type --delay 20 "$cf_pin"
    shot secret-pin-focused
    # Backwards past the first field: the eye button, last in the tab order; no caret blinks.
    xdotool key shift+Tab shift+Tab shift+Tab shift+Tab
    local masked="$work/cf-masked.png" shown="$work/cf-shown.png" again="$work/cf-again.png"
    sleep 0.3
    cf_picture "$form" "$masked"
    cp "$masked" "$shots/secret-pin-masked.png"
    xdotool key ctrl+h
    cf_wait_picture "$form" "$masked" differs "$shown" || { fail "Ctrl+H showed nothing"; return 1; }
    cp "$shown" "$shots/secret-pin-shown.png"
    xdotool key space
    cf_wait_picture "$form" "$masked" equals "$again" ||
        { fail "the eye button did not mask again"; return 1; }
    xdotool key space
    cf_wait_picture "$form" "$masked" differs "$again" ||
        { fail "the eye button showed nothing"; return 1; }
    # To the first field, then Enter confirms the form.
    xdotool key Tab
    xdotool key Return
    wait_window_count "^Persönliches\$" 0 10 || { fail "form did not close"; return 1; }
    grep -qF "$cf_pin" "$app/$cf_user.qlr" || { fail "the document lacks the typed PIN"; return 1; }
}

scenario_first_backup_finds_the_document() {
    [ -n "$app_pid" ] || { fail "no program running"; return 1; }
    # A household that never backed up: no list yet.
    rm -f "$app/Backup.Ini"
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key k
    local dialog w h copy
    dialog=$(wait_window "^Backup-Dialog\$" 10) || { fail "no backup dialog"; return 1; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    sleep 0.3
    shot first-backup-dialog
    # "Starten" at dialog units 51, 204 (50 x 14) of 262 x 220.
    eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(WIDTH|HEIGHT)=')"
    w=$WIDTH h=$HEIGHT
    xdotool mousemove --window "$dialog" $((76 * w / 262)) $((211 * h / 220))
    xdotool click 1
    wait_window_count "^Backup-Dialog\$" 0 20 || { fail "backup dialog stayed open"; return 1; }
    copy=$(find "$HOME/Quillory-Sicherung" -name "$cf_user.qlr" 2>/dev/null | head -n1)
    [ -n "$copy" ] || { fail "no copy of the document"; return 1; }
    cmp -s "$copy" "$app/$cf_user.qlr" || { fail "the copy differs from the document"; return 1; }
    grep -qF "$app/$cf_user.qlr" "$app/Backup.Ini" || { fail "the list was not kept"; return 1; }
}

scenario_remove_key_asks() {
    [ -n "$app_pid" ] || { fail "no program running"; return 1; }
    set_password "$cf_secret" || return 1
    wait_window_count "^$title\$" 1 20 || { fail "a message after setting the password"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key l
    local question
    question=$(other_window) || { fail "no question after the key L"; return 1; }
    sleep 0.3
    shot remove-key-question
    # No is the default answer.
    xdotool windowfocus --sync "$question" 2>/dev/null
    xdotool key Return
    wait_window_count "^$title\$" 1 10 || { fail "the question stayed"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key e
    wait_program_end 15 || { fail "program did not end"; return 1; }
    start_program
    login_as "$cf_user" || return 1
    local prompt
    prompt=$(wait_window "^Geben Sie das Paßwort ein!\$" 60) ||
        { fail "no password asked: the protection was lost"; return 1; }
    type_into "$prompt" "$cf_secret"
    xdotool key Return
    desk=$(desk_window) || { fail "no desk after the password"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key e
    wait_program_end 15 || { fail "program did not end"; return 1; }
}

run secret_pin_masked
run first_backup_finds_the_document
run remove_key_asks
if [ -n "$cf_wm_pid" ]; then
    kill "$cf_wm_pid" 2>/dev/null
    wait "$cf_wm_pid" 2>/dev/null
fi
