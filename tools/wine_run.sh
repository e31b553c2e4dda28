#!/usr/bin/env bash
# Runs one Windows program in the private test prefix; used by CTest as the
# command of every test program. The zone is nine hours ahead of UTC, as on
# the players' machines, so that UTC time stamps can be told from local ones.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$top/build}
. "$top/tools/wine_env.sh"
export TZ=Asia/Tokyo
# The host folders behind the fake CD/DVD drives E:, F: and G:.
export SETUP_CDROM_DIR="$BUILD_DIR/cdrom"
# Every test program starts with the drives empty.
for letter in e f g; do wine_env_eject_disc "$letter"; done
wine_env_run "$@"
