#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the screenshots need,
# doing nothing when they are all present, then the browser test's Node.js
# packages (tests/web, versions pinned in its package-lock.json). With --fuzz
# also clang, libFuzzer and the symbolizer that tools/fuzz.sh needs.
set -euo pipefail
packages=(
  build-essential cmake ninja-build pkg-config zlib1g-dev
  qt6-base-dev qt6-base-dev-tools qt6-image-formats-plugins qt6-svg-dev qt6-translations-l10n
  libgtest-dev
  libmagick++-dev libcadical-dev
  xvfb xauth openbox xdotool imagemagick
  desktop-file-utils appstream man-db
  chromium
)
# Node.js and npm for the browser test, from Debian unless a node is already there.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
if [ "${1:-}" = "--fuzz" ]; then
  packages+=(clang libclang-rt-14-dev llvm)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo_cmd=""
  [ "$(id -u)" -ne 0 ] && sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${missing[@]}"
fi

web="$(dirname "$0")/../tests/web"
if [ ! -f "$web/node_modules/puppeteer-core/package.json" ]; then
  echo "Installing the browser test's packages"
  (cd "$web" && npm ci --no-audit --no-fund --loglevel=error)
fi
