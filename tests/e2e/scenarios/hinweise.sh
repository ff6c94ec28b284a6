# Hints on the forms: a wrong account number beside a known bank code gets its hint in the line
# at the foot of "Persönliches"; OK stores the number exactly as typed. Uses the form helpers
# of forms.sh (focused_text, type_field, press_tabs).

hw_caption="^Persönliches\$"
hw_wrong="240334001" # one digit off an account that passes its bank's check
hw_blz="20210200"

# The text of the hint line at the form's foot: selected with a triple click, read back from
# the clipboard (or, where the copy did not arrive, from the primary selection).
hint_line_text() { # form window
    local h text
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^HEIGHT=')"
    h=$HEIGHT
    printf '' | xclip -selection clipboard
    xdotool mousemove --window "$1" 40 $((h - 8))
    sleep 0.05
    xdotool click --repeat 3 --delay 60 1
    xdotool key ctrl+c
    sleep 0.2
    text=$(xclip -o -selection clipboard 2>/dev/null)
    [ -n "$text" ] || text=$(xclip -o -selection primary 2>/dev/null)
    printf '%s' "$text"
}

hw_open_account() { # prints the form's window id, focus on "Kontonr.:" of the first bank
    # (Tab passes both mobiles' rows first)
    local form
    click_desk "$desk" 306 142
    form=$(wait_window "$hw_caption" 10) || return 1
    xdotool windowfocus --sync "$form" 2>/dev/null
    sleep 0.2
    press_tabs 9
    echo "$form"
}

scenario_hinweise_wrong_account() {
    start_program
    login_new_user "Hinweise" || return 1
    local form got
    form=$(hw_open_account) || { fail "Persönliches did not open"; return 1; }
    type_field "$hw_wrong" || { fail "typing the account failed"; return 1; }
    xdotool key Tab
    type_field "$hw_blz" || { fail "typing the bank code failed"; return 1; }
    xdotool key shift+Tab
    sleep 0.3
    shot hinweise-wrong-account
    got=$(hint_line_text "$form")
    [ "$got" = "Diese Kontonummer besteht die Prüfung ihrer Bank nicht." ] ||
        { fail "hint line: '$got'"; return 1; }
    xdotool key Return
    wait_window_count "$hw_caption" 0 10 || { fail "OK did not close the form"; return 1; }
    grep -q "$hw_wrong" "$app/Hinweise.qlr" || { fail "the account number is not stored"; return 1; }

    form=$(hw_open_account) || { fail "Persönliches did not open again"; return 1; }
    got=$(focused_text)
    [ "$got" = "$hw_wrong" ] || { fail "stored account: '$got'"; return 1; }
    xdotool key Escape
    wait_window_count "$hw_caption" 0 10 || { fail "Esc did not close the form"; return 1; }
    click_desk "$desk" 468 323
    wait_program_end 10 || { fail "program did not end"; return 1; }
}
