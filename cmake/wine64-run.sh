#!/usr/bin/env bash
# wine64-run.sh PREFIX [PROGRAM [ARGS...]]
# Runs a Windows test program under wine64 in the wine prefix PREFIX, creating
# and configuring the prefix first if it does not exist yet. With no PROGRAM it
# only makes sure the prefix is ready. Used as CMake's cross-compiling
# emulator and by the end-to-end tests.
set -euo pipefail
prefix=$1
shift
WINE=${PELMIC_WINE64:-/usr/lib/wine/wine64}
SERVER=${PELMIC_WINESERVER:-/usr/lib/wine/wineserver}
export WINEPREFIX=$prefix
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
export WINEARCH=win64

prepare_prefix() {
  [ -f "$prefix/.pelmic-ready" ] && return 0
  # The display is not needed to create a prefix, and a missing one must not
  # leave a desktop process bound to the wrong X server.
  (
    unset DISPLAY
    "$WINE" wineboot -i
    "$SERVER" -w
    local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    # Without a window manager, DestroyWindow of a managed window waits 2 s.
    "$WINE" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Japanese texts need a font with the glyphs behind the usual face names.
    "$WINE" reg add "$fonts" /v 'MS Gothic' /d IPAGothic /f
    "$WINE" reg add "$fonts" /v 'MS UI Gothic' /d IPAGothic /f
    "$WINE" reg add "$fonts" /v 'MS PGothic' /d IPAPGothic /f
    for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI'; do
      "$WINE" reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f
    done
    # reg writes go through the server; make sure they reach the disk.
    "$SERVER" -w
  ) >/dev/null 2>&1
  touch "$prefix/.pelmic-ready"
}

mkdir -p "$(dirname "$prefix")"
# Parallel tests may all find the prefix missing; one creates it.
exec 9>"$prefix.lock"
flock 9
prepare_prefix
flock -u 9
exec 9>&-

[ $# -eq 0 ] && exit 0
# Keep one server alive between the many short test programs instead of
# starting one for each; it ends by itself when idle. Fails quietly when a
# server is already running.
"$SERVER" -p"${PELMIC_WINESERVER_LINGER:-15}" >/dev/null 2>&1 || true
exec "$WINE" "$@"
