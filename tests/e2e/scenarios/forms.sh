# The nine category forms: each filled in through the keyboard, the program restarted, the
# values read back from the fields through the clipboard; a memo keeps its line break.

# command:caption:tabs from the initial focus to field 100:desk x:desk y
forms_table=(
    "12:Persönliches:0:306:142"
    "16:Wichtige Nummern:2:306:176"
    "8:Ärzte:2:306:210"
    "9:Bankgeschäfte:2:306:244"
    "15:Softwareregistrierung:2:306:278"
    "11:Online:2:306:312"
    "14:Seriennummern:2:306:346"
    "13:Fahrzeugschein/brief:2:306:380"
    "10:Frei definierbare Felder:2:306:414"
)

form_value() { echo "Wert$1-$2 Müßig"; } # command, field

scenario_forms_fill() {
    start_program
    login_new_user "Formen" || return 1
    local form row cmd caption tabs x y
    for row in "${forms_table[@]}"; do
        IFS=: read -r cmd caption tabs x y <<<"$row"
        form=$(open_form "$row") || { fail "form $caption did not open"; return 1; }
        press_tabs "$tabs"
        type_field "$(form_value "$cmd" 100)" || { fail "$caption: typing failed"; return 1; }
        xdotool key Tab
        type_field "$(form_value "$cmd" 101)" || { fail "$caption: typing failed"; return 1; }
        if [ "$cmd" = 12 ]; then
            # From field 101 to the memo 123 (the second mobile's fields on the way); Enter
            # there starts a new line.
            press_tabs 24
            xdotool type --delay 15 "Zeile eins"
            xdotool key Return
            xdotool type --delay 15 "Zeile zwei"
            # Past the second memo to a text field.
            press_tabs 2
        fi
        shot "form-filled-$cmd"
        # Enter in a text field confirms the form.
        xdotool key Return
        wait_window_count "^$caption\$" 0 10 || { fail "form $caption did not close"; return 1; }
        focus_window "$desk"
    done
    exit_program || return 1
    grep -q "Wert13-101" "$app/Formen.qlr" || { fail "document lacks a typed value"; return 1; }
}

scenario_forms_read_back() {
    needs forms_fill || return 1
    start_program
    login_existing "Formen" || return 1
    local form row cmd caption tabs x y got want
    for row in "${forms_table[@]}"; do
        IFS=: read -r cmd caption tabs x y <<<"$row"
        form=$(open_form "$row") || { fail "form $caption did not open"; return 1; }
        shot "form-read-$cmd"
        press_tabs "$tabs"
        got=$(focused_text)
        want=$(form_value "$cmd" 100)
        [ "$got" = "$want" ] || { fail "$caption field 100: '$got', not '$want'"; return 1; }
        xdotool key Tab
        got=$(focused_text)
        want=$(form_value "$cmd" 101)
        [ "$got" = "$want" ] || { fail "$caption field 101: '$got', not '$want'"; return 1; }
        if [ "$cmd" = 12 ]; then
            press_tabs 24
            got=$(focused_text)
            want=$'Zeile eins\nZeile zwei'
            [ "$got" = "$want" ] || { fail "memo: '$got'"; return 1; }
        fi
        xdotool key Escape
        wait_window_count "^$caption\$" 0 10 || { fail "form $caption did not close"; return 1; }
        focus_window "$desk"
    done
    exit_program
}
