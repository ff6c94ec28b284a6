# Driving the program in a real X server (Xvfb) with xdotool, as a person would. The
# sourcing script sets work (its scratch folder), shots (where screenshots go), title (the
# version title) and program (the program start_program runs).

# --- X server on a free display ---------------------------------------------------------
xvfb_pid=""
start_xvfb() {
    local fdfile="$work/display"
    Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$fdfile" 2>"$work/xvfb.log" &
    xvfb_pid=$!
    for _ in $(seq 1 100); do
        if [ -s "$fdfile" ]; then
            export DISPLAY=":$(head -n1 "$fdfile")"
            if xdotool getmouselocation >/dev/null 2>&1; then
                # A German keyboard: umlauts and ß are real keys, so typing them needs no
                # remapping of spare keys, which can lose characters on a busy machine.
                setxkbmap -layout de 2>/dev/null || true
                return 0
            fi
        fi
        sleep 0.1
    done
    echo "e2e: Xvfb did not start" >&2
    cat "$work/xvfb.log" >&2
    return 1
}

app_pid=""

# --- helpers -----------------------------------------------------------------------------
current=""

shot() { import -window root "$shots/$1.png" 2>/dev/null; }

fail() {
    echo "e2e: FAIL [$current] $*" >&2
    shot "fail-$current-$(date +%s%N | tail -c 6)"
    return 1
}

# Waits (up to $2 seconds) for a visible window whose name matches $1; prints the newest id.
wait_window() {
    local name=$1 limit=${2:-15} ids
    ids=$(timeout "$limit" xdotool search --sync --onlyvisible --name "$name" 2>/dev/null) ||
        return 1
    echo "$ids" | tail -n1
}

# Waits until no visible window matches $1 any more, or at most $2 windows do.
wait_window_count() {
    local name=$1 count=$2 limit=${3:-15} n
    for _ in $(seq 1 $((limit * 20))); do
        n=$(xdotool search --onlyvisible --name "$name" 2>/dev/null | wc -l)
        [ "$n" -le "$count" ] && return 0
        sleep 0.05
    done
    return 1
}

# The desk: the visible main window at least 500 pixels wide.
desk_window() {
    local id w
    for _ in $(seq 1 200); do
        for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
            w=$(xdotool getwindowgeometry --shell "$id" | sed -n 's/^WIDTH=//p')
            if [ "${w:-0}" -ge 500 ]; then
                echo "$id"
                return 0
            fi
        done
        sleep 0.05
    done
    return 1
}

# Waits for a window with the version title besides the desk (a message box, the about box);
# prints its id.
other_window() {
    local id
    for _ in $(seq 1 200); do
        id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -v "^$desk\$" | tail -n1)
        [ -n "$id" ] && { echo "$id"; return 0; }
        sleep 0.05
    done
    return 1
}

window_pos() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^[XY]=//p' | tr '\n' ' '; }

type_into() { # window, text
    xdotool windowfocus --sync "$1" 2>/dev/null || xdotool windowfocus "$1"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
}

click_desk() { # desk window, x, y (desk coordinates)
    xdotool mousemove --window "$1" "$2" "$3"
    sleep 0.05
    xdotool click 1
}

start_program() {
    (cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
    app_pid=$!
}

wait_program_end() { # seconds; sets program_status
    local limit=$1
    for _ in $(seq 1 $((limit * 20))); do
        if ! kill -0 "$app_pid" 2>/dev/null; then
            wait "$app_pid"
            program_status=$?
            app_pid=""
            return 0
        fi
        sleep 0.05
    done
    return 1
}

# Logs in with a name; answers the creation question with Yes when it comes.
login_as() {
    local prompt
    prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    shot login-prompt
    type_into "$prompt" "$1"
    xdotool key Return
}

# Logs in with a name not known yet, answers the creation question with Yes and sets $desk.
login_new_user() { # name
    login_as "$1" || return 1
    local question
    question=$(wait_window "^$title\$" 10) || { fail "no creation question"; return 1; }
    shot creation-question
    xdotool windowfocus "$question" 2>/dev/null
    xdotool key Return
    desk=$(desk_window) || { fail "no desk after login"; return 1; }
}

# Sets a password on the desk through the closed padlock: the warning question, then the
# dialog with the password typed twice.
set_password() { # password
    local question dialog
    click_desk "$desk" 144 170
    question=$(other_window) || { fail "no warning question"; return 1; }
    shot password-question
    xdotool windowfocus "$question" 2>/dev/null
    xdotool key Return
    dialog=$(wait_window "^Paßworteingabe\$" 10) || { fail "no password dialog"; return 1; }
    xdotool windowfocus --sync "$dialog" 2>/dev/null
    sleep 0.2
    xdotool type --delay 20 "$1"
    xdotool key Tab
    xdotool type --delay 20 "$1"
    shot password-dialog
    xdotool key Return
    wait_window_count "^Paßworteingabe\$" 0 10 || { fail "password dialog stayed open"; return 1; }
}
