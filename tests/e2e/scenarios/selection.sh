# A masked field keeps its secret out of the X selection: selecting in it sets no PRIMARY that a
# middle click could paste elsewhere, a copy goes to the clipboard with the secret hint, and
# what the form put into PRIMARY leaves with the form.

sel_primary_is() { [ "$(xclip -o -selection primary 2>/dev/null)" = "$1" ]; }

scenario_secret_selection() {
    add_user "Auswahl" || return 1
    start_program
    login_existing "Auswahl" || return 1
    open_form "12:Persönliches:0:306:142" >/dev/null || { fail "form did not open"; return 1; }
    type_field "Mustermann" || { fail "typing failed"; return 1; }
    xdotool key ctrl+a
    wait_until 3 sel_primary_is "Mustermann" || { fail "no PRIMARY from a plain field"; return 1; }
    press_tabs 3 # "Pin:", masked
    type_field "Pin-8642" || { fail "typing into the PIN failed"; return 1; }
    [ "$(xclip -o -selection clipboard -t x-kde-passwordManagerHint 2>/dev/null)" = secret ] ||
        { fail "the copied PIN has no secret hint"; return 1; }
    xdotool key ctrl+a End shift+Home
    sleep 0.5
    ! sel_primary_is "Pin-8642" || { fail "the PIN is in PRIMARY"; return 1; }
    xdotool key shift+Tab shift+Tab shift+Tab ctrl+a
    wait_until 3 sel_primary_is "Mustermann" || { fail "no PRIMARY from the plain field"; return 1; }
    xdotool key Escape
    wait_window_count '^Persönliches$' 0 10 || { fail "form did not close"; return 1; }
    wait_until 3 sel_primary_is "" || { fail "PRIMARY still set after the form closed"; return 1; }
    exit_program
}
