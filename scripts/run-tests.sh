#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC
cd "$build"
ctest --output-on-failure -j "${JOBS:-$(nproc)}" --timeout 300 "$@"
