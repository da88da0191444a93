#!/usr/bin/env bash
# Builds the product: the real 32-bit Windows executables, with the stand-in
# payload where no vendor file is in payload/. Outputs land in build/windows/.
set -euo pipefail
cd "$(dirname "$0")/.."

tools/install-deps.sh build
cmake --preset windows >/dev/null
cmake --build --preset windows -j2

installer=build/windows/installer/VelodarInstaller.exe
uninstaller=build/windows/uninstaller/uninstall_Velodar.exe
printf '%-48s %9d bytes\n' "$installer" "$(stat -c %s "$installer")" "$uninstaller" "$(stat -c %s "$uninstaller")"
if command -v wrestool >/dev/null 2>&1; then
  payload=$(wrestool -l "$installer" | sed -n "s/^--type='\(APPL\|MPEG\|TEXT\)'.* size=\([0-9]*\)\]/\2/p" |
            awk '{ s += $1 } END { print s + 0 }')
  printf '%-48s %9d bytes\n' "payload carried by the installer" "$payload"
  printf '%-48s %9d bytes\n' "installer overhead (size minus payload)" "$(( $(stat -c %s "$installer") - payload ))"
fi
