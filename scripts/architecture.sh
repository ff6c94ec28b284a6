#!/usr/bin/env bash
# Draws docs/architecture.svg, the layers of the program, from the real link graph: CMake's
# --graphviz output of a configuration without tests and tools, reduced to the direct links
# (Graphviz's tred), laid out by dot. The build target `architecture` runs it.
#   scripts/architecture.sh [output svg, default docs/architecture.svg]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:-$root/docs/architecture.svg}
tmp=$(mktemp -d /tmp/quillory-graph-XXXXXX)
trap 'rm -rf "$tmp"' EXIT
cat >"$tmp/CMakeGraphVizOptions.cmake" <<'CMAKE'
set(GRAPHVIZ_GRAPH_NAME "Quillory")
set(GRAPHVIZ_EXTERNAL_LIBS FALSE)
set(GRAPHVIZ_INTERFACE_LIBS FALSE)
set(GRAPHVIZ_GENERATE_PER_TARGET FALSE)
set(GRAPHVIZ_GENERATE_DEPENDERS FALSE)
set(GRAPHVIZ_IGNORE_TARGETS "^formshots$" "^maketemplates$" "^quillory_artwork$"
    "_resources_1$")
CMAKE
cmake -S "$root" -B "$tmp" -G Ninja -DQUILLORY_TESTS=OFF -DQUILLORY_BENCH=OFF \
      --graphviz="$tmp/links.dot" >"$tmp/cmake.log" 2>&1 || { cat "$tmp/cmake.log"; exit 1; }
# Without CMake's legend; libraries as boxes, the program on top.
python3 - "$tmp/links.dot" >"$tmp/layers.dot" <<'PY'
import re, sys
text = open(sys.argv[1]).read()
text = re.sub(r"subgraph clusterLegend \{.*?\n\}\n", "", text, flags=re.S)
text = text.replace("shape = octagon", "shape = box, style = rounded")
text = text.replace("shape = egg", "shape = box, style = bold")
text = re.sub(r'(digraph "[^"]*" \{)', r'\1\n  rankdir = TB; node [fontname = "DejaVu Sans", fontsize = 11];', text, count=1)
print(text)
PY
tred "$tmp/layers.dot" | dot -Tsvg -o "$out"
echo "architecture: $out"
