# A masked field keeps its secret out of the X selection: selecting in it sets no PRIMARY that a
# middle click could paste elsewhere, a copy goes to the clipboard with the secret hint, and
# what the form put into PRIMARY leaves with the form.

sel_plain="Mustermann"
sel_secret="Pin-8642"

sel_primary() { xclip -o -selection primary 2>/dev/null; }
sel_primary_is() { [ "$(sel_primary)" = "$1" ]; }

scenario_secret_selection() {
    add_user "Auswahl" || return 1
    start_program
    login_existing "Auswahl" || return 1
    local form
    form=$(open_form "12:Persönliches:0:306:142") || { fail "form did not open"; return 1; }
    # A plain field: its selection is PRIMARY, as everywhere on X.
    type_field "$sel_plain" || { fail "typing failed"; return 1; }
    xdotool key ctrl+a
    wait_until 3 sel_primary_is "$sel_plain" || { fail "no PRIMARY from a plain field"; return 1; }
    # "Pin:", the fourth field, is masked.
    press_tabs 3
    type_field "$sel_secret" || { fail "typing into the PIN failed"; return 1; }
    [ "$(xclip -o -selection clipboard -t x-kde-passwordManagerHint 2>/dev/null)" = secret ] ||
        { fail "the copied PIN has no secret hint"; return 1; }
    xdotool key ctrl+a
    sleep 0.3
    xdotool key End shift+Home
    sleep 0.3
    ! sel_primary_is "$sel_secret" || { fail "the PIN is in PRIMARY"; return 1; }
    shot selection-pin
    # Back in the plain field, selected: PRIMARY again; closing the form takes it along.
    xdotool key shift+Tab shift+Tab shift+Tab ctrl+a
    wait_until 3 sel_primary_is "$sel_plain" || { fail "no PRIMARY from the plain field"; return 1; }
    xdotool key Escape
    wait_window_count '^Persönliches$' 0 10 || { fail "form did not close"; return 1; }
    wait_until 3 sel_primary_is "" || { fail "PRIMARY still '$(sel_primary)' after the form"; return 1; }
    exit_program
}
