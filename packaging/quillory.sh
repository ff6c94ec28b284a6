#!/bin/sh
# Starts Quillory through a program folder of the user's own: $XDG_DATA_HOME/Quillory/ holds
# links to the installed program and its data files, so documents and Backup.Ini are written
# there while the installed files stay read-only. The links are renewed at every start, so an
# update of the package is picked up; regular files in the folder (documents) are never touched.
set -eu

self=$(readlink -f "$0")
installed=$(cd "$(dirname "$self")/../lib/quillory" && pwd) || {
    echo "quillory: program folder not found beside $self" >&2
    exit 1
}

data_home=${XDG_DATA_HOME:-}
case "$data_home" in
/*) ;;
*) data_home="${HOME:?}/.local/share" ;;
esac
folder="$data_home/Quillory"
if [ ! -d "$folder" ]; then
    mkdir -p "$data_home"
    mkdir -m 0700 "$folder"
fi

for file in "$installed"/*; do
    [ -e "$file" ] || continue
    name=$(basename "$file")
    link="$folder/$name"
    if [ -L "$link" ] || [ ! -e "$link" ]; then
        ln -sfn "$file" "$link"
    fi
done
# Links left by an earlier version whose file is gone.
for link in "$folder"/*; do
    if [ -L "$link" ] && [ ! -e "$link" ]; then
        case "$(readlink "$link")" in
        "$installed"/*) rm -f "$link" ;;
        esac
    fi
done

exec "$folder/quillory" "$@"
