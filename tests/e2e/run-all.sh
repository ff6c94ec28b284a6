#!/usr/bin/env bash
# End-to-end scenarios: the installed program in a real X server (Xvfb) under openbox, driven
# with xdotool as a person would.
# Usage: run-all.sh <installed program folder> [scenario...]
# Without names every scenario runs. Each scenario runs alone, in a session of its own: its own
# X server and window manager, its own copy of the program folder, its own HOME. CTest runs
# each as the test e2e.<scenario> (tests/CMakeLists.txt finds them when configuring).
#
# Writing a scenario: a file scenarios/<topic>.sh defines functions scenario_<name> (lower
# case, digits, _) and helpers of its own prefixed by the topic; it runs nothing when sourced.
# A scenario starts from an empty program folder: what it builds on, it sets up first, with
# add_user <name> (a user that exists already) or needs <scenario>... (runs other scenarios
# first in the same session, e.g. for the running program with its desk, or filled forms).
# A failing step calls fail "<what>", which leaves a screenshot, and returns 1.
set -uo pipefail

prefix=${1:?usage: run-all.sh <installed program folder> [scenario...]}
prefix=$(cd "$prefix" && pwd)
shift
here=$(cd "$(dirname "$0")" && pwd)

# The scenario names in file order, as tests/CMakeLists.txt finds them.
all_scenarios() { sed -n 's/^scenario_\([a-z0-9_]*\)().*/\1/p' "$here"/scenarios/*.sh; }

# --- several scenarios: each in a run of this script ------------------------------------
if [ $# != 1 ]; then
    [ $# = 0 ] && set -- $(all_scenarios)
    passes=0 failed=()
    for name; do
        if bash "$0" "$prefix" "$name"; then
            passes=$((passes + 1))
        else
            failed+=("$name")
        fi
    done
    echo "e2e: $passes passed, ${#failed[@]} failed${failed[*]:+: ${failed[*]}}"
    [ ${#failed[@]} = 0 ]
    exit
fi

# --- one scenario in a session of its own -----------------------------------------------
name=$1
title="Quillory Version 1.0"
work=$(mktemp -d /tmp/quillory-e2e-XXXXXX 2>/dev/null || mktemp -d) || exit 1
shots=${QUILLORY_E2E_SHOTS:-$work/screenshots}
mkdir -p "$shots"

app="$work/program"
cp -a "$prefix" "$app"
program="$app/quillory"
export HOME="$work/home" XDG_RUNTIME_DIR="$work/runtime"
mkdir -p "$HOME" "$XDG_RUNTIME_DIR"
chmod 700 "$XDG_RUNTIME_DIR"
# No session bus of the caller's desktop: its screen locker must not reach the program. Where
# dbus-x11 is installed, the program may start a bus of its own on this X server.
unset XDG_CONFIG_HOME QT_QPA_PLATFORM DBUS_SESSION_BUS_ADDRESS
export LANG=C.UTF-8

# shellcheck source=session.sh
. "$here/session.sh"

# A passed scenario's folder goes, unless its screenshots are in it; a failed one's stays.
cleanup() {
    local status=$?
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    run_exit_hooks
    stop_xvfb
    wait 2>/dev/null
    [ "$status" = 0 ] && [ -n "${QUILLORY_E2E_SHOTS:-}" ] && rm -rf "$work"
}
trap cleanup EXIT

# Scenario files written for the one-run suite call "run <name>" when sourced: not here.
run() { :; }
for file in "$here"/scenarios/*.sh; do
    # shellcheck source=/dev/null
    . "$file"
done
declare -F "scenario_$name" >/dev/null || { echo "e2e: no scenario $name" >&2; exit 2; }

start_xvfb || exit 1
current=$name
start=$SECONDS
if "scenario_$name"; then
    echo "e2e: ok   $name ($((SECONDS - start)) s)"
    exit 0
fi
echo "e2e: program output:" >&2
cat "$work/program.log" >&2 2>/dev/null
echo "e2e: screenshots in $shots" >&2
exit 1
