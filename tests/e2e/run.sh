#!/bin/bash
# End-to-end tests of the setup programs under Wine.
#
#   tests/e2e/run.sh [--installer EXE] [--uninstaller EXE] [--driver EXE] [--probe EXE] [--out DIR]
#                    [--only NAME]... [--keep]
#
# Defaults: VELODAR_INSTALLER / VELODAR_UNINSTALLER / E2E_DRIVER / E2E_PROBE from the environment,
# else build/windows/installer/VelodarInstaller.exe, build/windows/uninstaller/uninstall_Velodar.exe,
# and a driver and probe built here into the output folder (build/e2e) for the installer's
# architecture. Installs the Debian packages and the ja_JP.UTF-8 locale it needs when they are missing.
# Exit 0 only when every scenario passed; 77 when this host cannot start Wine for that architecture.
# Where 32-bit Wine cannot start (no 32-bit Linux processes), a 64-bit build of the same sources is
# tested instead (E2E_NO_X64_FALLBACK=1 turns that off).
set -euo pipefail
here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
root="$(cd "$here/../.." && pwd)"

installer="${VELODAR_INSTALLER:-$root/build/windows/installer/VelodarInstaller.exe}"
uninstaller="${VELODAR_UNINSTALLER:-$root/build/windows/uninstaller/uninstall_Velodar.exe}"
driver="${E2E_DRIVER:-}"
probe="${E2E_PROBE:-}"
out="${E2E_OUT:-$root/build/e2e}"
passthru=()
while [ $# -gt 0 ]; do
    case "$1" in
        --installer) installer="$2"; shift 2 ;;
        --uninstaller) uninstaller="$2"; shift 2 ;;
        --driver) driver="$2"; shift 2 ;;
        --probe) probe="$2"; shift 2 ;;
        --out) out="$2"; shift 2 ;;
        --only) passthru+=(--only "$2"); shift 2 ;;
        --keep) passthru+=(--keep); shift ;;
        *) echo "run.sh: unknown argument $1" >&2; exit 2 ;;
    esac
done
mkdir -p "$out"
out="$(cd "$out" && pwd)"
start=$(date +%s)

"$here/setup_host.sh"

# The driver and probe are built for the architecture of the programs under test.
arch=i686
if [ -f "$installer" ]; then
    arch="$(python3 -c 'import sys,struct; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,60)[0]; print("x86_64" if struct.unpack_from("<H",d,o+4)[0]==0x8664 else "i686")' "$installer")"
elif ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
    arch=x86_64  # this host cannot start 32-bit Wine: prove the harness with 64-bit tools
fi
# A host without 32-bit Linux processes cannot start 32-bit Wine: there the same product sources are
# built for x86_64 (tests/e2e/mingw-x86_64.cmake) and that build is driven instead, said loudly.
if [ "$arch" = i686 ] && ! /usr/lib/wine/wine --version >/dev/null 2>&1 && [ "${E2E_NO_X64_FALLBACK:-}" != 1 ]; then
    echo "e2e: NOTE this host cannot start 32-bit Wine; testing a 64-bit build of the same sources"
    cmake -S "$root" -B "$root/build/e2e-x64" -G Ninja -DCMAKE_BUILD_TYPE=MinSizeRel \
        -DCMAKE_TOOLCHAIN_FILE="$here/mingw-x86_64.cmake" >/dev/null
    cmake --build "$root/build/e2e-x64" -j2 >/dev/null
    installer="$root/build/e2e-x64/installer/VelodarInstaller.exe"
    uninstaller="$root/build/e2e-x64/uninstaller/uninstall_Velodar.exe"
    arch=x86_64
fi
if [ -z "$driver" ] || [ -z "$probe" ]; then
    "$here/build_tools.sh" "$arch" "$out/bin-$arch"
    driver="${driver:-$out/bin-$arch/driver.exe}"
    probe="${probe:-$out/bin-$arch/probe.exe}"
fi

echo "e2e: installer $installer ($arch)"
rc=0
timeout 1500 xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" \
    python3 "$here/e2e.py" --installer "$installer" --uninstaller "$uninstaller" \
    --driver "$driver" --probe "$probe" --out "$out" "${passthru[@]}" || rc=$?
echo "e2e: run.sh took $(( $(date +%s) - start )) s"
exit $rc
