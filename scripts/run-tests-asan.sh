#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan (or $BUILD_DIR) and
# runs every test there; leaks, bad reads and undefined behaviour fail the test that shows them.
# Built with clang when it is installed (its undefined-behaviour checks are the wider set, and the
# fuzz build uses it too), else GCC; CC/CXX choose another. A build folder keeps its compiler.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$here/build-asan}
if [ -z "${CXX:-}" ] && command -v clang++ >/dev/null; then
  export CC=clang CXX=clang++
fi
export CMAKE_EXTRA_ARGS="-DNR_SANITIZE=address,undefined ${CMAKE_EXTRA_ARGS:-}"
export NR_FUZZ_SECONDS=0 # the corpora are replayed under the sanitizers; no extra fuzz build
export TEST_TIMEOUT=${TEST_TIMEOUT:-1200} # the checks make the longest tests several times slower
exec "$here/scripts/run-tests.sh" "$@"
