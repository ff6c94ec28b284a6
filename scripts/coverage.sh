#!/usr/bin/env bash
# Line and branch coverage of the unit and integration tests, per folder: a build with gcc's
# --coverage (QUILLORY_COVERAGE), its tests run, gcovr's figures summed by folder.
#   scripts/coverage.sh [build folder, default build-coverage]
# Only the build's own code counts (no tests, tools, generated files). Branches the compiler
# adds for exceptions and unreachable code are left out: they are no decisions of the code.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$root/build-coverage}
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Debug -DQUILLORY_COVERAGE=ON \
      -DQUILLORY_BENCH=OFF ${QUILLORY_CMAKE_ARGS:-} >/dev/null
# QUILLORY_COVERAGE_TARGETS="engine_tests store_tests" measures those test programs alone.
targets=${QUILLORY_COVERAGE_TARGETS:-}
log="$build/coverage-tests.log"
cmake --build "$build" --parallel "$(nproc)" ${targets:+--target $targets}
find "$build" -name '*.gcda' -delete
if [ -n "$targets" ]; then
    for t in $targets; do
        QT_QPA_PLATFORM=offscreen "$build/tests/$t" >>"$log" 2>&1 ||
            echo "coverage: $t failed, see $log" >&2
    done
else
    ctest --test-dir "$build" --label-exclude e2e --timeout 900 >"$log" 2>&1 ||
        echo "coverage: some tests failed, see $log" >&2
fi
cd "$root"
gcovr --root "$root" --object-directory "$build" \
      --exclude 'tests/' --exclude 'tools/' --exclude 'bench/' --exclude "$build/.*" \
      --exclude-throw-branches --exclude-unreachable-branches \
      --json-summary "$build/coverage.json" >/dev/null
python3 - "$build/coverage.json" <<'PY'
import collections, json, sys
files = json.load(open(sys.argv[1]))["files"]
sums = collections.defaultdict(lambda: [0, 0, 0, 0])
for f in files:
    parts = f["filename"].split("/")
    # platform/file, platform/gui and util/gui apart from their folders.
    folder = "/".join(parts[:2]) if len(parts) > 2 and parts[1] in ("file", "gui") else parts[0]
    s = sums[folder]
    s[0] += f["line_covered"]; s[1] += f["line_total"]
    s[2] += f["branch_covered"]; s[3] += f["branch_total"]
pct = lambda a, b: f"{100.0 * a / b:5.1f} %" if b else "    -  "
print(f"{'folder':<16}{'lines':>16}{'':>9}{'branches':>16}")
total = [0, 0, 0, 0]
for folder in sorted(sums):
    s = sums[folder]
    total = [t + v for t, v in zip(total, s)]
    print(f"{folder:<16}{s[0]:>7}/{s[1]:<7}{pct(s[0], s[1])}  {s[2]:>7}/{s[3]:<7}{pct(s[2], s[3])}")
print(f"{'all':<16}{total[0]:>7}/{total[1]:<7}{pct(total[0], total[1])}  {total[2]:>7}/{total[3]:<7}{pct(total[2], total[3])}")
PY
