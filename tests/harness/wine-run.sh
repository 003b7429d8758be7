#!/usr/bin/env bash
# SPDX-License-Identifier: MIT
# wine-run.sh ARCH PREFIX [PROGRAM [ARGS...]]
# Runs a Windows program under wine in the wine prefix PREFIX, creating and
# configuring the prefix first if it does not exist yet. ARCH is win64 (wine64)
# or win32 (the 32-bit wine loader, for the shipped i686 pelmic.scr). With no
# PROGRAM it only makes sure the prefix is ready. Used as CMake's
# cross-compiling emulator and by the end-to-end tests.
#
# The prefix is always a 64-bit one, made by wine64: a 32-bit program runs in
# it as on 64-bit Windows, and its set-up never runs emulated. 32-bit programs
# run natively where the kernel allows them; elsewhere every 32-bit program of
# the wine process tree runs under qemu-i386, through a binfmt_misc handler
# registered in a private user and mount namespace (Linux >= 6.7 gives each
# user namespace its own), so nothing outside changes.
# PELMIC_WINE32_ROUTE=native or =qemu forces a route (default: auto). The
# route taken is reported on standard error.
set -euo pipefail
HERE=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
arch=$1
prefix=$2
shift 2
SERVER=${PELMIC_WINESERVER:-/usr/lib/wine/wineserver}
WINE64=${PELMIC_WINE64:-/usr/lib/wine/wine64}
case $arch in
  win64) WINE=$WINE64 ;;
  win32) WINE=${PELMIC_WINE32:-/usr/lib/wine/wine} ;;
  *) echo "wine-run.sh: ARCH must be win64 or win32, not '$arch'" >&2; exit 2 ;;
esac
export WINEPREFIX=$prefix WINEARCH=win64
export WINEDEBUG=${WINEDEBUG:--all}
# No Mono or Gecko installer prompts while the prefix is created.
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# ------------------------------------------------ inside the private namespace
if [ "${PELMIC_WINE_NAMESPACE:-}" = 1 ]; then
  unset PELMIC_WINE_NAMESPACE
  mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc
  # 32-bit little-endian x86 executables and shared objects.
  magic='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00'
  mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
  # F: qemu is opened now, so the handler works whatever the programs' root.
  printf '%s' ":i386:M::$magic:$mask:${PELMIC_QEMU_I386:-/usr/bin/qemu-i386}:F" \
    >/proc/sys/fs/binfmt_misc/register
  exec "$@"
fi

# ----------------------------------------------------------- choosing a route
route=native
if [ "$arch" = win32 ]; then
  case ${PELMIC_WINE32_ROUTE:-auto} in
    native) ;;
    qemu) route=qemu ;;
    auto) "$WINE" --version >/dev/null 2>&1 || route=qemu ;;
    *) echo "wine-run.sh: PELMIC_WINE32_ROUTE must be auto, native or qemu" >&2; exit 2 ;;
  esac
fi

# Builds the mmap shim that makes wine start in about a second under qemu
# instead of over a minute: the real one for i386, an empty one for x86_64.
# glibc expands $LIB to lib/<multiarch triplet> for each program.
shim_dir() {
  local dir
  dir="$(dirname "$prefix")/qemu-mmap-shim"
  if [ ! -f "$dir/ready" ]; then
    mkdir -p "$dir/lib/i386-linux-gnu" "$dir/lib/x86_64-linux-gnu"
    local source="$HERE/qemu-mmap-shim.c"
    gcc -m32 -O2 -shared -fPIC -o "$dir/lib/i386-linux-gnu/qemu-mmap-shim.so" "$source"
    gcc -O2 -shared -fPIC -DPELMIC_EMPTY_SHIM -o "$dir/lib/x86_64-linux-gnu/qemu-mmap-shim.so" "$source"
    touch "$dir/ready"
  fi
  echo "$dir"
}

# Runs a command (a wine loader and its arguments) by the chosen route.
run_routed() {
  if [ "$route" = native ]; then
    exec "$@"
  fi
  local dir
  dir=$(shim_dir)
  export LD_PRELOAD="$dir/\$LIB/qemu-mmap-shim.so"
  export PELMIC_WINE_NAMESPACE=1
  exec unshare --user --map-root-user --mount --propagation private \
    "${BASH_SOURCE[0]}" "$arch" "$prefix" "$@"
}

# The marker holds this number; a prefix made with older settings is set up
# again. Raise it whenever prepare_prefix changes.
PREFIX_SETTINGS=2

prepare_prefix() {
  [ "$(cat "$prefix/.pelmic-ready" 2>/dev/null)" = "$PREFIX_SETTINGS" ] && return 0
  # The display is not needed to create a prefix, and a missing one must not
  # leave a desktop process bound to the wrong X server.
  (
    unset DISPLAY
    # wine64 sets up the 32-bit side of the prefix with the 32-bit loader.
    wine_step() { (run_routed "$WINE64" "$@"); }
    wine_step wineboot -i
    "$SERVER" -w
    local fonts='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes'
    local link='HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink'
    # No crash debugger: by default a crash starts `winedbg --auto`, which
    # waits in the prefix and holds the test until its timeout. With an empty
    # command the crash ends the program at once with the exception's code.
    # 64-bit and 32-bit programs each read their own view of the key.
    local debug='HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug'
    for view in 64 32; do
      wine_step reg add "$debug" /v Debugger /d '' /f /reg:$view
    done
    # Without a window manager, DestroyWindow of a managed window waits 2 s.
    wine_step reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    # Japanese texts need a font with the glyphs behind the usual face names.
    wine_step reg add "$fonts" /v 'MS Gothic' /d IPAGothic /f
    wine_step reg add "$fonts" /v 'MS UI Gothic' /d IPAGothic /f
    wine_step reg add "$fonts" /v 'MS PGothic' /d IPAPGothic /f
    for face in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2' 'Microsoft Sans Serif' 'Segoe UI'; do
      wine_step reg add "$link" /v "$face" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f
    done
    # reg writes go through the server; make sure they reach the disk.
    "$SERVER" -w
  ) >/dev/null 2>&1
  echo "$PREFIX_SETTINGS" >"$prefix/.pelmic-ready"
}

# A wine session, the server and the system processes that its first program
# starts (services.exe, the drivers, the desktop), outlives the program.
# Started by the program, they would inherit its standard error, and ctest,
# reading that through a pipe, would wait for them: until the server had been
# idle for its linger time, some 15 s per test. So the session starts here,
# away from the program's streams: a server kept between the many short test
# programs (it ends by itself once idle), and a program that does nothing but
# start the system processes. Nothing to do when a server is running.
start_session() {
  "$SERVER" -p"${PELMIC_WINESERVER_LINGER:-15}" </dev/null >/dev/null 2>&1 || return 0
  "$WINE64" cmd /c exit </dev/null >/dev/null 2>&1 || true
}

[ "$arch" = win32 ] && echo "wine-run.sh: 32-bit route: $route" >&2
mkdir -p "$(dirname "$prefix")"
# Parallel tests may all find the prefix or the session missing; one makes it.
exec 9>"$prefix.lock"
flock 9
prepare_prefix
[ $# -eq 0 ] || start_session
flock -u 9
exec 9>&-

[ $# -eq 0 ] && exit 0
run_routed "$WINE" "$@"
