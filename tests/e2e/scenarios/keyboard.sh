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
    xdotool type --delay 20 "Tasten"
    xdotool key Return
    question=$(wait_window "^$title\$" 10) || { fail "no creation question"; return 1; }
    xdotool key Return
    desk=$(desk_window) || { fail "no desk"; return 1; }
    sleep 0.3
    check_titles "$desk" "$title" || return 1
    # Tab shows the focus on the first hot spot; six more reach the doctors' card.
    xdotool key Tab
    sleep 0.2
    shot desk-keyboard-focus
    # "Paßwort löschen" by its key: a message box with the version title, closed by Enter.
    xdotool key l
    box=$(other_window) || { fail "no message box"; return 1; }
    check_titles "$box" "$title" || return 1
    xdotool key Return
    wait_window_count "^$title\$" 1 10 || { fail "message box did not close"; return 1; }
    xdotool key a
    form=$(wait_window "^Ärzte\$" 10) || { fail "doctors form did not open by its key"; return 1; }
    check_titles "$form" "Ärzte" || return 1
    sleep 0.2
    # From OK past Abbruch to the first field.
    xdotool key Tab Tab
    type_field "Dr. Tastenreich" || { fail "typing failed"; return 1; }
    xdotool key Return
    wait_window_count "^Ärzte\$" 0 10 || { fail "form did not close"; return 1; }
    sleep 0.2
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

scenario_screen_reader() {
    command -v dbus-run-session >/dev/null && "$a11y_python" -c 'import pyatspi' 2>/dev/null ||
        { fail "dbus-run-session or python3-pyatspi missing"; return 1; }
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QUILLORY_APP="$app/quillory" WORK="$work" \
        A11Y="$here/a11y-tree.py" PY="$a11y_python" dbus-run-session -- bash -c '
        set -u
        # The accessibility bus: started by D-Bus activation, or by hand where that is missing.
        for launcher in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
            if [ -x "$launcher" ]; then "$launcher" --launch-immediately & break; fi
        done
        sleep 1
        (cd "$WORK" && exec "$QUILLORY_APP") >"$WORK/a11y-program.log" 2>&1 &
        pid=$!
        ok=0
        wait_name() { for _ in $(seq 1 100); do xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
        wait_name "^Quillory Version 1.0\$" && xdotool type --delay 20 "Leser" && xdotool key Return &&
        sleep 1 && xdotool key Return && sleep 1 &&
        "$PY" "$A11Y" desk 20 && xdotool key a && wait_name "^Ärzte\$" && sleep 0.5 &&
        "$PY" "$A11Y" form 20 && xdotool key Escape && sleep 0.5 &&
        xdotool key v && sleep 1 && xdotool key Return && wait_name "^Paßworteingabe\$" && sleep 0.5 &&
        "$PY" "$A11Y" password 20 && ok=1
        xdotool key Escape
        sleep 0.5
        xdotool key e
        for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        kill $pid 2>/dev/null
        [ $ok = 1 ]' >"$work/a11y.txt" 2>&1
    local status=$?
    cat "$work/a11y.txt"
    cp "$work/a11y.txt" "$shots/a11y-tree.txt" 2>/dev/null
    [ $status = 0 ] || { fail "accessibility tree incomplete"; return 1; }
}

run keyboard_only
run screen_reader
