#!/usr/bin/env bash
# Installs the Debian packages that a step needs, only those missing (needs
# root: it runs apt-get). Usage: tools/install-deps.sh build|test
set -euo pipefail

build_packages=(cmake ninja-build g++-mingw-w64-i686 binutils-mingw-w64-i686 icoutils)
test_packages=("${build_packages[@]}" g++ libgtest-dev icoutils)

case "${1:-}" in
  build) wanted=("${build_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  *) echo "usage: $0 build|test" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg -s "$package" >/dev/null 2>&1 || missing+=("$package")
done
command -v python3 >/dev/null 2>&1 || missing+=(python3)

if [ "${#missing[@]}" -gt 0 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "missing packages: ${missing[*]}; run as root or install them with apt-get" >&2
    exit 1
  fi
  echo "installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi
