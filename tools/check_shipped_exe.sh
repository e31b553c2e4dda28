#!/usr/bin/env bash
# Fails unless the shipped SETUP.EXE is a 32-bit GUI program that carries the
# administrator manifest and needs no DLL beyond those of Windows itself.
set -eu
# objdump speaks the locale of the test run (Japanese); its English is parsed here.
export LC_ALL=C LANG=C
exe=${1:?usage: check_shipped_exe.sh SETUP.EXE OBJDUMP}
objdump=${2:-i686-w64-mingw32-objdump}
fail() { echo "check_shipped_exe: $*" >&2; exit 1; }

[ -f "$exe" ] || fail "$exe does not exist"
headers=$("$objdump" -p "$exe")
grep -q 'file format pei-i386' <<<"$headers" || fail "not a PE32 i386 file"
grep -Eq '^Magic[[:space:]]+010b[[:space:]]+\(PE32\)' <<<"$headers" || fail "optional header is not PE32"
grep -Eq '^Subsystem[[:space:]]+00000002[[:space:]]+\(Windows GUI\)' <<<"$headers" || fail "not a GUI program"

system_dlls=" advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll ole32.dll oleaut32.dll shell32.dll shlwapi.dll user32.dll version.dll winmm.dll "
while read -r dll; do
  lower=$(tr 'A-Z' 'a-z' <<<"$dll")
  case "$system_dlls" in *" $lower "*) ;; *) fail "imports $dll, which is not a Windows system DLL" ;; esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")

# The manifest is stored as UTF-8 text in the resource section.
resources=$("$objdump" -s -j .rsrc "$exe" | sed -n 's/^ [0-9a-f]\{4,\} \(\([0-9a-f]\{2,8\} \?\)\{1,4\}\).*/\1/p' | tr -d ' \n')
text=$(xxd -r -p <<<"$resources" | tr -d '\0' | tr '\n' ' ')
for needle in 'name="KESTREL.Installer.SETUP"' 'version="1.0.0.0"' 'processorArchitecture="x86"' \
              'level="requireAdministrator"' 'uiAccess="false"' \
              '{e2011457-1546-43c5-a5fe-008deee3d3f0}' '{35138b9a-5d96-4fbd-8e2d-a2440225f93a}' \
              '{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}' '{1f676c76-80e1-4239-95bb-83d0f6d0da78}' \
              '{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}'; do
  grep -qF -- "$needle" <<<"$text" || fail "manifest lacks $needle"
done
echo "check_shipped_exe: $exe is PE32, GUI, requireAdministrator, system DLLs only"
