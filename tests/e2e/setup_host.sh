#!/bin/bash
# Installs what the end-to-end tests need on a fresh Debian machine; does nothing when it is there.
set -euo pipefail
need=()
for p in wine wine32:i386 wine64 xvfb xauth fonts-ipafont-gothic imagemagick x11-apps locales \
         g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64; do
    dpkg -s "$p" >/dev/null 2>&1 || need+=("$p")
done
if [ ${#need[@]} -gt 0 ]; then
    echo "e2e: installing ${need[*]}"
    if ! dpkg --print-foreign-architectures | grep -qx i386; then dpkg --add-architecture i386; fi
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends "${need[@]}" >/dev/null
fi
# Wine takes the ANSI code page from the locale: ja_JP.UTF-8 gives 932.
if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
    echo "e2e: generating the ja_JP.UTF-8 locale"
    if grep -q '^# *ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
        sed -i 's/^# *ja_JP.UTF-8 UTF-8/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    elif ! grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen; then
        echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
    fi
    locale-gen >/dev/null
fi
