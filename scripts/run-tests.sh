#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (the fuzz entries replay their corpora).
# With clang present, every fuzz entry then fuzzes a few seconds as well (NR_FUZZ_SECONDS, 5 by
# default; 0 skips it).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}
export QT_QPA_PLATFORM=offscreen LC_ALL=C.UTF-8 LANG=C.UTF-8 TZ=UTC
cd "$build"
ctest --output-on-failure -j "${JOBS:-$(nproc)}" --timeout "${TEST_TIMEOUT:-300}" "$@"
if [ "${NR_FUZZ_SECONDS:-5}" != 0 ] && command -v clang++ >/dev/null; then
  FUZZ_BUILD_DIR=${FUZZ_BUILD_DIR:-$build-fuzz} "$here/fuzz/run" -t "${NR_FUZZ_SECONDS:-5}"
fi
