#!/bin/bash
# Refreshes the tracked screenshots docs/welcome.png and docs/terms.png from the walk scenario.
# Arguments as for run.sh (e.g. --installer EXE).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
"$here/run.sh" --out "$out" --only walk-win7 "$@"
for page in welcome terms; do
    cp "$out/screenshots/walk-win7-$page.png" "$root/docs/$page.png"
    echo "docs/$page.png"
done
