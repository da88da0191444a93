#!/usr/bin/env bash
# Builds the product: the real 32-bit Windows executables, with the stand-in
# payload where no vendor file is in payload/. Outputs land in build/windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh build
cmake --preset windows >/dev/null
cmake --build --preset windows -j2

for exe in build/windows/installer/VelodarInstaller.exe build/windows/uninstaller/uninstall_Velodar.exe; do
  [ -f "$exe" ] && printf '%-48s %9d bytes\n' "$exe" "$(stat -c %s "$exe")"
done
