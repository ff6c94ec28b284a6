# The desk without a mouse: log in, open the doctors form by its key, type a name, confirm, leave
# by the exit key; the document holds the name. Window titles as the window system sees them.
# Then what a screen reader sees, read through AT-SPI on a private D-Bus session.

# WM_NAME and _NET_WM_NAME of a window, both exactly the expected title.
check_titles() { # window, title
    local wm net
    wm=$(xprop -id "$1" WM_NAME | sed -n 's/^WM_NAME([A-Z0-9_]*) = "\(.*\)"$/\1/p')
    net=$(xprop -id "$1" _NET_WM_NAME | sed -n 's/^_NET_WM_NAME([A-Z0-9_]*) = "\(.*\)"$/\1/p')
    [ "$wm" = "$2" ] && [ "$net" = "$2" ] ||
        { fail "titles '$wm' / '$net', not '$2'"; return 1; }
}

scenario_keyboard_only() {
    # The pointer rests in a corner, off every window: keys alone work the program.
    xdotool mousemove 0 0
    start_program
    local prompt question form box
    prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    check_titles "$prompt" "$title" || return 1
    wait_focus "$prompt" || { fail "the login prompt has no focus"; return 1; }
    xdotool type --delay 20 "Tasten"
    xdotool key Return
    question=$(other_window "$prompt") || { fail "no creation question"; return 1; }
    xdotool key Return
    desk=$(desk_window) || { fail "no desk"; return 1; }
    check_titles "$desk" "$title" || return 1
    wait_focus "$desk" || { fail "the desk has no focus"; return 1; }
    # Tab shows the focus on the first hot spot; six more reach the doctors' card.
    screen_mark
    xdotool key Tab
    wait_screen_change || { fail "Tab shows no focus"; return 1; }
    shot desk-keyboard-focus
    # "Paßwort löschen" by its key: a message box with the version title, closed by Enter.
    xdotool key l
    box=$(other_window) || { fail "no message box"; return 1; }
    check_titles "$box" "$title" || return 1
    xdotool key Return
    wait_window_count "^$title\$" 1 10 || { fail "message box did not close"; return 1; }
    wait_focus "$desk" || { fail "the desk did not get the focus back"; return 1; }
    xdotool key a
    form=$(wait_window "^Ärzte\$" 10) || { fail "doctors form did not open by its key"; return 1; }
    check_titles "$form" "Ärzte" || return 1
    wait_focus "$form" || { fail "the form has no focus"; return 1; }
    # From OK past Abbruch to the first field.
    xdotool key Tab Tab
    type_field "Dr. Tastenreich" || { fail "typing failed"; return 1; }
    xdotool key Return
    wait_window_count "^Ärzte\$" 0 10 || { fail "form did not close"; return 1; }
    wait_focus "$desk" || { fail "the desk did not get the focus back"; return 1; }
    shot desk-keyboard-after-form
    xdotool key e
    wait_program_end 10 || { fail "program did not end by its key"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    grep -q "Dr. Tastenreich" "$app/Tasten.qlr" || { fail "document lacks the name"; return 1; }
}

# The accessibility tree, on a D-Bus session of its own with the AT-SPI bus started on demand.
# Debian's python3-pyatspi belongs to the system's Python, whatever else PATH offers first.
a11y_python=/usr/bin/python3
[ -x "$a11y_python" ] || a11y_python=python3

a11y_check() { # desk|form|password: the tree is kept beside the screenshots
    "$a11y_python" "$here/a11y-tree.py" "$1" 20 >>"$work/a11y.txt" 2>&1
    local status=$?
    cp "$work/a11y.txt" "$shots/a11y-tree.txt" 2>/dev/null
    [ $status = 0 ] || { cat "$work/a11y.txt"; fail "accessibility tree of the $1 incomplete"; }
}

# Every form by its key: Tab reaches each field, each with a name of its own; in Persönliches
# the fields come row by row as drawn.
a11y_tab_walks() {
    local entry key title rows form
    for entry in "a:Ärzte" "b:Bankgeschäfte" "d:Frei definierbare Felder" "o:Online" \
        "p:Persönliches:rows" "f:Fahrzeugschein/brief" "n:Seriennummern" \
        "s:Softwareregistrierung" "w:Wichtige Nummern"; do
        IFS=: read -r key title rows <<<"$entry"
        xdotool key "$key"
        form=$(wait_window "^$title\$" 10) || { fail "$title did not open"; return 1; }
        wait_focus "$form" || { fail "$title has no focus"; return 1; }
        "$a11y_python" "$here/a11y-tree.py" tab "$title" "${rows:-all}" 20 >>"$work/a11y.txt" 2>&1 ||
            { cp "$work/a11y.txt" "$shots/a11y-tree.txt" 2>/dev/null; tail -3 "$work/a11y.txt"
              fail "Tab order of $title"; return 1; }
        xdotool key Escape
        wait_window_count "^$title\$" 0 10 || { fail "$title did not close"; return 1; }
        wait_focus "$desk" || { fail "the desk did not get the focus back"; return 1; }
    done
    cp "$work/a11y.txt" "$shots/a11y-tree.txt" 2>/dev/null
    grep '^a11y: .*fields in Tab order' "$work/a11y.txt" | sed 's/: [^:]*|.*//'
}

scenario_screen_reader() {
    "$a11y_python" -c 'import pyatspi' 2>/dev/null || { fail "python3-pyatspi missing"; return 1; }
    start_session_bus || { fail "no session bus"; return 1; }
    # The accessibility bus: started by D-Bus activation, or by hand where that is missing.
    local launcher form
    for launcher in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
        if [ -x "$launcher" ]; then
            "$launcher" --launch-immediately >"$work/a11y-bus.log" 2>&1 &
            on_exit "kill $!"
            break
        fi
    done
    wait_until 10 bus_has_name org.a11y.Bus || { fail "no accessibility bus"; return 1; }
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 start_program
    login_new_user "Leser" || return 1
    a11y_check desk || return 1
    xdotool key a
    form=$(wait_window "^Ärzte\$" 10) || { fail "doctors form did not open"; return 1; }
    a11y_check form || return 1
    xdotool key Escape
    wait_window_count "^Ärzte\$" 0 10 || { fail "form did not close"; return 1; }
    wait_focus "$desk" || { fail "the desk did not get the focus back"; return 1; }
    xdotool key v
    other_window >/dev/null || { fail "no warning question"; return 1; }
    xdotool key Return
    wait_window "^Paßworteingabe\$" 10 >/dev/null || { fail "no password dialog"; return 1; }
    a11y_check password || return 1
    xdotool key Escape
    wait_window_count "^Paßworteingabe\$" 0 10 || { fail "password dialog did not close"; return 1; }
    wait_focus "$desk" || { fail "the desk did not get the focus back"; return 1; }
    a11y_tab_walks || return 1
    xdotool key e
    wait_program_end 10 || { fail "program did not end by its key"; return 1; }
}
