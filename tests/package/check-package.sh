#!/usr/bin/env bash
# The Debian package as a user gets it: built by CPack from the build directory, checked by the
# distribution's validators, unpacked with dpkg -x and started through its launcher under Xvfb
# with a fresh HOME; a new user's document must land in $XDG_DATA_HOME/Quillory/.
# Usage: check-package.sh <build directory> <source directory>
set -uo pipefail
build=$(cd "${1:?usage: check-package.sh <build dir> <source dir>}" && pwd)
source_dir=$(cd "${2:?}" && pwd)
work=$(mktemp -d /tmp/quillory-pkg-XXXXXX)
# shellcheck source=../e2e/session.sh
. "$source_dir/tests/e2e/session.sh"
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    wait 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT
# Replaces the session's own: a failed step ends the check.
fail() {
    echo "package: FAIL $*" >&2
    [ -n "${DISPLAY:-}" ] && import -window root "$build/Testing/package-fail.png" 2>/dev/null
    exit 1
}

# --- build and inspect ---------------------------------------------------------------------
(cd "$build" && cpack -G DEB -B "$work/out") >"$work/cpack.log" 2>&1 ||
    { cat "$work/cpack.log"; fail "cpack -G DEB"; }
deb=$(ls "$work"/out/quillory_*.deb 2>/dev/null | head -n1)
[ -n "$deb" ] || fail "no .deb made"
echo "package: $(basename "$deb")"
dpkg-deb --info "$deb" || fail "dpkg-deb --info"
contents=$(dpkg-deb --contents "$deb") || fail "dpkg-deb --contents"
for path in ./usr/bin/quillory ./usr/lib/quillory/quillory "./usr/lib/quillory/QUILLORY 1.DAT" \
    ./usr/lib/quillory/kontur.dat ./usr/lib/quillory/Quillory.hlp ./usr/lib/quillory/backup.pif \
    ./usr/lib/quillory/pkzip.exe ./usr/share/applications/de.quillory.Quillory.desktop \
    ./usr/share/metainfo/de.quillory.Quillory.metainfo.xml \
    ./usr/share/icons/hicolor/48x48/apps/de.quillory.Quillory.png \
    ./usr/share/icons/hicolor/256x256/apps/de.quillory.Quillory.png; do
    grep -qF " $path" <<<"$contents" || fail "missing $path"
done
depends=$(dpkg-deb --field "$deb" Depends)
for dep in libqt6widgets6 zip unzip qt6-qpa-plugins; do
    grep -qw "$dep" <<<"$depends" || fail "Depends lacks $dep: $depends"
done

if command -v lintian >/dev/null; then
    # Errors fail the check; warnings and informational tags are shown.
    lintian --no-tag-display-limit "$deb" | tee "$work/lintian.log"
    ! grep -q '^E:' "$work/lintian.log" || fail "lintian reports errors"
else
    echo "package: lintian not installed, skipped"
fi
desktop-file-validate "$source_dir/packaging/de.quillory.Quillory.desktop" ||
    fail "desktop-file-validate"
appstreamcli validate --no-net --pedantic "$source_dir/packaging/de.quillory.Quillory.metainfo.xml" ||
    fail "appstreamcli validate"

# --- unpack and run through the launcher ---------------------------------------------------
root="$work/root"
dpkg -x "$deb" "$root" || fail "dpkg -x"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME QT_QPA_PLATFORM
export LANG=C.UTF-8 LC_ALL=C.UTF-8

shots="$work/shots"
mkdir -p "$shots"
title="Quillory Version 1.0"
program="$root/usr/bin/quillory"
start_xvfb || fail "Xvfb did not start"
start_program
login_new_user "Lena"
click_desk "$desk" 468 323
wait_program_end 10 || fail "program did not end"
[ "$program_status" = 0 ] || { cat "$work/program.log"; fail "exit status $program_status"; }

folder="$HOME/.local/share/Quillory"
[ -f "$folder/Lena.qlr" ] && [ ! -L "$folder/Lena.qlr" ] && [ -s "$folder/Lena.qlr" ] ||
    { ls -la "$folder" >&2; fail "Lena.qlr not in $folder"; }
[ -L "$folder/quillory" ] || fail "the program folder holds no link to the program"
[ -z "$(find "$root/usr/lib/quillory" -name '*.qlr')" ] || fail "a document in the installed folder"
echo "package: the new user's document is $folder/Lena.qlr"
