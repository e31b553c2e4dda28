#!/usr/bin/env bash
# Assembles the sample disc in $1 from sample_disc/ and the built programs
# in $2 (a build tree): SETUP.EXE and SETUP.INI in the root, as a publisher
# ships them, the configuration in Shift-JIS, and two banner bitmaps.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
disc=${1:?usage: make_sample_disc.sh DISC_FOLDER BUILD_TREE}
tree=${2:?usage: make_sample_disc.sh DISC_FOLDER BUILD_TREE}
rm -rf "$disc"
mkdir -p "$disc/data"
cp "$tree/SETUP.EXE" "$disc/SETUP.EXE"
grep -v '^;' "$top/sample_disc/SETUP.INI.txt" | sed 's/$/\r/' | iconv -f UTF-8 -t CP932 >"$disc/SETUP.INI"
cp "$tree/sample_programs/game.exe" "$disc/game.exe"
cp "$tree/sample_programs/game.exe" "$disc/uninst.exe"
sed 's/$/\r/' "$top/sample_disc/readme.txt" >"$disc/readme.txt"
cp "$top"/sample_disc/data/*.dat "$disc/data/"
# Uncompressed 24-bit bitmaps with the pixels right after the 40-byte header.
convert -size 340x340 gradient:'#0b1d3a-#3a6ea5' -type TrueColor BMP3:"$disc/banner1.bmp"
convert -size 340x340 gradient:'#2b0b3a-#a53a6e' -type TrueColor BMP3:"$disc/banner2.bmp"
