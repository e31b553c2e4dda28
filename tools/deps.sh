#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. As root the
# missing ones are installed; otherwise the apt command is printed.
set -eu
packages=(cmake make g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64
          wine wine64 xvfb xauth x11-utils locales fonts-ipafont googletest xxd imagemagick)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
command="apt-get install -y ${missing[*]}"
if [ "$(id -u)" -ne 0 ]; then
  echo "Missing packages. Install them as root with:" >&2
  echo "  apt-get update && $command" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
$command
