#!/usr/bin/env bash
# Two builds of the same sources in two different folders must give
# byte-identical executables: no time stamps, no build paths.
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
start=$(date +%s)

for copy in first second-copy; do
  mkdir -p "$work/$copy"
  # The tracked sources as they are in the working tree (a vendor's payload included).
  (cd "$source_dir" && git ls-files -z --cached --others --exclude-standard | xargs -0 cp --parents -t "$work/$copy")
  (cd "$work/$copy" && cmake --preset windows >/dev/null && cmake --build --preset windows -j2 >/dev/null)
done

status=0
for exe in installer/VelodarInstaller.exe uninstaller/uninstall_Velodar.exe; do
  if cmp -s "$work/first/build/windows/$exe" "$work/second-copy/build/windows/$exe"; then
    echo "reproducible: $exe ($(stat -c %s "$work/first/build/windows/$exe") bytes)"
  else
    echo "FAIL: $exe differs between two builds of the same sources"
    status=1
  fi
done
echo "reproducibility check took $(( $(date +%s) - start )) s"
exit $status
