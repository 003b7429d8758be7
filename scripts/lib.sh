# SPDX-License-Identifier: MIT
# shellcheck shell=bash
# Shared by scripts/run and scripts/test. Source it; do not run it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# The presets scripts/test builds and tests, in that order, and the package
# lists (scripts/packages/NAME.txt) each needs: before the colon to build it,
# after it what its tests need besides. The one place presets meet packages.
PELMIC_PRESET_LISTS='
release  native          : sdl wayland
asan     native          :
fuzz     native fuzz     :
win64    native windows  :
win32    native windows  : wine32
web      native web      :
'

pelmic_presets() { awk 'NF { print $1 }' <<<"$PELMIC_PRESET_LISTS"; }

# pelmic_preset_lists PRESET [build|test]: the lists named above (both kinds
# without the second argument).
pelmic_preset_lists() {
  local line
  if ! line=$(grep "^$1 " <<<"$PELMIC_PRESET_LISTS"); then
    echo "no preset '$1' (there are: $(pelmic_presets | xargs))" >&2
    return 2
  fi
  line=${line#"$1"}
  case ${2:-} in
    build) line=${line%%:*} ;;
    test) line=${line#*:} ;;
    *) line=${line/:/} ;;
  esac
  xargs <<<"$line"
}

# The packages of the lists named that are not installed, one a line.
pelmic_missing_packages() {
  local name p
  for name in "$@"; do sed -e 's/#.*//' "$ROOT/scripts/packages/$name.txt"; done |
    tr -s ' \n' '\n' | sort -u | while read -r p; do
      [ -n "$p" ] || continue
      dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || echo "$p"
    done
}

pelmic_installed_now() {
  dpkg-query -W -f='${db:Status-Abbrev} ${binary:Package}\n' | awk '$1 == "ii" { print $2 }' | sort
}

# Installs what is missing of the lists named, as far as it can be had: a
# mirror mid-sync can fail the update of one index for hours, or leave a
# package whose versions do not match; the lists that did download still serve
# the rest. apt-get installs a set wholly or not at all, so each list is tried
# alone, and a list that fails one package at a time. What stays missing is
# for the caller to find out (pelmic_missing_packages) and report.
pelmic_install_packages() {
  local missing name p
  missing=$(pelmic_missing_packages "$@")
  [ -n "$missing" ] || return 0
  echo "installing: $(xargs <<<"$missing")"
  local wanted=$missing
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Packages named NAME:ARCH need that architecture enabled first.
  local arch
  for arch in $(sed -n 's/^[^:]*:\(.*\)$/\1/p' <<<"$missing" | sort -u | xargs); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || $sudo dpkg --add-architecture "$arch"
  done
  local try status
  for try in 1 2 3; do
    status=0
    pelmic_apt update -qq || status=$?
    [ "$status" -ne 0 ] || break
    if [ "$try" -lt 3 ]; then
      echo "apt-get update failed (status $status); trying again in 30 s"
      sleep 30
    else
      echo "apt-get update failed 3 times (status $status): going on with the package lists apt has"
    fi
  done
  local before
  before=$(pelmic_installed_now)
  for name in "$@"; do
    missing=$(pelmic_missing_packages "$name")
    [ -n "$missing" ] || continue
    # shellcheck disable=SC2086 # one package a word
    pelmic_apt_install $missing 2>/dev/null && continue
    echo "the packages of $name.txt cannot all be installed; trying them one at a time"
    for p in $missing; do
      pelmic_apt_install "$p" || echo "cannot install $p (apt-get install $p says why)"
    done
  done
  PELMIC_INSTALLED+=" $(comm -23 <(echo "$wanted") <(pelmic_missing_packages "$@") | xargs)"
  PELMIC_INSTALLED_COUNT=$((PELMIC_INSTALLED_COUNT + $(comm -13 <(echo "$before") <(pelmic_installed_now) | wc -l)))
}
PELMIC_INSTALLED=""
PELMIC_INSTALLED_COUNT=0

pelmic_apt_install() { pelmic_apt install -y -qq --no-install-recommends "$@" >/dev/null; }

# apt-get that waits while another apt or dpkg (a fresh machine's unattended
# upgrades) holds dpkg's lock, until it is released, instead of failing every
# package at once. The lists' lock is not waited for: the update's retries cover it.
pelmic_apt() {
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get -o DPkg::Lock::Timeout=-1 "$@"
}

# pelmic_not_tested PRESET WHAT MISSING: a preset that scripts/test could not
# test, what became of it, and the packages it lacked; the run then fails.
PELMIC_NOT_TESTED=()
pelmic_not_tested() {
  PELMIC_NOT_TESTED+=("$1: $2: $(xargs <<<"$3") could not be installed")
  echo "=== ${PELMIC_NOT_TESTED[-1]} ==="
}

# At the end of scripts/run and scripts/test, however they end: how long they
# took, what they installed, and every preset left untested, which makes the
# run fail.
pelmic_finish() {
  local status=$? took=$SECONDS installed="installed nothing"
  if [ "$PELMIC_INSTALLED_COUNT" -gt 0 ]; then
    installed="installed $PELMIC_INSTALLED_COUNT packages:$PELMIC_INSTALLED and what they need"
  fi
  echo "scripts/$(basename "$0") took $((took / 60)) min $((took % 60)) s; $installed"
  if [ ${#PELMIC_NOT_TESTED[@]} -gt 0 ]; then
    echo "NOT TESTED, so this run fails:"
    printf '  %s\n' "${PELMIC_NOT_TESTED[@]}"
    [ "$status" -ne 0 ] || status=1
  fi
  exit "$status"
}
trap pelmic_finish EXIT

# Builds the Debian package of a native preset, installs it and checks that
# the installed program runs.
pelmic_install_package() {
  local preset=$1
  cmake --build --preset "$preset" --target package
  local deb
  deb=$(ls "$ROOT/build/$preset"/pelmic_*.deb)
  DEBIAN_FRONTEND=noninteractive pelmic_apt install -y -qq --no-install-recommends --reinstall "$deb" >/dev/null
  pelmic /P
  echo "installed $(basename "$deb"); pelmic /P exited 0"
}

# Debian's checker on the package a native preset built: any error or warning
# fails (informational tags pass).
pelmic_check_package() {
  local deb
  deb=$(ls "$ROOT/build/$1"/pelmic_*.deb)
  lintian --fail-on error,warning "$deb"
  echo "lintian: no error or warning in $(basename "$deb")"
}

pelmic_build() {
  local preset=$1
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
}

# The native pelmic-render that the web tests compare the page with (nothing
# to do when the release preset has just been built).
pelmic_build_native_renderer() {
  cmake --preset release >/dev/null
  cmake --build --preset release --target pelmic-render
}
