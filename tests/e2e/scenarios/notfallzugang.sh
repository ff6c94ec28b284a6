# The emergency access: a protected user makes 2-of-3 sheets from the emergency folder's
# dialog, by keyboard; the sheets' PDF is private, two codes read back from it (pdftotext)
# open the document at the password prompt, a mistyped group answered with a message; a new password
# is then set and the program offers new sheets. A sheet's QR reads back as its printed code,
# and the last code is read from a picture of its sheet ("Aus Bild lesen…") instead of typed.

nz_prompt="^Geben Sie das Paßwort ein!\$"
nz_old="Vergessen42"
nz_new="Neu-Wort7"

# The code printed on page $2 of PDF $1: its six groups joined by dashes.
nz_code() {
    local text
    text=$(pdftotext -f "$2" -l "$2" -enc UTF-8 "$1" -)
    grep -oE '\b[A-HJ-NP-RT-X2-9]{6}\b' <<<"$text" | sed -n 1,6p | paste -sd- -
}

# Answers the message box shown now (besides the window $1) with Return, its picture kept as
# $2 (a message box's text is not readable from here: what it says the unit tests check).
nz_answer() {
    other_window "$1" >/dev/null || return 1
    shot "$2"
    xdotool key Return
}

scenario_notfallzugang() {
    start_program
    login_new_user "Familie" || return 1
    set_password "$nz_old" || return 1
    wait_window_count "^$title\$" 1 20 || { fail "a message after setting the password"; return 1; }
    focus_window "$desk"
    xdotool key --clearmodifiers ctrl+p
    local folder setup files
    folder=$(wait_window "^Notfallmappe drucken\$" 10) || { fail "no emergency folder"; return 1; }
    focus_window "$folder"
    xdotool key --clearmodifiers alt+z
    setup=$(wait_window "^Notfallzugang einrichten\$" 10) || { fail "no setup dialog"; return 1; }
    focus_window "$setup"
    # Password, then the chosen radio button (shares), 3 sheets, 2 needed, three names.
    xdotool type --delay 20 "$nz_old"
    xdotool key Tab Tab Tab Tab
    xdotool type --delay 20 "Anna"
    xdotool key Tab
    xdotool type --delay 20 "Ben"
    xdotool key Tab
    xdotool type --delay 20 "Clara"
    shot notfallzugang-setup
    xdotool key Return
    files=$(wait_window "Speichern" 10) || { fail "no file dialog"; return 1; }
    focus_window "$files"
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "boegen.pdf"
    xdotool key Return
    nz_answer "$folder" notfallzugang-saved ||
        { fail "no message naming the sheets"; return 1; }
    wait_window_count "^Notfallzugang einrichten\$" 0 10 || { fail "setup stayed open"; return 1; }
    focus_window "$folder"
    xdotool key Escape
    wait_window_count "^Notfallmappe drucken\$" 0 10 || { fail "folder dialog stayed"; return 1; }

    local pdf="$HOME/boegen.pdf" one three qr
    wait_file "$pdf" 10 || { fail "no sheets at $pdf"; return 1; }
    [ "$(stat -c %a "$pdf")" = 600 ] || { fail "sheets mode $(stat -c %a "$pdf")"; return 1; }
    [ "$(pdfinfo "$pdf" | sed -n 's/^Pages: *//p')" = 3 ] || { fail "not 3 pages"; return 1; }
    local text
    text=$(pdftotext -enc UTF-8 "$pdf" -)
    grep -qF "für Clara" <<<"$text" || { fail "no name on the sheets"; return 1; }
    one=$(nz_code "$pdf" 1)
    three=$(nz_code "$pdf" 3)
    [ ${#one} = 41 ] && [ ${#three} = 41 ] || { fail "codes not read: '$one' '$three'"; return 1; }
    pdftoppm -r 150 -f 1 -l 1 -png "$pdf" "$work/sheet"
    cp "$work"/sheet*.png "$shots/notfallzugang-sheet.png" 2>/dev/null
    qr=$(zbarimg --quiet --raw "$work"/sheet*.png 2>/dev/null)
    [ "$qr" = "$one" ] || { fail "QR reads '$qr', printed '$one'"; return 1; }
    pdftoppm -r 150 -f 3 -l 3 -singlefile -png "$pdf" "$HOME/bogen3"
    exit_program 15 || return 1

    # The password forgotten: the sheets open the document.
    start_program
    login_as "Familie" || return 1
    local prompt codes
    prompt=$(wait_window "$nz_prompt" 30) || { fail "no password prompt"; return 1; }
    focus_window "$prompt"
    shot notfallzugang-prompt
    xdotool key --clearmodifiers alt+n
    codes=$(wait_window "^Notfallzugang\$" 10) || { fail "no code dialog"; return 1; }
    focus_window "$codes"
    # Two neighbours of the second group swapped (when they differ): that group is named.
    local swapped="${one:0:8}${one:9:1}${one:8:1}${one:10}"
    if [ "$swapped" != "$one" ]; then
        xdotool type --delay 15 "$swapped"
        xdotool key Return
        nz_answer "$codes" notfallzugang-mistyped || { fail "no message on a mistyped group"; return 1; }
        focus_window "$codes"
        xdotool key --clearmodifiers ctrl+a
    fi
    xdotool type --delay 15 "$(tr 'A-Z-' 'a-z ' <<<"$one")"
    xdotool key Return
    nz_answer "$codes" notfallzugang-one-more || { fail "no message after the first sheet"; return 1; }
    focus_window "$codes"
    xdotool key --clearmodifiers alt+b
    answer_file_dialog "ffnen" "$HOME/bogen3.png" || { fail "no file dialog for the picture"; return 1; }
    wait_window_count "ffnen" 0 10 || { fail "picture's file dialog stayed"; return 1; }
    focus_window "$codes"
    shot notfallzugang-codes
    xdotool key --clearmodifiers ctrl+a # selected: the X selection holds the code meanwhile
    xdotool key Return
    wait_window_count "^Notfallzugang\$" 0 20 || { fail "code dialog stayed"; return 1; }
    desk=$(desk_window) || { fail "no desk after the sheets"; return 1; }
    ! xclip -o -selection primary 2>/dev/null | grep -qiF "${three:0:5}" ||
        { fail "the code stayed in the X selection"; return 1; }
    nz_answer "$desk" notfallzugang-opened || { fail "no new-password note"; return 1; }
    local dialog
    dialog=$(wait_window "^Paßworteingabe\$" 10) || { fail "no new password asked"; return 1; }
    focus_window "$dialog"
    xdotool type --delay 20 "$nz_new"
    xdotool key Tab
    xdotool type --delay 20 "$nz_new"
    xdotool key Return
    # The offer of new sheets: Yes opens the setup, Esc leaves it.
    nz_answer "$desk" notfallzugang-offer || { fail "no offer of new sheets"; return 1; }
    setup=$(wait_window "^Notfallzugang einrichten\$" 20) || { fail "no setup offered"; return 1; }
    focus_window "$setup"
    xdotool key Escape
    wait_window_count "^Notfallzugang einrichten\$" 0 10 || return 1
    exit_program 15 || return 1

    # The new password opens it.
    start_program
    login_as "Familie" || return 1
    prompt=$(wait_window "$nz_prompt" 30) || { fail "no prompt for the new password"; return 1; }
    type_into "$prompt" "$nz_new"
    xdotool key Return
    desk=$(desk_window) || { fail "the new password did not open"; return 1; }
    exit_program 15
}
