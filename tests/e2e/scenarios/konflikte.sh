# Two installations share one user's document, as two machines behind a sync engine: both
# change the same doctor's field, and the laptop's version is renamed over the PC's document
# while the PC runs. The PC lists the conflict at once; closed, the desk's "Konflikte" note is
# reached by Tab, Enter opens the list again, the laptop's value is taken and written.

kf_form="8:Ärzte:2:306:210"

kf_edit() { # value for the doctor's field two Tabs in
    open_form "$kf_form" >/dev/null || { fail "Ärzte did not open"; return 1; }
    press_tabs 2
    type_field "$1" || { fail "typing $1 failed"; return 1; }
    xdotool key Return
    wait_window_count "^Ärzte\$" 0 10 || { fail "Ärzte stayed open"; return 1; }
    focus_window "$desk"
}

kf_start() { # program folder
    app=$1 program="$1/quillory"
    start_program
    login_existing "Paar"
}

scenario_konflikte() {
    start_program
    login_new_user "Paar" || return 1
    kf_edit "Mo-Fr 8-12" || return 1
    exit_program || return 1
    local pc=$app laptop="$work/laptop" list
    cp -a "$pc" "$laptop"
    kf_start "$laptop" || return 1
    kf_edit "Mo-Do 8-18" || return 1
    exit_program || return 1
    kf_start "$pc" || return 1
    kf_edit "Di-Fr 9-12" || return 1
    cp "$laptop/Paar.qlr" "$pc/.Paar.qlr.tmp" && mv "$pc/.Paar.qlr.tmp" "$pc/Paar.qlr"
    list=$(wait_window "^Konflikte\$" 20) || { fail "the conflict was not listed"; return 1; }
    focus_window "$list"
    xdotool key Escape
    wait_window_count "^Konflikte\$" 0 10 || { fail "Konflikte stayed open"; return 1; }
    focus_window "$desk"
    # Frist, the two locks, Backup, then the note below them.
    press_tabs 5
    shot konflikte-note-focused
    xdotool key Return
    list=$(wait_window "^Konflikte\$" 10) || { fail "Enter on the note opened nothing"; return 1; }
    focus_window "$list"
    shot konflikte-list
    xdotool key alt+a # "Anderen Wert übernehmen"
    wait_window_count "^Konflikte\$" 0 3 || xdotool key Escape
    wait_window_count "^Konflikte\$" 0 10 || { fail "Konflikte stayed open"; return 1; }
    focus_window "$desk"
    shot konflikte-resolved
    exit_program || return 1
    grep -q "Mo-Do 8-18" "$pc/Paar.qlr" || { fail "the laptop's value was not written"; return 1; }
}
