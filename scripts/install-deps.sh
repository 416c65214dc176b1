#!/usr/bin/env bash
# Installs what building and testing Orvanel needs on a Debian 12 machine.
# Skips the work when everything is present already.
#
# Both Windows builds are made on every host: the 32-bit one (i686) and
# the 64-bit one (x86_64). Wine's 32-bit loader (wine32:i386) is installed
# only where the host runs i386 programs at all; elsewhere the Wine tests
# run the 64-bit build under wine64 (scripts/wine-env.sh).
set -euo pipefail

. "$(dirname "${BASH_SOURCE[0]}")/host-i386.sh"

need_pkgs=(
  cmake ninja-build g++ clang googletest libgtest-dev libbenchmark-dev libclang-rt-14-dev
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64 mingw-w64-tools
  wine wine64 xvfb xdotool openbox imagemagick x11-apps
  locales fonts-ipafont-gothic mame-tools
  python3 x11-utils util-linux fp-utils
  libgcrypt20-dev libexpat1-dev libgcrypt-mingw-w64-dev libgpg-error-mingw-w64-dev
  libcli11-dev nlohmann-json3-dev
)
host_i386=0
orvanel_host_runs_i386 || host_i386=$?
if [ "$host_i386" = 0 ]; then
  need_pkgs+=(wine32:i386)
elif [ "$host_i386" != 1 ]; then
  echo "install-deps: stopping: whether to install Wine's 32-bit loader (wine32:i386) depends on that" >&2
  exit 1
fi

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    $SUDO dpkg --add-architecture i386
  fi
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# Wine runs in Japanese (code page 932) and, for the tests of a system of
# another language, in English (code page 1252).
if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$' || ! locale -a 2>/dev/null | grep -qi '^en_US.utf8$'; then
  $SUDO sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/; s/^# *en_US.UTF-8/en_US.UTF-8/' /etc/locale.gen
  $SUDO locale-gen >/dev/null
fi
