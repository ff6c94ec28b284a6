# Taking data along: a Bitwarden export read through "Importieren…" of the emergency folder's
# dialog, its preview, the question for the report, the values in the document; then
# "Exportieren…" as CSV after the warning, a private file whose three columns hold them, and as
# KDBX with a typed password, which the peers' command-line tool opens. Last "Import
# rückgängig…" after its question: a CSV exported then holds none of the imported values.

ex_folder_title="^Notfallmappe drucken\$"

# Clicks a point of a dialog given in its template's units (x, y of a w x h template).
ex_click_units() { # window, x, y, template width, template height
    local W H
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    W=$WIDTH H=$HEIGHT
    click_desk "$1" $(($2 * W / $4)) $(($3 * H / $5))
}

ex_open_folder() {
    xdotool key --clearmodifiers ctrl+p
    ex_dialog=$(wait_window "$ex_folder_title" 10) || { fail "no emergency folder dialog"; return 1; }
    focus_window "$ex_dialog"
}

# "Exportieren…" as CSV to $1: the choice, the warning, the file dialog, the message.
ex_export_csv() {
    local export
    focus_window "$ex_dialog"
    ex_click_units "$ex_dialog" 46 155 232 188 # "Exportieren…"
    export=$(wait_window "^Daten exportieren\$" 10) || { fail "no export dialog"; return 1; }
    focus_window "$export"
    ex_click_units "$export" 20 38 260 154 # the CSV's radio button
    shot exchange-export-csv
    xdotool key Return
    other_window "$export" >/dev/null || { fail "no warning before the CSV"; return 1; }
    xdotool key Return
    answer_file_dialog Speichern "$1" || { fail "no file dialog for the export"; return 1; }
    other_window "$ex_dialog" >/dev/null || { fail "no message after the export"; return 1; }
    xdotool key Return
}

scenario_exchange_import_export() {
    start_program
    login_new_user "Tausch" || return 1
    cp "$here/../data/exchange-bitwarden.json" "$HOME/bitwarden.json"
    ex_open_folder || return 1
    ex_click_units "$ex_dialog" 128 155 232 188 # "Importieren…"
    local preview question done
    answer_file_dialog ffnen "$HOME/bitwarden.json" || { fail "no file dialog for the import"; return 1; }
    preview=$(wait_window "^Importieren: Vorschau\$" 30) || { fail "no preview"; return 1; }
    focus_window "$preview"
    shot exchange-preview
    ex_click_units "$preview" 386 257 480 270 # "Übernehmen"
    # Some values fit nowhere: asked whether to save the report; No takes the values over.
    question=$(other_window "$ex_dialog") || { fail "no question for the report"; return 1; }
    shot exchange-report-question
    xdotool key Tab Return
    done=$(other_window "$ex_dialog") || { fail "no message after the import"; return 1; }
    shot exchange-imported
    xdotool key Return
    wait_window_count "^Importieren: Vorschau\$" 0 10 || { fail "preview stayed open"; return 1; }

    local export csv="$HOME/export.csv"
    ex_export_csv "$csv" || return 1
    wait_file "$csv" 10 || { fail "no CSV"; return 1; }
    [ "$(stat -c %a "$csv")" = 600 ] || { fail "CSV mode $(stat -c %a "$csv")"; return 1; }
    /usr/bin/python3 - "$csv" <<'PY' || { fail "CSV lacks the imported values"; return 1; }
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''), delimiter=';'))
assert all(len(r) == 3 for r in rows)
values = {r[2] for r in rows}
for want in ['jürgen@gmx.de', 'geh;eim"€', '4111111111111111', 'C01X00T47', 'Ölkanne; "rot"']:
    assert want in values, want
PY
    # The same as KDBX with a password typed twice, read by the peers' own tool.
    focus_window "$ex_dialog"
    ex_click_units "$ex_dialog" 46 155 232 188 # "Exportieren…"
    export=$(wait_window "^Daten exportieren\$" 10) || { fail "no export dialog"; return 1; }
    focus_window "$export"
    ex_click_units "$export" 160 74 260 154
    xdotool type --delay 20 "Geheim-42"
    ex_click_units "$export" 160 90 260 154
    xdotool type --delay 20 "Geheim-42"
    shot exchange-export-kdbx
    xdotool key Return
    answer_file_dialog Speichern "$HOME/export.kdbx" || { fail "no file dialog for the KDBX"; return 1; }
    done=$(other_window "$ex_dialog") || { fail "no message after the KDBX"; return 1; }
    xdotool key Return
    local kdbx="$HOME/export.kdbx"
    wait_file "$kdbx" 10 || { fail "no KDBX"; return 1; }
    [ "$(stat -c %a "$kdbx")" = 600 ] || { fail "KDBX mode $(stat -c %a "$kdbx")"; return 1; }
    if [ -x /usr/bin/keepassxc-cli ]; then
        [ "$(printf 'Geheim-42\n' | keepassxc-cli show -q -a UserName "$kdbx" "Online/GMX Postfach" 2>/dev/null)" = "jürgen@gmx.de" ] ||
            { fail "keepassxc-cli does not read the user name back"; return 1; }
    fi
    ex_undo_import || return 1
    xdotool key Escape
    wait_window_count "$ex_folder_title" 0 10 || { fail "dialog stayed open"; return 1; }
    exit_program
}

# "Import rückgängig…", Ja (No is the default), the answer; then the CSV export again.
ex_undo_import() {
    local question done csv="$HOME/after-undo.csv"
    focus_window "$ex_dialog"
    ex_click_units "$ex_dialog" 179 175 232 188 # "Import rückgängig…"
    question=$(other_window "$ex_dialog") || { fail "no question before the undo"; return 1; }
    shot exchange-undo-question
    xdotool key shift+Tab Return
    done=$(other_window "$ex_dialog") || { fail "no message after the undo"; return 1; }
    shot exchange-undone
    xdotool key Return
    focus_window "$ex_dialog"
    shot exchange-undo-disabled
    ex_export_csv "$csv" || return 1
    wait_file "$csv" 10 || { fail "no CSV after the undo"; return 1; }
    /usr/bin/python3 - "$csv" <<'PY' || { fail "imported values left after the undo"; return 1; }
import csv, sys
rows = list(csv.reader(open(sys.argv[1], encoding='utf-8-sig', newline=''), delimiter=';'))
values = {r[2] for r in rows if len(r) == 3}
for gone in ['jürgen@gmx.de', 'geh;eim"€', '4111111111111111', 'C01X00T47', 'Ölkanne; "rot"']:
    assert gone not in values, gone
PY
}
