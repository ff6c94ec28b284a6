#!/usr/bin/env bash
# Sets Quillory up on a Debian 12 machine and then starts it (run) or tests it (test).
#   scripts/setup.sh run    install packages, build, install to dist/, start dist/quillory
#   scripts/setup.sh test   install packages, build, install to dist/, run every test
set -euo pipefail
mode=${1:-run}
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

sudo_cmd=""
if [ "$(id -u)" != 0 ]; then sudo_cmd="sudo"; fi
packages=$(grep -v -E '^\s*(#|$)' scripts/debian-packages.txt | tr '\n' ' ')
missing=""
for p in $packages; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    $sudo_cmd apt-get update
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y --no-install-recommends $missing
fi

build=${QUILLORY_BUILD_DIR:-build}
prefix=${QUILLORY_PREFIX:-$root/dist}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
      -DQUILLORY_E2E_PREFIX="$prefix" ${QUILLORY_CMAKE_ARGS:-}
cmake --build "$build" --parallel "$(nproc)"
cmake --install "$build" --prefix "$prefix"

case "$mode" in
run)
    exec "$prefix/quillory"
    ;;
test)
    ctest --test-dir "$build" --output-on-failure --timeout 900 --label-exclude e2e
    # The end-to-end scenarios side by side: each has its own X server, window manager and
    # folders, and waits for conditions rather than times.
    ctest --test-dir "$build" --output-on-failure --timeout 900 --label-regex e2e \
          --parallel "${QUILLORY_E2E_JOBS:-3}"
    ;;
*)
    echo "usage: $0 run|test" >&2
    exit 2
    ;;
esac
