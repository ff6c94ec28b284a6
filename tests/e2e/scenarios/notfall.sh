# The emergency folder of the user whose forms were filled before: Ctrl+P on the desk opens
# the dialog and Esc closes it; the quill on the desk opens it again, "Als PDF speichern..."
# asks for a file name, typed into the file dialog; the PDF is private and holds the values,
# and a page "Fristen" after the cover (the warranty field holds a text that is no date).

nf_dialog_title="^Notfallmappe drucken\$"

scenario_notfall_pdf() {
    needs forms_fill || return 1
    start_program
    login_existing "Formen" || return 1
    xdotool key --clearmodifiers ctrl+p
    local dialog
    dialog=$(wait_window "$nf_dialog_title" 10) || { fail "no dialog after Ctrl+P"; return 1; }
    focus_window "$dialog"
    shot notfall-dialog
    xdotool key Escape
    wait_window_count "$nf_dialog_title" 0 10 || { fail "Esc did not close the dialog"; return 1; }

    click_desk "$desk" 505 412 # the ink pot beside the quill
    dialog=$(wait_window "$nf_dialog_title" 10) || { fail "no dialog from the quill"; return 1; }
    focus_window "$dialog"
    local w h files
    eval "$(xdotool getwindowgeometry --shell "$dialog" | grep -E '^(WIDTH|HEIGHT)=')"
    w=$WIDTH h=$HEIGHT
    # "Als PDF speichern..." at dialog units 74, 128 (88 x 14) of 232 x 188.
    click_desk "$dialog" $((118 * w / 232)) $((135 * h / 188))
    files=$(wait_window "Speichern" 10) || { fail "no file dialog"; return 1; }
    focus_window "$files"
    shot notfall-file-dialog
    # The proposed name is selected in the name field: a typed name replaces it.
    xdotool key --clearmodifiers ctrl+a
    xdotool type --delay 20 "mappe.pdf"
    xdotool key Return
    # A message names the saved file before the dialog closes.
    local saved
    saved=$(other_window) || { fail "no message after saving"; return 1; }
    shot notfall-saved-message
    xdotool windowfocus --sync "$saved" 2>/dev/null
    xdotool key Return
    wait_window_count "$nf_dialog_title" 0 20 || { fail "dialog still open after saving"; return 1; }
    local pdf="$HOME/mappe.pdf"
    wait_file "$pdf" 30 || { fail "no PDF at $pdf"; return 1; }
    [ "$(stat -c %a "$pdf")" = 600 ] || { fail "PDF mode $(stat -c %a "$pdf")"; return 1; }
    # No other PDF: not in the program folder, not beside the chosen one.
    [ "$(find "$work" -name '*.pdf' | wc -l)" = 1 ] ||
        { fail "a second PDF was written"; return 1; }
    local text
    text=$(pdftotext -layout -enc UTF-8 "$pdf" -)
    for want in "Notfallmappe von Formen" "Wert12-100 Müßig" "Wert13-101" "Wert10-100 Müßig" "Zeile zwei" "Fristen" "Seite 11 von 11"; do
        grep -qF "$want" <<<"$text" || { fail "PDF lacks '$want'"; return 1; }
    done
    pdftoppm -r 70 -f 1 -l 3 -png "$pdf" "$shots/notfall-page" 2>/dev/null
    exit_program
}
