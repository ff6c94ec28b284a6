# Deadlines: a user's card, warranty and TÜV dates, past, near and far. After the next login the
# overview opens by itself over the desk, soonest first with its marks; Enter opens the form at
# the field of the row; a screen reader hears the list and each row with its mark.

fr_title="^Fristen\$"
# AT-SPI through the system's Python, as the keyboard scenarios do.
fr_python=/usr/bin/python3
[ -x "$fr_python" ] || fr_python=python3

# A date days from today in a strftime format.
fr_day() { date -d "$1 days" "+$2"; }

# Opens a form by its desk key, tabs to a field and types the text there, then OK.
fr_fill() { # key, caption, tabs, text [, tabs, text ...]
    local key=$1 caption=$2 form
    shift 2
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key "$key"
    form=$(wait_window "^$caption\$" 10) || { fail "form $caption did not open"; return 1; }
    xdotool windowfocus --sync "$form" 2>/dev/null
    sleep 0.2
    while [ $# -ge 2 ]; do
        press_tabs "$1"
        type_field "$2" || { fail "$caption: typing failed"; return 1; }
        shift 2
    done
    shot "fristen-filled-$key"
    xdotool key Return
    wait_window_count "^$caption\$" 0 10 || { fail "form $caption did not close"; return 1; }
}

scenario_fristen_overview() {
    start_program
    login_new_user "Termine" || return 1
    # Bankgeschäfte: first card expired 12 days ago; from there to the second credit card's
    # holder and date (opened by its key, the form starts at field 100).
    fr_fill b "Bankgeschäfte" 8 "$(fr_day -12 %d.%m.%Y)" 11 "Anna Beispiel" 1 \
        "$(fr_day 40 %d.%m.%y)" || return 1
    # Seriennummern: the television's warranty, far off, as month and year.
    fr_fill n "Seriennummern" 3 "$(fr_day 800 %m/%Y)" || return 1
    # Fahrzeugschein/brief: TÜV in 10 days (field 142).
    fr_fill f "Fahrzeugschein/brief" 42 "$(fr_day 10 %-d.%-m.%Y)" || return 1
    xdotool key e
    wait_program_end 10 || { fail "program did not end"; return 1; }

    start_program
    login_as "Termine" || return 1
    local overview
    overview=$(wait_window "$fr_title" 15) || { fail "the overview did not open at login"; return 1; }
    xdotool windowfocus --sync "$overview" 2>/dev/null
    sleep 0.5
    shot fristen-overview
    # The row order is checked as a screen reader hears it, below; Enter on the second row
    # (the TÜV) opens its form at its field.
    xdotool key Down Return
    local form
    form=$(wait_window "^Fahrzeugschein/brief\$" 10) || { fail "Enter opened no form"; return 1; }
    sleep 0.3
    shot fristen-form-at-field
    [ "$(focused_text)" = "$(fr_day 10 %-d.%-m.%Y)" ] ||
        { fail "the form is not at the TÜV field: '$(focused_text)'"; return 1; }
    xdotool key Escape
    wait_window_count "^Fahrzeugschein/brief\$" 0 10 || { fail "form did not close"; return 1; }
    xdotool windowfocus --sync "$overview" 2>/dev/null
    xdotool key Escape
    wait_window_count "$fr_title" 0 10 || { fail "overview did not close"; return 1; }
    # Once a day: a second login today leaves it closed.
    xdotool key e
    wait_program_end 10 || { fail "program did not end"; return 1; }
    start_program
    login_as "Termine" || return 1
    desk=$(desk_window) || { fail "no desk"; return 1; }
    sleep 1
    [ -z "$(xdotool search --onlyvisible --name "$fr_title" 2>/dev/null)" ] ||
        { fail "the overview opened twice in a day"; return 1; }
    grep -q '^FRISTVORLAUF=60$' "$HOME/.config/Quillory/Quillory.Ini" ||
        { fail "lead time not written"; return 1; }
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key e
    wait_program_end 10 || { fail "program did not end"; return 1; }
}

# The overview as a screen reader hears it: the list, rows in date order with their marks.
scenario_fristen_screen_reader() {
    needs fristen_overview || return 1
    command -v dbus-run-session >/dev/null && "$fr_python" -c 'import pyatspi' 2>/dev/null ||
        { fail "dbus-run-session or python3-pyatspi missing"; return 1; }
    QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QUILLORY_APP="$app/quillory" WORK="$work" \
        A11Y="$here/a11y-tree.py" PY="$fr_python" dbus-run-session -- bash -c '
        set -u
        for launcher in /usr/libexec/at-spi-bus-launcher /usr/lib/at-spi2-core/at-spi-bus-launcher; do
            if [ -x "$launcher" ]; then "$launcher" --launch-immediately & break; fi
        done
        sleep 1
        (cd "$WORK" && exec "$QUILLORY_APP") >"$WORK/a11y-program.log" 2>&1 &
        pid=$!
        ok=0
        wait_name() { for _ in $(seq 1 100); do xdotool search --onlyvisible --name "$1" >/dev/null 2>&1 && return 0; sleep 0.1; done; return 1; }
        wait_name "^Quillory Version 1.0\$" && xdotool type --delay 20 "Termine" && xdotool key Return &&
        sleep 1 && xdotool key t && wait_name "^Fristen\$" && sleep 0.5 &&
        "$PY" "$A11Y" fristen 20 && ok=1
        xdotool key Escape
        sleep 0.5
        xdotool key e
        for _ in $(seq 1 100); do kill -0 $pid 2>/dev/null || break; sleep 0.1; done
        kill $pid 2>/dev/null
        [ $ok = 1 ]' >"$work/a11y-fristen.txt" 2>&1
    local status=$?
    cat "$work/a11y-fristen.txt"
    cp "$work/a11y-fristen.txt" "$shots/a11y-fristen.txt" 2>/dev/null
    [ $status = 0 ] || { fail "the overview is not read out completely"; return 1; }
    # Rows soonest first: expired card, TÜV, second credit card, television.
    local order
    order=$(grep -E '\] [^]]*Tag(e|en)?, ' "$work/a11y-fristen.txt" |
        grep -oE 'Bankgeschäfte|Fahrzeugschein/brief|Seriennummern' | tr '\n' '|')
    [ "$order" = "Bankgeschäfte|Fahrzeugschein/brief|Bankgeschäfte|Seriennummern|" ] ||
        { fail "rows not soonest first: $order"; return 1; }
}
