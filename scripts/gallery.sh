#!/usr/bin/env bash
# Makes the screenshot gallery under docs/gallery/ from the real program: runs the end-to-end
# suite against an installed program folder, keeps its pictures, trims the empty screen
# around each window and writes docs/gallery/README.md.
# Usage: scripts/gallery.sh [installed program folder, default dist/]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${1:-$root/dist}
out=$root/docs/gallery
shots=$(mktemp -d /tmp/quillory-gallery-XXXXXX)
trap 'rm -rf "$shots"' EXIT

QUILLORY_E2E_SHOTS=$shots QUILLORY_E2E_SETTLE=1 bash "$root/tests/e2e/run-all.sh" "$prefix" ||
    echo "gallery: some scenarios failed; their pictures are left out" >&2

# picture of the suite : file name in the gallery : caption
pictures=(
    "login-prompt:01-anmeldung:Die Anmeldung: der Benutzername wird abgefragt"
    "creation-question:02-neuer-benutzer:Ein neuer Benutzer wird angelegt"
    "desk:03-schreibtisch:Der Schreibtisch"
    "desk-highlighted:04-hervorgehoben:Ein hervorgehobener Bereich unter der Maus"
    "about-box:05-info:Das Info-Fenster"
    "desk-pressed:06-gedrueckt:Der gedrückte Info-Bereich, solange das Info-Fenster offen ist"
    "help:07-hilfe:Die Hilfe"
    "form-filled-12:10-persoenliches:Persönliches"
    "form-filled-16:11-nummern:Wichtige Nummern"
    "form-filled-8:12-aerzte:Ärzte"
    "form-filled-9:13-bank:Bankgeschäfte"
    "form-filled-15:14-software:Softwareregistrierung"
    "form-filled-11:15-online:Online"
    "form-filled-14:16-seriennummern:Seriennummern"
    "form-filled-13:17-pkw:Fahrzeugschein/brief"
    "form-filled-10:18-freifelder:Frei definierbare Felder"
    "password-question:20-passwort-frage:Die Frage vor der ersten Paßwortvergabe"
    "password-dialog:21-passwort-eingabe:Paßworteingabe"
    "password-prompt-pending:22-passwort-abfrage:Die Paßwortabfrage beim nächsten Start"
    "backup-dialog:30-backup:Der Backup-Dialog"
    "backup-running:31-backup-laeuft:Der Backup-Dialog während einer Sicherung"
)

rm -rf "$out"
mkdir -p "$out"
{
    echo "# Quillory in Bildern"
    echo
    echo "Aufgenommen mit \`scripts/gallery.sh\` vom echten Programm unter Xvfb."
    echo
} >"$out/README.md"
for entry in "${pictures[@]}"; do
    IFS=: read -r shot name caption <<<"$entry"
    [ -e "$shots/$shot.png" ] || { echo "gallery: no picture $shot" >&2; continue; }
    convert "$shots/$shot.png" -trim +repage "$out/$name.png"
    printf '## %s\n\n![%s](%s.png)\n\n' "$caption" "$caption" "$name" >>"$out/README.md"
done
echo "gallery: $(ls "$out"/*.png | wc -l) pictures in $out"
