# Ending by a signal: inside the copy of a large file the program ends within two seconds and
# leaves no partial copy; a final save that fails at a signal waits on no message box, keeps
# the working files, says so on the standard error stream and ends with a non-zero status.
# (Uses bk_open and bk_start of backup.sh.)

uf_big="$work/gross"
uf_target="$work/sicherung-gross"

scenario_sigterm_inside_a_large_copy() {
    mkdir -p "$uf_big" "$uf_target"
    # Sparse: cheap to make, still copied byte by byte for a few seconds.
    truncate -s 12G "$uf_big/gross.bin"
    cat >"$app/Backup.Ini" <<INI
[COMMON]
BACKUP_PATH=$uf_target/
OVERWRITEPROMPT=0
ONLYNEWERFILES=0
CREATESUBDIR=0
NUMFILES=1
[FILES]
FILE1=$uf_big/gross.bin
INI
    start_program
    login_new_user "Gross" || return 1
    local dialog
    dialog=$(bk_open) || { fail "no backup dialog"; return 1; }
    bk_start "$dialog"
    # The copy has begun once its temporary file is in the target.
    local begun=""
    for _ in $(seq 1 200); do
        [ -n "$(ls -A "$uf_target")" ] && begun=1 && break
        sleep 0.02
    done
    [ -n "$begun" ] || { fail "the copy did not begin"; return 1; }
    shot large-copy-running
    kill -TERM "$app_pid"
    wait_program_end 2 || { fail "still running 2 s after SIGTERM"; return 1; }
    [ "$program_status" = 0 ] || { fail "exit status $program_status"; return 1; }
    local left
    left=$(ls -A "$uf_target")
    rm -rf "$uf_big" "$uf_target"
    [ -z "$left" ] || { fail "left in the target: $left"; return 1; }
    [ -s "$app/Gross.qlr" ] || { fail "document not written"; return 1; }
}

scenario_sigterm_with_a_failing_save() {
    local tmp="$work/tmp-failing"
    mkdir -p "$tmp"
    add_user "Gross" || return 1
    TMPDIR="$tmp" start_program
    login_as "Gross" || return 1
    desk=$(desk_window) || { fail "no desk"; return 1; }
    # A folder takes the document's place while the program runs: its save at the end must not
    # replace anything. (A document that is merely gone is written anew, like one that another
    # machine replaced is merged.)
    rm -f "$app/Gross.qlr"
    mkdir "$app/Gross.qlr"
    kill -TERM "$app_pid"
    wait_program_end 2 || { fail "still running 2 s after SIGTERM (a message box?)"; return 1; }
    [ "$program_status" != 0 ] || { fail "exit status 0 after a failed save"; return 1; }
    grep -q "Dokument" "$work/program.log" || { fail "no message on stderr"; return 1; }
    [ -n "$(ls -d "$tmp"/quillory-* 2>/dev/null)" ] || { fail "working files not kept"; return 1; }
    rm -rf "$tmp"
}
