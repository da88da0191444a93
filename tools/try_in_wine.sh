#!/bin/bash
# Try the built installer without Windows: tools/try_in_wine.sh [installer.exe]
#
# Runs it in a throwaway Wine prefix (Windows 7, Japanese locale). With a $DISPLAY you click through
# it yourself; without one it runs under Xvfb, the driver clicks through welcome -> terms -> back ->
# キャンセル, and a screenshot of each page lands in build/try_in_wine/. Nothing is installed (the
# installer is never told to agree), and the prefix is removed afterwards.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
installer="${1:-$root/build/windows/installer/VelodarInstaller.exe}"
[ -f "$installer" ] || { echo "no installer at $installer (build it: tools/build.sh)" >&2; exit 2; }
"$root/tests/e2e/setup_host.sh"

machine="$(python3 -c 'import sys,struct; d=open(sys.argv[1],"rb").read(4096); o=struct.unpack_from("<I",d,60)[0]; print("x86_64" if struct.unpack_from("<H",d,o+4)[0]==0x8664 else "i686")' "$installer")"
if [ "$machine" = x86_64 ]; then loader=/usr/lib/wine/wine64; winearch=win64; else loader=/usr/lib/wine/wine; winearch=win32; fi
if ! "$loader" --version >/dev/null 2>&1; then
    echo "this machine cannot start $machine Wine ($loader); for a 32-bit installer on a host without" >&2
    echo "32-bit Linux processes, try the 64-bit build that tests/e2e/run.sh makes in build/e2e-x64/" >&2
    exit 77
fi

tmp="$(mktemp -d)"
export WINEPREFIX="$tmp/prefix" WINEARCH="$winearch" WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree=;mshtml=;winemenubuilder.exe=d"
cleanup() { wineserver -k 2>/dev/null || true; rm -rf "$tmp"; }
trap cleanup EXIT
echo "making a Wine prefix (about 20 s)..."
"$loader" wineboot -i >/dev/null 2>&1
"$loader" winecfg -v win7 >/dev/null 2>&1 || true
wineserver -w
mkdir -p "$WINEPREFIX/drive_c/try"
cp "$installer" "$WINEPREFIX/drive_c/try/VelodarInstaller.exe"

if [ -n "${DISPLAY:-}" ]; then
    echo "starting the installer on $DISPLAY (its staged licence.txt is in C:\\try)"
    "$loader" explorer /desktop=velodar,800x600 'C:\try\VelodarInstaller.exe' || true
    wineserver -w
    exit 0
fi

out="$root/build/try_in_wine"
mkdir -p "$out" "$tmp/shots"
"$root/tests/e2e/build_tools.sh" "$machine" "$tmp/bin" >/dev/null
cp "$tmp/bin/driver.exe" "$WINEPREFIX/drive_c/try/driver.exe"
printf '%s\n' window "shot 1-welcome" "key ENTER" window "shot 2-terms" "key ALT+B" window "shot 3-welcome-again" "click 2" exit > "$tmp/steps.txt"
cat > "$tmp/serve.sh" <<'EOS'
#!/bin/bash
# Takes the screenshots the driver asks for while it runs.
shots="$1"; out="$2"; shift 2
"$@" &
pid=$!
while kill -0 "$pid" 2>/dev/null; do
    for req in "$shots"/*.req; do
        [ -e "$req" ] || continue
        name="$(basename "$req" .req)"
        xwd -root -silent -display "$DISPLAY" | convert xwd:- "png:$out/$name.png"
        rm -f "$req"; : > "$shots/$name.done"
        echo "  $out/$name.png"
    done
    sleep 0.05
done
wait "$pid"
EOS
chmod +x "$tmp/serve.sh"
echo "no display: clicking through under Xvfb"
timeout 300 xvfb-run -a -s "-screen 0 800x600x24 -nolisten tcp" "$tmp/serve.sh" "$tmp/shots" "$out" \
    "$loader" explorer /desktop=velodar,800x600 'C:\try\driver.exe' --timeout 20000 --cwd 'C:\' \
    --shots "Z:${tmp//\//\\}\\shots" "Z:${tmp//\//\\}\\steps.txt" "Z:${tmp//\//\\}\\transcript.jsonl" 'C:\try\VelodarInstaller.exe'
wineserver -w
echo "the installer's transcript:"
python3 -c 'import json,sys
for l in open(sys.argv[1], encoding="utf-8"):
    r = json.loads(l); print(" ", r["t"], r["event"], r.get("caption", r.get("key", r.get("id", r.get("code", "")))))' "$tmp/transcript.jsonl"
