#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo host on the file backup page.
# Extra arguments go to the demo host (see `demohost --help`).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}
cd "$build/bin"
if [ $# -eq 0 ]; then set -- --page 8; fi
exec ./demohost "$@"
