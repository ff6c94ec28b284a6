# Contracts: one mobile contract typed into the form opened by its key, its last day to cancel
# computed with the reason; the values there again after OK; Fristen lists the row and Enter
# leads back to the contract; the letter is a private PDF with the subject line.

vt_title="^Verträge\$"
vt_provider="Funkwelle Müller"
vt_number="4711-0815"

# Opens the form by its key; prints its window id once it has the focus.
vt_open() {
    focus_window "$desk" || return 1
    xdotool key --clearmodifiers ctrl+shift+k
    local form
    form=$(wait_window "$vt_title" 10) || return 1
    focus_window "$form" || return 1
    echo "$form"
}

# The focused field holds $1, within a few seconds (a computed field follows the typing).
vt_focused_is() { [ "$(focused_text)" = "$1" ]; }
vt_focused_matches() { [[ "$(focused_text)" =~ $1 ]]; }

scenario_vertraege() {
    start_program
    login_new_user "Vertrag" || return 1
    local form begin cancel reason
    form=$(vt_open) || { fail "Strg+Umschalt+K opened no form"; return 1; }
    shot vertraege-empty
    # From the list: Anbieter (pasted, as its umlaut is), Art, then past the address, the
    # number, the customer password to Beginn and the terms.
    xdotool key Tab
    printf '%s' "$vt_provider" | xclip -selection clipboard
    wait_until 2 clipboard_is "$vt_provider"
    xdotool key ctrl+a ctrl+v
    wait_until 3 vt_focused_is "$vt_provider" || { fail "provider not pasted"; return 1; }
    xdotool key Tab
    xdotool type --delay 30 Mobilfunk
    xdotool key Tab Tab
    type_field "$vt_number" || { fail "number not typed"; return 1; }
    begin=$(date -d "-2 months" +01.%m.%Y)
    xdotool key Tab Tab
    type_field "$begin" || { fail "begin not typed"; return 1; }
    xdotool key Tab
    type_field 24 || { fail "minimum term not typed"; return 1; }
    xdotool key Tab Tab
    type_field "1 Monat" || { fail "notice not typed"; return 1; }
    # Past the contribution, its period, the tick and the remarks to the computed fields.
    press_tabs 5
    wait_until 3 vt_focused_matches '^[0-9]{2}\.[0-9]{2}\.[0-9]{4}' ||
        { fail "no last day to cancel: '$(focused_text)'"; return 1; }
    cancel=$(focused_text)
    xdotool key Tab
    reason=$(focused_text)
    [[ "$reason" == Telekommunikation*Mindestlaufzeit* ]] || { fail "reason: '$reason'"; return 1; }
    shot vertraege-filled
    # Back to Kündigungsfrist, where Enter is OK.
    xdotool key --repeat 6 shift+Tab
    xdotool key Return
    wait_window_count "$vt_title" 0 10 || { fail "OK did not close the form"; return 1; }

    form=$(vt_open) || { fail "the form did not open again"; return 1; }
    local step
    for step in "1:$vt_provider" "3:$vt_number" "2:$begin" "1:24" "2:1 Monat"; do
        press_tabs "${step%%:*}"
        wait_until 3 vt_focused_is "${step#*:}" ||
            { fail "'${step#*:}' not kept: '$(focused_text)'"; return 1; }
    done
    shot vertraege-reopened
    xdotool key Escape
    wait_window_count "$vt_title" 0 10 || { fail "Esc did not close the form"; return 1; }

    # Fristen: the contract is its only row; Enter opens the form at the contract.
    focus_window "$desk"
    xdotool key t
    local overview
    overview=$(wait_window "^Fristen\$" 10) || { fail "Fristen did not open"; return 1; }
    focus_window "$overview"
    shot vertraege-fristen
    xdotool key Return
    form=$(wait_window "$vt_title" 10) || { fail "Enter in Fristen opened no form"; return 1; }
    focus_window "$form"
    wait_until 3 vt_focused_is "$vt_provider" ||
        { fail "Fristen did not lead to the contract: '$(focused_text)'"; return 1; }

    # The letter: from Anbieter, past the detail area to "Kündigungsschreiben...".
    local files
    press_tabs 15
    xdotool key space
    # Nobody's name and address in "Persönliches", no provider's address: asked first.
    other_window "$form" >/dev/null || { fail "no question about the missing sender"; return 1; }
    shot vertraege-letter-missing
    xdotool key Return
    answer_file_dialog Speichern "kuendigung.pdf" || { fail "no file dialog for the letter"; return 1; }
    other_window "$form" >/dev/null || { fail "no message after saving the letter"; return 1; }
    shot vertraege-letter-saved
    xdotool key Return
    local pdf="$HOME/kuendigung.pdf" text
    wait_file "$pdf" 10 || { fail "no letter at $pdf"; return 1; }
    [ "$(stat -c %a "$pdf")" = 600 ] || { fail "letter mode $(stat -c %a "$pdf")"; return 1; }
    text=$(pdftotext -enc UTF-8 "$pdf" -)
    grep -qF "Kündigung des Vertrags $vt_number" <<<"$text" || { fail "letter lacks the subject"; return 1; }
    [[ "$cancel" =~ Ende\ ([0-9.]{10}) ]] && grep -qF "fristgerecht zum ${BASH_REMATCH[1]}," <<<"$text" ||
        { fail "letter does not cancel at the end of '$cancel'"; return 1; }
    pdftoppm -r 60 -png "$pdf" "$shots/vertraege-letter" 2>/dev/null
    focus_window "$form"
    xdotool key Escape
    wait_window_count "$vt_title" 0 10 || { fail "the form did not close"; return 1; }
    focus_window "$overview"
    xdotool key Escape
    wait_window_count "^Fristen\$" 0 10 || { fail "Fristen did not close"; return 1; }
    exit_program
}
