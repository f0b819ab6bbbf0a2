#!/usr/bin/env bash
# Builds the program and makes the Debian package in build/ (kletomer_*.deb).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/deps.sh
tools/build.sh
cd build
cpack -G DEB
ls -1 kletomer_*.deb
