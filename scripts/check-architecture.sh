#!/usr/bin/env bash
# Fails when docs/architecture.svg is not the picture the link graph draws now, or when a
# library folder (one per quillory_library call, tests and benchmarks aside) is not named in
# bold in docs/architecture.md. Run by .ci/run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tmp=$(mktemp -d /tmp/quillory-arch-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
status=0

bash "$root/scripts/architecture.sh" "$tmp/architecture.svg" >/dev/null
if ! cmp -s "$tmp/architecture.svg" "$root/docs/architecture.svg"; then
    echo "docs/architecture.svg differs from the link graph: run scripts/architecture.sh" >&2
    diff "$root/docs/architecture.svg" "$tmp/architecture.svg" | head -20 >&2 || true
    status=1
fi

python3 - "$root" <<'PY' || status=1
import pathlib, re, sys
root = pathlib.Path(sys.argv[1])
text = (root / "docs/architecture.md").read_text()
missing = []
for cmake in sorted(root.glob("*/CMakeLists.txt")):
    folder = cmake.parent.name
    if folder in ("tests", "bench", "tools", "packaging", "resources"):
        continue
    for call in re.findall(r"quillory_library\(\s*(\w+)([^)]*)\)", cmake.read_text()):
        sub = re.search(r"DIR\s+\$\{CMAKE_CURRENT_SOURCE_DIR\}/(\S+)", call[1])
        name = folder + "/" + sub.group(1) if sub else folder
        if f"**{name}**" not in text:
            missing.append(name)
if missing:
    print("docs/architecture.md names no " + ", ".join(missing), file=sys.stderr)
    sys.exit(1)
PY
exit $status
