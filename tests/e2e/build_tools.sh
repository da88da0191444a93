#!/bin/bash
# Builds the harness's own Windows programs: build_tools.sh i686|x86_64 OUTDIR
#   driver.exe (plays scenarios), probe.exe (self-check and small helpers),
#   netsh.exe (records the firewall commands), uxtheme.dll (the DLL-search marker).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
arch="$1"; dir="$2"
mkdir -p "$dir"
cxx="$arch-w64-mingw32-g++"
flags=(-O2 -Wall -Wextra -static -finput-charset=UTF-8 -fexec-charset=CP932)
"$cxx" "${flags[@]}" "$here/driver/driver.cpp" -o "$dir/driver.exe" -lgdi32
"$arch-w64-mingw32-windres" -c 65001 "$here/probe/probe.rc" -O coff -o "$dir/probe.res"
"$cxx" "${flags[@]}" -mwindows "$here/probe/probe.cpp" "$dir/probe.res" -o "$dir/probe.exe" -lole32 -luuid
"$cxx" "${flags[@]}" -mwindows "$here/recorder/netsh_recorder.cpp" -o "$dir/netsh.exe"
"$cxx" "${flags[@]}" -shared "$here/marker/marker.cpp" -o "$dir/uxtheme.dll"
