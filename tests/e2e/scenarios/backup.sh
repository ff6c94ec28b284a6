# Backup in copy mode: three files and the user's document into a target with sub-directories;
# the overwrite question for a copy that is already there; then the date rule on a second run.

bk_data="$work/daten"
bk_target="$work/sicherung"

bk_ini() { # overwrite prompt, only newer files
    cat >"$app/Backup.Ini" <<INI
[COMMON]
BACKUP_PATH=$bk_target/
OVERWRITEPROMPT=$1
ONLYNEWERFILES=$2
CREATESUBDIR=1
NUMFILES=4
[FILES]
FILE1=$bk_data/a.txt
FILE2=$bk_data/b.txt
FILE3=$bk_data/c.txt
FILE4=$app/Hans.qlr
INI
}

# Opens the backup dialog from the desk; prints the dialog's id once it has the focus.
bk_open() {
    local dialog
    click_desk "$desk" 148 323
    dialog=$(wait_window "^Backup-Dialog\$" 10) || return 1
    focus_window "$dialog" || return 1
    echo "$dialog"
}

# The dialog's own word on a finished run: a box with the version title, closed by Enter.
bk_result() { # shot name
    other_window >/dev/null || { fail "no result box after the run"; return 1; }
    shot "$1"
    xdotool key Return
}

bk_start() { # dialog: clicks Start (dialog units 51, 204, 50 x 14 of 262 x 220)
    local w h
    eval "$(xdotool getwindowgeometry --shell "$1" | grep -E '^(WIDTH|HEIGHT)=')"
    w=$WIDTH h=$HEIGHT
    click_desk "$1" $((76 * w / 262)) $((211 * h / 220))
}

scenario_backup_copy() {
    add_user "Hans" || return 1
    mkdir -p "$bk_data" "$bk_target$bk_data"
    echo eins >"$bk_data/a.txt"
    echo zwei >"$bk_data/b.txt"
    echo drei >"$bk_data/c.txt"
    echo alt >"$bk_target$bk_data/c.txt"
    bk_ini 1 0
    start_program
    login_as "Hans" || return 1
    desk=$(desk_window) || { fail "no desk"; return 1; }
    local dialog
    dialog=$(bk_open) || { fail "no backup dialog"; return 1; }
    shot backup-dialog
    local before
    before=$(visible_windows)
    bk_start "$dialog"
    # The question for c.txt, which is already there, while the status shows the run.
    wait_until 10 more_windows_than "$before" || { fail "no overwrite question"; return 1; }
    wait_until 5 focus_left "$dialog" || { fail "the question has no focus"; return 1; }
    shot backup-running
    xdotool key Return # Ja: overwrite
    bk_result backup-result || return 1
    wait_window_count "^Backup-Dialog\$" 0 10 || { fail "dialog still open after the run"; return 1; }
    [ "$(cat "$bk_target$bk_data/c.txt")" = drei ] || { fail "c.txt not overwritten"; return 1; }
    [ "$(cat "$bk_target$bk_data/a.txt")" = eins ] || { fail "a.txt not copied"; return 1; }
    [ -s "$bk_target$app/Hans.qlr" ] || { fail "document not copied"; return 1; }
}

scenario_backup_date_rule() {
    needs backup_copy || return 1
    # The copy of a is newer than its source, b's source is newer than its copy.
    echo "neuer im Ziel" >"$bk_target$bk_data/a.txt"
    touch -d "+1 day" "$bk_target$bk_data/a.txt"
    echo "zwei neu" >"$bk_data/b.txt"
    touch -d "+2 days" "$bk_data/b.txt"
    bk_ini 0 1
    local dialog
    dialog=$(bk_open) || { fail "no backup dialog"; return 1; }
    bk_start "$dialog"
    bk_result backup-date-rule-result || return 1
    wait_window_count "^Backup-Dialog\$" 0 10 || { fail "dialog still open after the run"; return 1; }
    [ "$(cat "$bk_target$bk_data/a.txt")" = "neuer im Ziel" ] || { fail "a newer copy was replaced"; return 1; }
    [ "$(cat "$bk_target$bk_data/b.txt")" = "zwei neu" ] || { fail "a newer source was not copied"; return 1; }
}

scenario_backup_packing() {
    # Packing mode, switched on through Backup.Ini: the packer in its task window, then the
    # converter once that window has gone.
    # A target of over 200 characters with blanks: longer than any field of the PIF.
    needs backup_copy || return 1
    local zipdir ziproot
    ziproot=$(mktemp -d /tmp/qzXXXX 2>/dev/null || mktemp -d)
    zipdir="$ziproot/$(printf 'Sicherung mit einem langen Namen %s/' 1 2 3 4 5 6)"
    cat >"$app/Backup.Ini" <<INI
[COMMON]
BACKUP_PATH=$zipdir
ONLYNEWERFILES=1
CREATESUBDIR=1
USE_PKZIP=1
USE_ZIP2EXE=1
ZIP_PATH=$app/pkzip.exe
ZIP2EXE_PATH=$app/zip2exe.exe
ZIP_FILENAME=ZOV.ZIP
NUMFILES=2
[FILES]
FILE1=$bk_data/a.txt
FILE2=$bk_data/b.txt
INI
    local dialog
    dialog=$(bk_open) || { fail "no backup dialog"; return 1; }
    bk_start "$dialog"
    wait_window "^Backup-Task\$" 10 >/dev/null && shot backup-task
    bk_result backup-packing-result || return 1
    wait_window_count "^Backup-Dialog\$" 0 20 || { fail "dialog still open after packing"; return 1; }
    # The converter runs on after the dialog closed: its file is complete once unzip reads it.
    wait_until 20 unzip -tq "$zipdir/ZOV.exe" >/dev/null 2>&1
    [ -s "$zipdir/ZOV.ZIP" ] || { fail "no archive"; return 1; }
    local listing
    listing=$(unzip -l "$zipdir/ZOV.ZIP") || { fail "archive unreadable"; return 1; }
    grep -q "daten/b.txt" <<<"$listing" || { fail "archive lacks b.txt: $listing"; return 1; }
    [ -s "$zipdir/ZOV.exe" ] || { fail "no self-extracting program"; return 1; }
    unzip -tq "$zipdir/ZOV.exe" >/dev/null || { fail "self-extractor damaged"; return 1; }
    rm -rf "$ziproot"
    exit_program
}
