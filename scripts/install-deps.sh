#!/usr/bin/env bash
# Installs what building and testing Orvanel needs on a Debian 12 machine.
# Skips the work when everything is present already.
set -euo pipefail

need_pkgs=(
  cmake ninja-build g++ clang googletest libgtest-dev libbenchmark-dev libclang-rt-14-dev
  g++-mingw-w64-i686 binutils-mingw-w64-i686 mingw-w64-tools
  wine wine32:i386 wine64 xvfb xdotool openbox imagemagick x11-apps
  locales fonts-ipafont-gothic mame-tools
  python3 x11-utils util-linux
)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
