#!/usr/bin/env bash
# Installs what is missing, builds, and starts Клетомер (any arguments, such as
# a puzzle file, are passed on).
set -euo pipefail
cd "$(dirname "$0")"
tools/deps.sh
tools/build.sh
if [ -x build/src/app/kletomer ]; then
  exec build/src/app/kletomer "$@"
else
  exec build/src/cli/kletomer-cli --help
fi
