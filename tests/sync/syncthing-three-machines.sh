#!/usr/bin/env bash
# Three machines of a household behind a real sync engine: three Syncthing instances on the
# loopback interface, each with its own home, sharing one program folder. A and B never meet: each
# is linked to C only, which relays. Each machine is played by the sync driver (the data set
# manager with real files), with its own state and temporary folder.
#   1. A and B edit different fields of one user while their links are paused; resumed, all three
#      end with every edit and no conflict copy is left in any program folder.
#   2. A and B edit the same field while paused: every machine lists one conflict with both
#      values.
#   3. C keeps one of them: the conflict is gone on every machine, all hold the value kept.
# Usage: syncthing-three-machines.sh <sync driver> <program dir with the templates>
set -euo pipefail
driver=$1
program=$2
# A short folder of its own, whatever TMPDIR says, so sockets and paths stay well inside limits;
# TMPDIR only where /tmp cannot be written.
work=$(mktemp -d /tmp/quillory-sync-XXXXXX 2>/dev/null || mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "sync: FAIL $*" >&2
    for m in $machines; do echo "--- $m" >&2; ls -la "$work/$m/data" >&2 || true; tail -n 20 "$work/$m/syncthing.log" >&2 || true; done
    exit 1
}
# Waits up to $1 seconds for the command after it to succeed.
wait_for() {
    local limit=$1
    shift
    for _ in $(seq 1 $((limit * 5))); do
        "$@" && return 0
        sleep 0.2
    done
    return 1
}
free_port() { python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])'; }
api() { # machine method path
    python3 - "$@" <<'PY'
import os, sys, urllib.request
m, method, path = sys.argv[1:4]
port, key = open(f"{os.environ['WORK']}/{m}/api").read().split()
req = urllib.request.Request(f"http://127.0.0.1:{port}{path}", method=method, headers={"X-API-Key": key})
print(urllib.request.urlopen(req, timeout=10).read().decode())
PY
}
export WORK=$work
machines="A B C"
peers() { case $1 in A | B) echo C ;; C) echo A B ;; esac; }

# --- three Syncthing instances -----------------------------------------------------------
for m in $machines; do
    mkdir -p "$work/$m/data" "$work/$m/state" "$work/$m/tmp"
    syncthing generate --home="$work/$m/home" --no-default-folder >/dev/null &
done
wait
for m in $machines; do
    syncthing serve --home="$work/$m/home" --device-id >"$work/$m/id"
    echo "$(free_port) $(free_port) key$m$RANDOM$RANDOM" >"$work/$m/ports"
done
for m in $machines; do
    # shellcheck disable=SC2046
    python3 - "$work" "$m" $(peers $m) <<'PY'
import sys, xml.etree.ElementTree as ET
work, m, others = sys.argv[1], sys.argv[2], sys.argv[3:]
gui, listen, key = open(f"{work}/{m}/ports").read().split()
me = open(f"{work}/{m}/id").read().strip()
path = f"{work}/{m}/home/config.xml"
tree = ET.parse(path)
root = tree.getroot()
g = root.find("gui")
g.find("address").text = f"127.0.0.1:{gui}"
(g.find("apikey") if g.find("apikey") is not None else ET.SubElement(g, "apikey")).text = key
o = root.find("options")
for tag, text in {"listenAddress": f"tcp://127.0.0.1:{listen}", "globalAnnounceEnabled": "false",
                  "localAnnounceEnabled": "false", "relaysEnabled": "false", "natEnabled": "false",
                  "urAccepted": "-1", "autoUpgradeIntervalH": "0", "crashReportingEnabled": "false",
                  "startBrowser": "false"}.items():
    for e in o.findall(tag):
        o.remove(e)
    ET.SubElement(o, tag).text = text
devices = [me]
for other in others:
    them = open(f"{work}/{other}/id").read().strip()
    olisten = open(f"{work}/{other}/ports").read().split()[1]
    d = ET.SubElement(root, "device", id=them, name=other, compression="metadata", introducer="false")
    ET.SubElement(d, "address").text = f"tcp://127.0.0.1:{olisten}"
    devices.append(them)
f = ET.Element("folder", id="quillory", label="Quillory", path=f"{work}/{m}/data", type="sendreceive",
               rescanIntervalS="2", fsWatcherEnabled="true", fsWatcherDelayS="1")
for dev in devices:
    ET.SubElement(f, "device", id=dev)
ET.SubElement(f, "maxConflicts").text = "10"
ET.SubElement(f, "pullerPauseS").text = "1"  # retry a pull soon after "modified but not rescanned"
root.insert(0, f)
tree.write(path)
open(f"{work}/{m}/api", "w").write(f"{gui} {key}")
PY
    STNORESTART=1 STNOUPGRADE=1 syncthing serve --home="$work/$m/home" --no-browser --no-restart \
        --no-upgrade --logfile="$work/$m/syncthing.log" >/dev/null 2>&1 &
    pids+=($!)
done
id_of() { cat "$work/$1/id"; }
connected() { api "$1" GET /rest/system/connections | grep -q '"connected": *true'; }
wait_for 60 connected A && wait_for 60 connected B || fail "the instances did not connect"

# --- the machines ------------------------------------------------------------------------
doc=Prüfer.qlr
stamp() { stat -c %i.%s.%Y "$work/$1/data/$doc" 2>/dev/null || true; }
machine() { # A|B driver commands...; the engine rescans at once what the run wrote
    local m=$1 before
    shift
    before=$(stamp "$m")
    XDG_STATE_HOME="$work/$m/state" TMPDIR="$work/$m/tmp" "$driver" "$program" "$work/$m/data/$doc" "$@"
    [ "$(stamp "$m")" = "$before" ] || api "$m" POST "/rest/db/scan?folder=quillory" >/dev/null
}
same() { cmp -s "$work/A/data/$doc" "$work/C/data/$doc" && cmp -s "$work/B/data/$doc" "$work/C/data/$doc"; }
no_copies() { ! ls "$work"/A/data "$work"/B/data "$work"/C/data | grep -q 'sync-conflict'; }
# A and B lose their links to C. Each engine has seen its machine's saves before the link comes
# back (as an offline laptop's engine has long before): otherwise it takes a save for an old file
# and replaces it.
links() { # pause|resume
    for m in A B; do api $m POST "/rest/system/$1?device=$(id_of C)" >/dev/null; done
}
# After a resume: each machine logs in (taking in the conflict copies the engines made) once the
# engines have carried the others' versions, until all agree and no copy is left.
settle() {
    for _ in 1 2 3 4; do
        for m in A B C; do
            wait_for 4 same || true
            machine $m >/dev/null
        done
        if wait_for 15 same && wait_for 10 no_copies; then return 0; fi
    done
    fail "the machines did not agree"
}

start=$SECONDS
machine A || fail "machine A could not create the document"
wait_for 40 same || fail "the new document did not reach machines B and C"
machine B get E8_100 >/dev/null # B reads the household's document once

# 1. Different fields while A and B are apart.
links pause
machine A set E8_100 "Dr. Weiß"
machine B set E2_100 "0711 123456"
links resume
settle
for m in $machines; do
    seen=$(machine $m get E8_100 get E2_100 conflicts)
    [ "$seen" = $'Dr. Weiß\n0711 123456' ] || fail "$m holds: $seen"
done

# 2. The same field while A and B are apart: the conflict travels to every machine.
links pause
machine A set E8_101 "Hauptstraße 1"
machine B set E8_101 "Bahnhofstraße 2"
links resume
settle
for m in $machines; do
    seen=$(machine $m conflicts)
    [ "$(grep -c . <<<"$seen")" -eq 1 ] && grep -q $'^E8_101\t' <<<"$seen" || fail "$m lists: $seen"
    for value in "Hauptstraße 1" "Bahnhofstraße 2"; do
        grep -q "$value" <<<"$seen" || fail "$m lost $value: $seen"
    done
done

# 3. The relay resolves it; every machine then holds the value kept and no conflict.
kept=$(machine C conflicts | cut -f3)
machine C keep-theirs
settle
for m in $machines; do
    seen=$(machine $m get E8_101 conflicts)
    [ "$seen" = "$kept" ] || fail "$m holds after the resolution: $seen"
done
echo "sync: three machines kept every edit; the conflict travelled and was resolved on the relay ($((SECONDS - start)) s)"
