# The search window: Strg+F on the desk, every form searched as the user types (an umlaut typed
# as "ue"), Enter opens the form at the found field; a secret field is found only with the tick
# box and is shown masked even then.

# Presses keys and prints what they put on the clipboard, waiting until something is there.
search_clipboard_after() {
    local got
    printf '' | xclip -selection clipboard
    xdotool key "$@"
    for _ in $(seq 1 100); do
        got=$(xclip -o -selection clipboard 2>/dev/null)
        [ -n "$got" ] && { printf '%s' "$got"; return 0; }
        sleep 0.05
    done
    return 1
}

# Puts a value into the focused field through the clipboard (umlauts arrive whole).
search_paste() {
    printf '%s' "$1" | xclip -selection clipboard
    xdotool key ctrl+a BackSpace ctrl+v
    [ "$(search_clipboard_after ctrl+a ctrl+c)" = "$1" ]
}

# Opens a form from its card, fills fields and confirms it. A field is clicked at its template
# rectangle (dialog units) scaled to the form's real size: neither fonts nor tab order matter.
search_fill() { # caption, desk x, desk y, template w, template h, then per field: x y cx cy value
    local caption=$1 tw=$4 th=$5 form WIDTH HEIGHT
    click_desk "$desk" "$2" "$3"
    form=$(wait_window "^$caption\$" 10) || { fail "form $caption did not open"; return 1; }
    xdotool windowfocus --sync "$form" 2>/dev/null
    eval "$(xdotool getwindowgeometry --shell "$form" | grep -E '^(WIDTH|HEIGHT)=')"
    shift 5
    while [ $# -ge 5 ]; do
        xdotool mousemove --window "$form" $((($1 + $3 / 2) * WIDTH / tw)) \
            $((($2 + $4 / 2) * HEIGHT / th)) click 1
        search_paste "$5" || { fail "$caption: '$5' not typed"; return 1; }
        shift 5
    done
    xdotool key Return
    wait_window_count "^$caption\$" 0 10 || { fail "form $caption did not close"; return 1; }
}

# Strg+F on the desk, the query typed, optionally the tick box ticked.
search_open() { # query, tick (yes|no)
    xdotool windowfocus --sync "$desk" 2>/dev/null
    xdotool key ctrl+f
    xdotool windowfocus --sync "$(wait_window "^Suchen\$" 10)" 2>/dev/null || return 1
    xdotool type --delay 30 "$1"
    [ "$2" = no ] || xdotool key Tab space shift+Tab
}

# Enter in the search window; the form that opens must show want in its focused field.
search_enter_opens() { # caption, want
    local form got
    xdotool key Return
    form=$(wait_window "^$1\$" 10) || { fail "Enter did not open $1"; return 1; }
    xdotool windowfocus --sync "$form" 2>/dev/null
    shot "search-opened-$(echo "$1" | tr -dc 'a-z')"
    got=$(search_clipboard_after ctrl+a ctrl+c)
    [ "$got" = "$2" ] || { fail "$1: focused field holds '$got', not '$2'"; return 1; }
    xdotool key Escape
    wait_window_count "^$1\$" 0 10 || { fail "form $1 did not close"; return 1; }
}

scenario_search() {
    start_program
    login_new_user "Sucher" || return 1
    # The doctor's name and address; the online-banking password (a secret field).
    search_fill "Ärzte" 306 210 427 162 42 18 116 12 "Dr. Grün" \
        198 18 208 12 "Telefon 0221 4711" || return 1
    search_fill "Bankgeschäfte" 306 244 420 214 358 24 57 12 "Geheim4711" || return 1

    search_open "gruen" no || { fail "Strg+F opened no search window"; return 1; }
    shot search-window
    search_enter_opens "Ärzte" "Dr. Grün" || return 1

    # Without the tick the secret (on an earlier form) is not found: the doctor's number is.
    search_open "4711" no || { fail "no search window"; return 1; }
    search_enter_opens "Ärzte" "Telefon 0221 4711" || return 1

    # With it the secret comes first and the list shows it masked.
    search_open "4711" yes || { fail "no search window"; return 1; }
    shot search-secret
    local shown
    shown=$(search_clipboard_after Tab Tab ctrl+c) || { fail "nothing copied from the list"; return 1; }
    [ "$shown" = $'\u2022\u2022\u2022\u2022' ] || { fail "the secret shows as '$shown'"; return 1; }
    search_enter_opens "Bankgeschäfte" "Geheim4711" || return 1

    click_desk "$desk" 468 323
    wait_program_end 10 || { fail "program did not end"; return 1; }
}
