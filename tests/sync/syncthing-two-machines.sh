#!/usr/bin/env bash
# Two machines of a household behind a real sync engine: two Syncthing instances on the loopback
# interface, each with its own home, sharing one program folder. Each machine is played by the
# sync driver (the data set manager with real files), with its own state and temporary folder.
#   1. Both edit different fields of one user while the link is paused; resumed, both machines
#      end with every edit and no conflict copy is left in either program folder.
#   2. Both edit the same field while paused: one conflict is listed, both values recoverable.
# Usage: syncthing-two-machines.sh <sync driver> <program dir with the templates>
set -euo pipefail
driver=$1
program=$2
# A short folder of its own, whatever TMPDIR says: sockets and paths stay well inside limits.
work=$(mktemp -d /tmp/quillory-sync-XXXXXX)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
    [ -n "${KEEP:-}" ] || rm -rf "$work"
}
trap cleanup EXIT
fail() {
    echo "sync: FAIL $*" >&2
    for m in A B; do echo "--- $m" >&2; ls -la "$work/$m/data" >&2 || true; tail -n 20 "$work/$m/syncthing.log" >&2 || true; done
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

# --- two Syncthing instances -------------------------------------------------------------
for m in A B; do
    mkdir -p "$work/$m/data" "$work/$m/state" "$work/$m/tmp"
    syncthing generate --home="$work/$m/home" --no-default-folder >/dev/null &
done
wait
for m in A B; do
    syncthing serve --home="$work/$m/home" --device-id >"$work/$m/id"
    echo "$(free_port) $(free_port) key$m$RANDOM$RANDOM" >"$work/$m/ports"
done
for m in A B; do
    other=$([ $m = A ] && echo B || echo A)
    python3 - "$work" "$m" "$other" <<'PY'
import sys, xml.etree.ElementTree as ET
work, m, other = sys.argv[1:4]
gui, listen, key = open(f"{work}/{m}/ports").read().split()
ogui, olisten, _ = open(f"{work}/{other}/ports").read().split()
me, them = (open(f"{work}/{x}/id").read().strip() for x in (m, other))
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
d = ET.SubElement(root, "device", id=them, name=other, compression="metadata", introducer="false")
ET.SubElement(d, "address").text = f"tcp://127.0.0.1:{olisten}"
f = ET.Element("folder", id="quillory", label="Quillory", path=f"{work}/{m}/data", type="sendreceive",
               rescanIntervalS="2", fsWatcherEnabled="true", fsWatcherDelayS="1")
for dev in (me, them):
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
wait_for 60 connected A || fail "the instances did not connect"

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
same() { cmp -s "$work/A/data/$doc" "$work/B/data/$doc"; }
no_copies() { ! ls "$work"/A/data "$work"/B/data | grep -q 'sync-conflict'; }
# Each engine has seen its machine's saves before the link comes back (as an offline laptop's
# engine has long before): otherwise it takes a save for an old file and replaces it.
pause() { api A POST "/rest/system/pause?device=$(id_of B)" >/dev/null; api B POST "/rest/system/pause?device=$(id_of A)" >/dev/null; }
resume() { api A POST "/rest/system/resume?device=$(id_of B)" >/dev/null; api B POST "/rest/system/resume?device=$(id_of A)" >/dev/null; }
# After a resume: each machine logs in (taking in the conflict copies the engine made) once the
# engines have carried the other's version, until both agree and no copy is left.
settle() {
    for _ in 1 2 3 4; do
        wait_for 6 same || true
        machine A >/dev/null
        wait_for 6 same || true
        machine B >/dev/null
        if wait_for 15 same && wait_for 10 no_copies; then return 0; fi
    done
    fail "the machines did not agree"
}

start=$SECONDS
machine A || fail "machine A could not create the document"
wait_for 40 same || fail "the new document did not reach machine B"
machine B get E8_100 >/dev/null # B reads the household's document once

# 1. Different fields while the link is paused.
pause
machine A set E8_100 "Dr. Weiß"
machine B set E2_100 "0711 123456"
resume
settle
for m in A B; do
    seen=$(machine $m get E8_100 get E2_100 conflicts)
    [ "$seen" = $'Dr. Weiß\n0711 123456' ] || fail "$m holds: $seen"
done

# 2. The same field while the link is paused.
pause
machine A set E8_101 "Hauptstraße 1"
machine B set E8_101 "Bahnhofstraße 2"
resume
settle
kept=""
for m in A B; do
    seen=$(machine $m get E8_101 conflicts)
    n=$(grep -c $'^E8_101\t' <<<"$seen" || true)
    [ "$(grep -c . <<<"$seen")" -eq $((n + 1)) ] && [ "$n" -le 1 ] || fail "$m lists: $seen"
    kept+=$seen$'\n'
done
grep -q $'^E8_101\t' <<<"$kept" || fail "no conflict listed: $kept"
for value in "Hauptstraße 1" "Bahnhofstraße 2"; do
    grep -q "$value" <<<"$kept" || fail "$value is gone: $kept"
done
echo "sync: both machines kept every edit; the conflict lists both values ($((SECONDS - start)) s)"
