#!/usr/bin/env bash
# Configures and builds the project into ${BUILD_DIR:-build}.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$here/build}
type=${BUILD_TYPE:-RelWithDebInfo}
launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="$type" "${launcher[@]}" ${CMAKE_EXTRA_ARGS:-} >/dev/null
cmake --build "$build" -j "${JOBS:-$(nproc)}"
