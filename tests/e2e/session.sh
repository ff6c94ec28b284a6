# Driving the program in a real X server (Xvfb) under a small window manager (openbox), with
# xdotool, as a person would. The sourcing script sets work (its scratch folder), shots (where
# screenshots go), title (the version title) and program (the program start_program runs).
#
# Every step waits for the thing it needs (a window, the focus, a file, the program's end,
# a settled screen) through wait_until; a fixed sleep is left only where nothing can be
# observed: the pace of a mouse drag, and the time given to something that must NOT happen.

# --- waiting -----------------------------------------------------------------------------
# Runs a command every 50 ms until it succeeds, at most $1 seconds.
wait_until() { # seconds, command...
    local limit=$1 end
    shift
    end=$((SECONDS + limit))
    while :; do
        "$@" && return 0
        [ "$SECONDS" -lt "$end" ] || return 1
        sleep 0.05
    done
}

# The window that has the keyboard focus.
focused_window() { xdotool getwindowfocus 2>/dev/null; }
has_focus() { [ "$(focused_window)" = "$1" ]; }
focus_left() { local f; f=$(focused_window) && [ -n "$f" ] && [ "$f" != "$1" ]; }

# Waits until window $1 has the keyboard focus.
wait_focus() { wait_until "${2:-10}" has_focus "$1"; }

# Asks the window manager to activate window $1 and waits until it has the focus.
focus_window() {
    has_focus "$1" && return 0
    xdotool windowactivate "$1" 2>/dev/null
    wait_focus "$1" 5 && return 0
    xdotool windowfocus "$1" 2>/dev/null
    wait_focus "$1" 5
}

wait_file() { wait_until "${2:-10}" test -s "$1"; } # path, seconds: there and not empty

# --- X server with a window manager on a free display ----------------------------------
xvfb_pid=""
wm_pid=""
wm_running() { xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id'; }
display_ready() {
    [ -s "$work/display" ] || return 1
    export DISPLAY=":$(head -n1 "$work/display")"
    xdotool getmouselocation >/dev/null 2>&1
}

german_keyboard() { setxkbmap -layout de 2>/dev/null && setxkbmap -query 2>/dev/null | grep -q '^layout: *de$'; }

# The X server and the window manager; a second try when either fails to come up.
start_xvfb() {
    start_display_once && return 0
    stop_xvfb
    echo "e2e: the display did not come up; once more" >&2
    start_display_once
}

start_display_once() {
    rm -f "$work/display"
    # -noreset: without it the server resets (and forgets the keyboard layout) whenever its
    # last client leaves, as setxkbmap does before the window manager runs.
    Xvfb -displayfd 3 -noreset -screen 0 1280x1024x24 -nolisten tcp 3>"$work/display" \
        2>"$work/xvfb.log" &
    xvfb_pid=$!
    wait_until 30 display_ready || { echo "e2e: Xvfb did not start" >&2; cat "$work/xvfb.log" >&2; return 1; }
    # A German keyboard: umlauts and ß are real keys, so typing them needs no remapping of
    # spare keys, which can lose characters on a busy machine.
    wait_until 10 german_keyboard || echo "e2e: no German keyboard layout" >&2
    # A window manager, as every desktop has: it places windows and gives the focus back to
    # the owner when a message box closes. Its default configuration, no session manager.
    openbox --sm-disable >"$work/openbox.log" 2>&1 &
    wm_pid=$!
    wait_until 30 wm_running || { echo "e2e: openbox did not start" >&2; cat "$work/openbox.log" >&2; return 1; }
}

stop_xvfb() {
    [ -n "$wm_pid" ] && kill "$wm_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wm_pid="" xvfb_pid=""
}

app_pid=""

# --- helpers -----------------------------------------------------------------------------
current=""

# A screenshot. For the gallery (QUILLORY_E2E_SETTLE=1) once the screen has settled: two
# pictures in a row alike, at most ten tries (a blinking caret may never settle).
shot() {
    local file="$shots/$1.png" previous="$work/shot-previous.png" try
    import -window root "$file" 2>/dev/null || return 0
    [ "${QUILLORY_E2E_SETTLE:-0}" = 1 ] || return 0
    for try in 1 2 3 4 5 6 7 8 9; do
        cp "$file" "$previous"
        import -window root "$file" 2>/dev/null || return 0
        cmp -s "$file" "$previous" && return 0
    done
}

# Keeps a picture of the screen now, to wait for a change against it: screen_mark, then
# wait_screen_change [seconds].
screen_mark() { import -window root "$work/screen-mark.png" 2>/dev/null; }
screen_differs() {
    import -window root "$work/screen-now.png" 2>/dev/null &&
        ! cmp -s "$work/screen-now.png" "$work/screen-mark.png"
}
wait_screen_change() { wait_until "${1:-5}" screen_differs; }

fail() {
    echo "e2e: FAIL [$current] $*" >&2
    shot "fail-$current-$(date +%s%N | tail -c 6)"
    return 1
}

# The newest visible window whose name matches $1, if any. A search that meets a window being
# destroyed ends with an X error (BadWindow); the next poll asks again.
newest_window() {
    local ids
    ids=$(xdotool search --onlyvisible --name "$1" 2>/dev/null) && [ -n "$ids" ] || return 1
    echo "$ids" | tail -n1
}
# Waits (up to $2 seconds) for a visible window whose name matches $1; prints the newest id.
wait_window() { wait_until "${2:-15}" newest_window "$1"; }

# Waits until no visible window matches $1 any more, or at most $2 windows do.
window_count_at_most() { [ "$(xdotool search --onlyvisible --name "$1" 2>/dev/null | wc -l)" -le "$2" ]; }
wait_window_count() { wait_until "${3:-15}" window_count_at_most "$1" "$2"; }

# The desk: the visible main window at least 500 pixels wide.
find_desk() {
    local id w
    for id in $(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null); do
        w=$(xdotool getwindowgeometry --shell "$id" 2>/dev/null | sed -n 's/^WIDTH=//p')
        [ "${w:-0}" -ge 500 ] && { echo "$id"; return 0; }
    done
    return 1
}
# Waits for the desk up to 60 seconds: a protected user's first key derivation takes a while
# on a busy machine.
desk_window() {
    local id
    id=$(wait_until 60 find_desk) || return 1
    echo "$id"
}

# Waits for a window with the version title besides the desk, or besides window $1 (a message
# box, the about box); prints its id once it has the focus.
find_other() {
    local id
    id=$(xdotool search --onlyvisible --name "^$title\$" 2>/dev/null | grep -v "^$1\$" | tail -n1)
    [ -n "$id" ] && echo "$id"
}
other_window() {
    local id
    id=$(wait_until 10 find_other "${1:-${desk:-none}}") || return 1
    wait_focus "$id" 5
    echo "$id"
}

# Counts the visible windows of any name.
visible_windows() { xdotool search --onlyvisible --name '' 2>/dev/null | wc -l; }
more_windows_than() { [ "$(visible_windows)" -gt "$1" ]; }

window_pos() { xdotool getwindowgeometry --shell "$1" | sed -n 's/^[XY]=//p' | tr '\n' ' '; }

type_into() { # window, text
    focus_window "$1"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
}

# The pointer over a point of a window, the pointer's position read back before the click.
pointer_at() { # window, x, y
    local ox oy px py
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(X|Y)=')"
    ox=$X oy=$Y
    eval "$(xdotool getmouselocation --shell | grep -E '^(X|Y)=')"
    px=$X py=$Y
    [ "$px" = $((ox + $2)) ] && [ "$py" = $((oy + $3)) ]
}
click_desk() { # desk window, x, y (desk coordinates)
    xdotool mousemove --window "$1" "$2" "$3"
    wait_until 2 pointer_at "$1" "$2" "$3"
    xdotool click 1
}

# The text of the focused field, through the clipboard: a marker goes on the clipboard first,
# so the copy is seen when it replaces it (an empty field copies nothing: empty text).
clipboard_is() { [ "$(xclip -o -selection clipboard 2>/dev/null)" = "$1" ]; }
clipboard_is_not() { ! clipboard_is "$1"; }
focused_text() {
    local marker="e2e-marker-$RANDOM$RANDOM"
    printf '%s' "$marker" | xclip -selection clipboard
    wait_until 2 clipboard_is "$marker"
    xdotool key ctrl+a ctrl+c
    wait_until 2 clipboard_is_not "$marker" && xclip -o -selection clipboard 2>/dev/null
    return 0
}

# Types a value into the focused text field. On a busy machine xdotool now and then drops a
# character, so the field is read back and the value typed again, slower each time.
type_field() {
    local delay
    for delay in 15 15 60 120; do
        xdotool key ctrl+a BackSpace
        xdotool type --delay "$delay" "$1"
        [ "$(focused_text)" = "$1" ] && return 0
    done
    return 1
}

# Answers a file dialog: waits for a window named $1, types the file name $2 into it.
answer_file_dialog() { # title, file name
    local files
    files=$(wait_window "$1" 30) || return 1
    focus_window "$files"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "$2"
    xdotool key Return
}

start_program() {
    (cd "$work" && exec "$program") >"$work/program.log" 2>&1 &
    app_pid=$!
}

program_ended() { ! kill -0 "$app_pid" 2>/dev/null; }
wait_program_end() { # seconds; sets program_status
    wait_until "$1" program_ended || return 1
    wait "$app_pid"
    program_status=$?
    app_pid=""
}

# Logs in with a name; login_prompt is the prompt's window.
login_prompt=""
login_as() {
    login_prompt=$(wait_window "^$title\$" 20) || { fail "no login prompt"; return 1; }
    focus_window "$login_prompt"
    shot login-prompt
    type_into "$login_prompt" "$1"
    xdotool key Return
}

# Logs in with a name not known yet, answers the creation question with Yes and sets $desk.
login_new_user() { # name
    login_as "$1" || return 1
    other_window "$login_prompt" >/dev/null || { fail "no creation question"; return 1; }
    shot creation-question
    xdotool key Return
    desk=$(desk_window) || { fail "no desk after login"; return 1; }
    focus_window "$desk"
}

# Logs in with a known name and sets $desk.
login_existing() { # name
    login_as "$1" || return 1
    desk=$(desk_window) || { fail "no desk for $1"; return 1; }
    focus_window "$desk"
}

# Leaves the program through the exit hot spot and waits for its end with status 0.
exit_program() {
    click_desk "$desk" 468 323
    wait_program_end "${1:-10}" || { fail "program did not end"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
}

# A user who exists before the scenario: created, the program left again.
add_user() { # name
    start_program
    login_new_user "$1" || return 1
    exit_program
}

# Opens the form of a row "command:caption:tabs:desk x:desk y" (forms.sh); prints its window id once it has the focus.
open_form() {
    local cmd caption tabs x y form
    IFS=: read -r cmd caption tabs x y <<<"$1"
    click_desk "$desk" "$x" "$y"
    form=$(wait_window "^$caption\$" "${2:-10}") || return 1
    focus_window "$form" || return 1
    echo "$form"
}

press_tabs() { # count
    local i
    for ((i = 0; i < $1; i++)); do xdotool key Tab; done
}

# Sets a password on the desk through the closed padlock: the warning question, then the
# dialog with the password typed twice.
set_password() { # password
    local question dialog
    click_desk "$desk" 144 170
    question=$(other_window) || { fail "no warning question"; return 1; }
    shot password-question
    xdotool key Return
    dialog=$(wait_window "^Paßworteingabe\$" 10) || { fail "no password dialog"; return 1; }
    focus_window "$dialog"
    xdotool type --delay 20 "$1"
    xdotool key Tab
    xdotool type --delay 20 "$1"
    shot password-dialog
    xdotool key Return
    wait_window_count "^Paßworteingabe\$" 0 10 || { fail "password dialog stayed open"; return 1; }
}

# Commands run when the session ends, whatever the outcome (a helper's own daemon).
exit_hooks=()
on_exit() { exit_hooks+=("$*"); }
run_exit_hooks() {
    local hook
    for hook in "${exit_hooks[@]}"; do eval "$hook"; done
    exit_hooks=()
}

# A session bus of the scenario's own (dbus-daemon), ended with the session.
start_session_bus() {
    command -v dbus-daemon >/dev/null && command -v dbus-send >/dev/null || return 1
    local out
    out=$(dbus-daemon --session --fork --print-address=1 --print-pid=1 2>/dev/null) || return 1
    export DBUS_SESSION_BUS_ADDRESS
    DBUS_SESSION_BUS_ADDRESS=$(sed -n 1p <<<"$out")
    on_exit "kill $(sed -n 2p <<<"$out") 2>/dev/null"
}
bus_has_name() {
    dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
        org.freedesktop.DBus.NameHasOwner string:"$1" 2>/dev/null | grep -q 'boolean true'
}

# --- running one scenario ----------------------------------------------------------------
# A scenario that builds on what others leave behind (a user, the running program with its
# desk, filled forms) runs them first, in its own session: needs <scenario>...
needs() {
    local name saved=$current
    for name; do
        current=$name
        "scenario_$name" || { current=$saved; fail "set-up $name failed"; return 1; }
    done
    current=$saved
}
