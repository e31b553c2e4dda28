# shellcheck shell=bash
# tools/wine_env.sh - private Wine environment for the tests.
#
# Usage (from bash, `set -eu` is fine):
#     BUILD_DIR=/path/to/build          # optional, default /work/main/build
#     . tools/wine_env.sh
#     wine_env_prepare                  # once per build dir; fast afterwards
#     wine_env_start_display            # Xvfb if no usable DISPLAY
#     wine_env_insert_disc e "$BUILD_DIR/discs/disc1"
#     wine_env_run "$BUILD_DIR/setup.exe" /some-arg || rc=$?
#
# Folder layout under $BUILD_DIR:
#     wineprefix/                  WINEPREFIX (64-bit prefix, Japanese locale)
#     wineprefix/dosdevices/e:     -> ../../cdrom/e   (same for f: and g:)
#     wineprefix/.wine_env_stamp   written when wine_env_prepare succeeded
#     cdrom/e, cdrom/f, cdrom/g    the "disc" in drive E:, F:, G:
#                                  empty folder      = no disc (ejected)
#                                  symlink to folder = that disc inserted
#                                  A file ".windows-label" in the disc root
#                                  sets the volume label Wine reports, and
#                                  ".windows-serial" (hex) the serial number.
#                                  Wine reads both only when the drive is set
#                                  up (server start); wine_env_insert_disc and
#                                  wine_env_eject_disc make a running server
#                                  re-read them (wine_env_refresh_disc).
#     winehome/                    private HOME: wineboot links Desktop and
#                                  Documents of the Wine profile into $HOME,
#                                  so the host's home is never written.
#     wine_check.exe               diagnostic built from tools/wine_check/check.c
#     wine_check.log               its last report (wine_env_check)
#     wine_remount.log             output of the last wine_env_refresh_disc
#     wine_env.reg                 the registry settings wine_env_prepare imports
#     xvfb.log                     output of the Xvfb we start
#
# The drive letters are CD/DVD drives through HKLM\Software\Wine\Drives;
# Wine's mount manager reads that only when the wineserver starts, which is
# why wine_env_prepare restarts the server after writing it. Re-pointing
# cdrom/<letter> needs no restart for the files: the dosdevices link stays
# the same and Wine follows it on every access.
#
# Test code (C++) may swap the disc itself the same way: replace
# $BUILD_DIR/cdrom/<letter> by a symlink (insert) or an empty dir (eject),
# then, if the label matters, run "wine_check.exe remount <letter>" (or send
# the same mount manager request itself, see tools/wine_check/check.c).

# --- configuration ---------------------------------------------------------

# Absolute BUILD_DIR: the prefix and the dosdevices links must not depend
# on the caller's working directory.
BUILD_DIR=${BUILD_DIR:-/work/main/build}
case $BUILD_DIR in
    /*) ;;
    *) BUILD_DIR=$(pwd)/$BUILD_DIR ;;
esac
export BUILD_DIR

# Where this file lives, to find tools/wine_check/check.c.
WINE_ENV_TOOLS_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)

# Keep the host's HOME for anything that really wants it (not used here).
if [ -z "${WINE_ENV_HOST_HOME+x}" ]; then
    WINE_ENV_HOST_HOME=${HOME:-}
    export WINE_ENV_HOST_HOME
fi

export WINEPREFIX="$BUILD_DIR/wineprefix"
export WINEARCH=win64
# -all: no debug channels; keeps test output clean and is noticeably faster.
export WINEDEBUG=-all
# Disabling mscoree/mshtml stops wineboot from asking to install Mono/Gecko.
export WINEDLLOVERRIDES="mscoree,mshtml="
# Wine derives the ANSI code page from the Unix locale: ja_JP -> CP932.
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
export HOME="$BUILD_DIR/winehome"

# Debian ships only the 64-bit loader here (no wine32 on this machine); the
# /usr/bin/wine wrapper would just print a wine32 hint and exec this.
export WINE64=${WINE64:-/usr/lib/wine/wine64}
export WINELOADER="$WINE64"
# Our own wineserver calls use the real binary: Debian's script
# /usr/lib/wine/wineserver adds -p0, which would defeat `wineserver -p`.
# (The loader starts its server through that script whatever WINESERVER
# says; such a server quits about 2 s after the last program ends.)
if [ -x /usr/lib/wine/wineserver64 ]; then
    export WINESERVER=/usr/lib/wine/wineserver64
else
    export WINESERVER=${WINESERVER:-wineserver}
fi

# Bump when wine_env_prepare starts doing something new, so old prefixes
# get the new settings.
WINE_ENV_STAMP_VERSION=4
WINE_ENV_STAMP="$WINEPREFIX/.wine_env_stamp"
WINE_ENV_CD_LETTERS="e f g"

# --- helpers ---------------------------------------------------------------

_wine_env_say() { printf 'wine_env: %s\n' "$*" >&2; }

# Run a Wine tool (wineboot, regedit, reg ...) through the loader.
_wine_env_tool() { "$WINE64" "$@"; }

# Exit hook: stop what this file started in the calling shell.
_wine_env_cleanup() {
    if [ "${WINE_ENV_SERVER_STARTED:-0}" = 1 ] || [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
        # Wine programs hold X connections to our Xvfb; end them first.
        "$WINESERVER" -k >/dev/null 2>&1 || true
        WINE_ENV_SERVER_STARTED=0
    fi
    if [ -n "${WINE_ENV_XVFB_PID:-}" ]; then
        kill "$WINE_ENV_XVFB_PID" >/dev/null 2>&1 || true
        # Reap it (it is our child), so no zombie is left behind.
        wait "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=
    fi
    if [ -n "${WINE_ENV_WATCHDOG_PID:-}" ]; then
        kill "$WINE_ENV_WATCHDOG_PID" >/dev/null 2>&1 || true
        wait "$WINE_ENV_WATCHDOG_PID" 2>/dev/null || true
        WINE_ENV_WATCHDOG_PID=
    fi
}

# The command inside `trap -p` output: trap -- 'command' EXIT
_wine_env_trap_command() {
    eval "set -- $1"
    printf '%s' "$3"
}

# Install the EXIT trap once per shell, keeping a trap the caller had.
_wine_env_install_trap() {
    if [ "${_WINE_ENV_TRAP_SHELL:-}" = "${BASHPID:-$$}" ]; then
        return 0
    fi
    _WINE_ENV_TRAP_SHELL=${BASHPID:-$$}
    _WINE_ENV_PREV_EXIT_TRAP=
    local prev
    prev=$(trap -p EXIT)
    if [ -n "$prev" ]; then
        _WINE_ENV_PREV_EXIT_TRAP=$(_wine_env_trap_command "$prev")
    fi
    # bash also runs the EXIT trap when a signal (TERM, INT, HUP) ends it.
    trap '_wine_env_cleanup; eval "${_WINE_ENV_PREV_EXIT_TRAP:-}"' EXIT
}

# Does the X display $1 accept connections?
_wine_env_display_ok() {
    local d=$1
    if command -v xdpyinfo >/dev/null 2>&1; then
        DISPLAY=$d timeout 5 xdpyinfo >/dev/null 2>&1
        return
    fi
    # Without x11-utils: a local display ":N" has the socket X<N>.
    case $d in
        :*) local n=${d#:}; n=${n%%.*}; [ -S "/tmp/.X11-unix/X$n" ] ;;
        *) return 1 ;;
    esac
}

# --- display ---------------------------------------------------------------

# Start Xvfb when DISPLAY is unset or does not answer; export DISPLAY.
# The Xvfb (and the wineserver of our prefix, whose programs use it) is
# stopped when the calling shell exits.
wine_env_start_display() {
    if [ -n "${WINE_ENV_XVFB_PID:-}" ] && kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; then
        return 0
    fi
    if [ -n "${DISPLAY:-}" ] && _wine_env_display_ok "$DISPLAY"; then
        return 0
    fi
    if ! command -v Xvfb >/dev/null 2>&1; then
        _wine_env_say "Xvfb not found (apt-get install xvfb)"
        return 1
    fi
    mkdir -p "$BUILD_DIR"
    local fdfile="$BUILD_DIR/.xvfb.display.$$" n=""
    rm -f "$fdfile"
    # -displayfd: Xvfb picks a free display number itself (no race with
    # other Xvfbs) and writes it once it accepts connections.
    Xvfb -displayfd 3 -nolisten tcp -screen 0 1280x1024x24 \
        3>"$fdfile" </dev/null >"$BUILD_DIR/xvfb.log" 2>&1 &
    WINE_ENV_XVFB_PID=$!
    _wine_env_install_trap
    for _ in $(seq 1 100); do
        n=$(head -n 1 "$fdfile" 2>/dev/null || true)
        [ -n "$n" ] && break
        if ! kill -0 "$WINE_ENV_XVFB_PID" 2>/dev/null; then
            break
        fi
        sleep 0.1
    done
    rm -f "$fdfile"
    if [ -z "$n" ]; then
        _wine_env_say "Xvfb did not start; see $BUILD_DIR/xvfb.log"
        cat "$BUILD_DIR/xvfb.log" >&2 || true
        kill "$WINE_ENV_XVFB_PID" 2>/dev/null || true
        WINE_ENV_XVFB_PID=
        return 1
    fi
    export DISPLAY=":$n"
    # Watchdog: if the caller dies without running its EXIT trap (SIGKILL),
    # still stop Xvfb and our wineserver. Its fds go to /dev/null so it
    # never keeps a caller's pipe open.
    local parent=${BASHPID:-$$} xvfb=$WINE_ENV_XVFB_PID
    (
        trap - EXIT INT TERM HUP
        while kill -0 "$parent" 2>/dev/null && kill -0 "$xvfb" 2>/dev/null; do
            sleep 2
        done
        if kill -0 "$xvfb" 2>/dev/null; then
            "$WINESERVER" -k >/dev/null 2>&1 || true
            kill "$xvfb" 2>/dev/null || true
        fi
    ) </dev/null >/dev/null 2>&1 &
    WINE_ENV_WATCHDOG_PID=$!
    _wine_env_say "Xvfb started on DISPLAY=$DISPLAY (pid $WINE_ENV_XVFB_PID)"
}

# --- wineserver ------------------------------------------------------------

# Keep one wineserver (and Wine's service processes) running until the
# calling shell exits or wine_env_stop is called: each later program start
# then skips the server and service start-up.
# Warm starts then take about 10 ms instead of about 0.5 s.
wine_env_server_start() {
    if [ "${WINE_ENV_SERVER_STARTED:-0}" = 1 ]; then
        return 0
    fi
    local pid
    # Already persistent (started by a parent shell, e.g. run-tests): use it.
    if pid=$(_wine_env_server_pid) &&
        tr '\0' '\n' 2>/dev/null <"/proc/$pid/cmdline" | grep -qx -- '-p'; then
        return 0
    fi
    _wine_env_install_trap
    # -p is refused (exit 2) while a server already runs for the prefix,
    # e.g. the one a program just used; that one quits soon after its last
    # program, so wait for it, bounded, and try again.
    if ! "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
        timeout 20 "$WINESERVER" -w >/dev/null 2>&1 || true
        if ! "$WINESERVER" -p </dev/null >/dev/null 2>&1; then
            # Still running: persistent from another shell, or busy. Use it.
            _wine_env_say "a wineserver already runs for $WINEPREFIX; using it"
            return 0
        fi
    fi
    WINE_ENV_SERVER_STARTED=1
    # Boot the prefix now, with stdio on /dev/null: Wine's service processes
    # (services.exe, winedevice.exe ...) inherit the standard handles of the
    # program that starts them, and would keep e.g. a $(...) or CTest output
    # pipe of the first test open for as long as this server lives.
    "$WINE64" cmd.exe /c exit 0 </dev/null >/dev/null 2>&1 || true
}

# Stop all Wine processes of the prefix and its wineserver.
wine_env_stop() {
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true
    WINE_ENV_SERVER_STARTED=0
}

# --- discs -----------------------------------------------------------------

# Print the pid of the wineserver running for this prefix, if any.
_wine_env_server_pid() {
    local p
    command -v pgrep >/dev/null 2>&1 || return 1
    for p in $(pgrep -x wineserver64 2>/dev/null || true) $(pgrep -x wineserver 2>/dev/null || true); do
        # 2> first: the process may be gone (or a zombie) by now.
        if tr '\0' '\n' 2>/dev/null <"/proc/$p/environ" | grep -qxF "WINEPREFIX=$WINEPREFIX"; then
            printf '%s' "$p"
            return 0
        fi
    done
    return 1
}

# Is a wineserver running for this prefix? (It keeps the old disc label.)
_wine_env_server_running() { _wine_env_server_pid >/dev/null; }

# wine_env_refresh_disc LETTER...: make the running wineserver's mount
# manager re-read the volume label and serial of the drives (Wine caches
# them from the server's start). Does nothing when no server runs: the next
# one reads them anyway.
wine_env_refresh_disc() {
    local l="" a out rc=0
    for a in "$@"; do
        l=$l$(_wine_env_letter "$a") || return 1
    done
    [ -n "$l" ] || return 0
    _wine_env_server_running || return 0
    wine_env_build_check || return 1
    # To a file, not $(...): see wine_env_server_start on inherited handles.
    "$WINE64" "$BUILD_DIR/wine_check.exe" remount "$l" </dev/null \
        >"$BUILD_DIR/wine_remount.log" 2>&1 || rc=$?
    if [ "$rc" != 0 ]; then
        out=$(cat "$BUILD_DIR/wine_remount.log" 2>/dev/null || true)
        _wine_env_say "could not refresh drive $l: ($rc) $out"
        return 1
    fi
}

_wine_env_letter() {
    local l
    l=$(printf '%s' "${1%:}" | tr '[:upper:]' '[:lower:]')
    case " $WINE_ENV_CD_LETTERS " in
        *" $l "*) printf '%s' "$l" ;;
        *) _wine_env_say "not a CD drive letter: $1 (have: $WINE_ENV_CD_LETTERS)"; return 1 ;;
    esac
}

# wine_env_insert_disc LETTER HOSTFOLDER: put the folder "in" the drive.
wine_env_insert_disc() {
    local l dir
    l=$(_wine_env_letter "$1") || return 1
    if [ ! -d "$2" ]; then
        _wine_env_say "disc folder missing: $2"
        return 1
    fi
    dir=$(cd "$2" && pwd)
    mkdir -p "$BUILD_DIR/cdrom"
    rm -rf "${BUILD_DIR:?}/cdrom/$l"
    ln -s "$dir" "$BUILD_DIR/cdrom/$l"
    wine_env_refresh_disc "$l"
}

# wine_env_eject_disc LETTER...: leave the drives with an empty folder.
wine_env_eject_disc() {
    local a l all=""
    for a in "$@"; do
        l=$(_wine_env_letter "$a") || return 1
        rm -rf "${BUILD_DIR:?}/cdrom/$l"
        mkdir -p "$BUILD_DIR/cdrom/$l"
        all="$all $l"
    done
    # One refresh for all letters: one Wine program start instead of three.
    # shellcheck disable=SC2086 # split into letters on purpose
    wine_env_refresh_disc $all
}

# --- running ---------------------------------------------------------------

# wine_env_run EXE ARGS...: run a Windows program, return its exit code.
# EXE may be a Unix path or a Windows path such as 'E:\SETUP.EXE'. The
# loader passes the exit code on, reduced to 0..255 by Unix.
wine_env_run() {
    local rc=0
    "$WINE64" "$@" || rc=$?
    return "$rc"
}

# --- preparation -----------------------------------------------------------

_wine_env_locale_ok() {
    locale -a 2>/dev/null | grep -qix 'ja_JP\.utf-\{0,1\}8'
}

_wine_env_need_locale() {
    _wine_env_locale_ok && return 0
    if [ "$(id -u)" != 0 ]; then
        _wine_env_say "locale ja_JP.UTF-8 is missing; as root run:"
        _wine_env_say "  echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen && locale-gen"
        return 1
    fi
    if ! command -v locale-gen >/dev/null 2>&1; then
        _wine_env_say "locale-gen missing (apt-get install locales)"
        return 1
    fi
    _wine_env_say "generating locale ja_JP.UTF-8"
    if grep -q '^[# ]*ja_JP.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
        sed -i 's/^[# ]*ja_JP.UTF-8 UTF-8.*/ja_JP.UTF-8 UTF-8/' /etc/locale.gen
    else
        echo 'ja_JP.UTF-8 UTF-8' >>/etc/locale.gen
    fi
    locale-gen >/dev/null
    _wine_env_locale_ok
}

# Family names of the installed IPA fonts, as fontconfig (and so Wine) sees
# them; fall back to the names fonts-ipafont has used for years.
_wine_env_ipa_family() {
    local want=$1 got=""
    if command -v fc-list >/dev/null 2>&1; then
        got=$(fc-list : family | tr ',' '\n' | grep -x "$want" | head -n 1 || true)
    fi
    if [ -z "$got" ]; then
        _wine_env_say "font family $want not found by fc-list (apt-get install fonts-ipafont)"
        return 1
    fi
    printf '%s' "$got"
}

# The registry settings as one .reg file. regedit wants UTF-16LE with a
# BOM for "Version 5.00" files; the font names are not ASCII.
_wine_env_write_reg() {
    local out=$1 pg g pm m l
    pg=$(_wine_env_ipa_family IPAPGothic) || return 1
    g=$(_wine_env_ipa_family IPAGothic) || return 1
    pm=$(_wine_env_ipa_family IPAPMincho) || pm=$pg
    m=$(_wine_env_ipa_family IPAMincho) || m=$g
    {
        printf 'Windows Registry Editor Version 5.00\r\n\r\n'
        # Replacements: a request for the face on the left gets the font on
        # the right. Fixed-pitch faces go to fixed-pitch IPA fonts.
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
        printf '"ＭＳ Ｐゴシック"="%s"\r\n' "$pg"
        printf '"ＭＳ ゴシック"="%s"\r\n' "$g"
        printf '"MS UI Gothic"="%s"\r\n' "$pg"
        printf '"MS PGothic"="%s"\r\n' "$pg"
        printf '"MS Gothic"="%s"\r\n' "$g"
        printf '"ＭＳ Ｐ明朝"="%s"\r\n' "$pm"
        printf '"ＭＳ 明朝"="%s"\r\n' "$m"
        printf '"MS PMincho"="%s"\r\n' "$pm"
        printf '"MS Mincho"="%s"\r\n' "$m"
        printf '"メイリオ"="%s"\r\n' "$pg"
        printf '"Meiryo"="%s"\r\n' "$pg"
        printf '"Meiryo UI"="%s"\r\n' "$pg"
        printf '"Yu Gothic UI"="%s"\r\n' "$pg"
        printf '\r\n'
        # Unmanaged windows: without a window manager on Xvfb, hiding a
        # managed window waits two seconds for a state change that never
        # comes (every message box closed by a test would stall).
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\X11 Driver]\r\n'
        printf '"Managed"="N"\r\n'
        printf '\r\n'
        # Crashes: Wine's default debugger (winedbg --auto) shows a crash
        # dialog that waits for a click (a hung test), and even without the
        # dialog the crashed program's exit code comes back as 0 or as the
        # exception code, at random. With no debugger that can start, the
        # program ends at once with the exception code (0xC0000005 -> 5).
        # For a backtrace, run the program by hand with WINEDEBUG=+seh.
        for k in 'Microsoft\Windows NT' 'Wow6432Node\Microsoft\Windows NT'; do
            printf '[HKEY_LOCAL_MACHINE\\Software\\%s\\CurrentVersion\\AeDebug]\r\n' "$k"
            printf '"Debugger"="no_crash_debugger_in_tests.exe %%ld %%ld"\r\n'
            printf '"Auto"="1"\r\n'
            printf '\r\n'
        done
        printf '[HKEY_CURRENT_USER\\Software\\Wine\\WineDbg]\r\n'
        printf '"ShowCrashDialog"=dword:00000000\r\n'
        printf '\r\n'
        # Drive types: mountmgr reads these when the wineserver starts.
        printf '[HKEY_LOCAL_MACHINE\\Software\\Wine\\Drives]\r\n'
        for l in $WINE_ENV_CD_LETTERS; do
            printf '"%s:"="cdrom"\r\n' "$l"
        done
        printf '\r\n'
    } | iconv -f UTF-8 -t UTF-16LE >"$out.body"
    printf '\377\376' >"$out"
    cat "$out.body" >>"$out"
    rm -f "$out.body"
}

# Host folders and dosdevices links of the CD drives. Cheap; also run on the
# fast path so a test that removed a folder does not break later tests.
_wine_env_drive_links() {
    local l
    mkdir -p "$BUILD_DIR/cdrom" "$WINEPREFIX/dosdevices"
    for l in $WINE_ENV_CD_LETTERS; do
        if [ ! -e "$BUILD_DIR/cdrom/$l" ] && [ ! -L "$BUILD_DIR/cdrom/$l" ]; then
            mkdir -p "$BUILD_DIR/cdrom/$l"
        fi
        # Relative, so a moved build dir keeps working.
        ln -sfn "../../cdrom/$l" "$WINEPREFIX/dosdevices/$l:"
    done
}

# Debian's Wine 8 looks for its own fonts (Tahoma, Marlett for caption
# buttons and scroll arrows, the Japanese bitmap system fonts) under
# /usr/share/wine/../fonts and never finds them; a copy in C:\windows\Fonts
# is loaded at every start, as on Windows.
_wine_env_copy_wine_fonts() {
    local src dst="$WINEPREFIX/drive_c/windows/Fonts" f
    for src in /usr/share/wine/fonts /usr/lib/wine/../../share/wine/fonts; do
        [ -d "$src" ] && break
    done
    if [ ! -d "$src" ]; then
        _wine_env_say "Wine's fonts not found (apt-get install fonts-wine)"
        return 1
    fi
    mkdir -p "$dst"
    for f in "$src"/*; do
        [ -e "$dst/${f##*/}" ] || cp "$f" "$dst/"
    done
}

# Build the diagnostic program when missing or older than its source.
wine_env_build_check() {
    local src="$WINE_ENV_TOOLS_DIR/wine_check/check.c" exe="$BUILD_DIR/wine_check.exe"
    if [ -f "$exe" ] && [ ! "$src" -nt "$exe" ]; then
        return 0
    fi
    if ! command -v x86_64-w64-mingw32-gcc >/dev/null 2>&1; then
        _wine_env_say "x86_64-w64-mingw32-gcc missing (apt-get install gcc-mingw-w64-x86-64)"
        return 1
    fi
    x86_64-w64-mingw32-gcc -O2 -Wall "$src" -o "$exe" -luser32 -lgdi32
}

# Run the diagnostic; print its report; fail loudly when it fails.
wine_env_check() {
    local rc=0
    wine_env_build_check || return 1
    # To a file, not $(...): see wine_env_server_start on inherited handles.
    wine_env_run "$BUILD_DIR/wine_check.exe" </dev/null >"$BUILD_DIR/wine_check.log" 2>&1 || rc=$?
    cat "$BUILD_DIR/wine_check.log" >&2
    if [ "$rc" != 0 ]; then
        _wine_env_say "=============================================================="
        _wine_env_say "WINE ENVIRONMENT CHECK FAILED (wine_check.exe exit $rc)"
        [ $((rc & 1)) != 0 ] && _wine_env_say " - ANSI code page is not 932: is locale ja_JP.UTF-8 generated? (locale -a)"
        [ $((rc & 2)) != 0 ] && _wine_env_say " - E:/F:/G: are not CD drives: HKLM\\Software\\Wine\\Drives or dosdevices links"
        [ $((rc & 4)) != 0 ] && _wine_env_say " - Japanese UI fonts do not resolve to IPA fonts: fonts-ipafont, font Replacements"
        [ $((rc & 8)) != 0 ] && _wine_env_say " - Wine's Marlett font missing from C:\\windows\\Fonts: fonts-wine"
        [ "$rc" -gt 15 ] && _wine_env_say " - wine itself failed to run the program"
        _wine_env_say "prefix: $WINEPREFIX"
        _wine_env_say "=============================================================="
        return 1
    fi
}

_wine_env_stamp_text() {
    printf 'version=%s\nwine=%s\n' "$WINE_ENV_STAMP_VERSION" "$("$WINE64" --version 2>/dev/null || true)"
}

# Create and configure the prefix. Idempotent; when the stamp matches it
# only re-checks the cheap things (locale, links) and returns.
wine_env_prepare() {
    _wine_env_need_locale || return 1
    mkdir -p "$BUILD_DIR" "$HOME"

    if [ -f "$WINE_ENV_STAMP" ] && [ "$(cat "$WINE_ENV_STAMP")" = "$(_wine_env_stamp_text)" ]; then
        _wine_env_drive_links
        return 0
    fi

    _wine_env_say "preparing Wine prefix $WINEPREFIX"
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        # -i: initialise the prefix; -w waits until wineboot's children
        # (services, registry flush) are done.
        _wine_env_tool wineboot -i </dev/null >/dev/null 2>&1 || {
            _wine_env_say "wineboot -i failed for $WINEPREFIX"
            return 1
        }
        "$WINESERVER" -w
    fi

    _wine_env_drive_links
    _wine_env_copy_wine_fonts || return 1
    _wine_env_write_reg "$BUILD_DIR/wine_env.reg" || return 1
    local reg="$BUILD_DIR/wine_env.reg"
    _wine_env_tool regedit /S "Z:${reg//\//\\}" \
        </dev/null >/dev/null 2>&1 || {
        _wine_env_say "regedit import of $BUILD_DIR/wine_env.reg failed"
        return 1
    }
    # Restart the server: registry written to disk, and mountmgr re-reads
    # the drive types (and the font list is rebuilt with the replacements).
    "$WINESERVER" -k >/dev/null 2>&1 || true
    "$WINESERVER" -w >/dev/null 2>&1 || true

    wine_env_check || return 1
    _wine_env_stamp_text >"$WINE_ENV_STAMP"
    _wine_env_say "Wine prefix ready"
}
