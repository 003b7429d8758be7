# SPDX-License-Identifier: MIT
# Shared by scripts/run and scripts/test. Source it; do not run it.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Installs the Debian packages listed in scripts/packages/NAME.txt for each
# NAME given (every list when none is) that are missing.
pelmic_install_packages() {
  local lists=() wanted missing=() name
  if [ $# -eq 0 ]; then lists=("$ROOT"/scripts/packages/*.txt); fi
  for name in "$@"; do lists+=("$ROOT/scripts/packages/$name.txt"); done
  wanted=$(sed -e 's/#.*//' "${lists[@]}" | tr -s ' \n' '\n' | sort -u)
  for p in $wanted; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  # Packages named NAME:ARCH need that architecture enabled first (the 32-bit
  # wine that runs the shipped i686 pelmic.scr).
  local arch
  for arch in $(printf '%s\n' "${missing[@]}" | sed -n 's/^[^:]*:\(.*\)$/\1/p' | sort -u); do
    dpkg --print-foreign-architectures | grep -qx "$arch" || $sudo dpkg --add-architecture "$arch"
  done
  $sudo apt-get update -qq
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Builds the Debian package of a native preset, installs it and checks that
# the installed program runs.
pelmic_install_package() {
  local preset=$1 sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  cmake --build --preset "$preset" --target package
  local deb
  deb=$(ls "$ROOT/build/$preset"/pelmic_*.deb)
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends --reinstall "$deb" >/dev/null
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
