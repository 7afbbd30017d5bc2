#!/usr/bin/env bash
# Builds with ThreadSanitizer into build-tsan (or $BUILD_DIR) and runs every test there; a data
# race or a lock-order inversion fails the test that shows it. CC/CXX choose the compiler.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$here/build-tsan}
export CMAKE_EXTRA_ARGS="-DNR_SANITIZE=thread ${CMAKE_EXTRA_ARGS:-}"
export NR_FUZZ_SECONDS=0
export TEST_TIMEOUT=${TEST_TIMEOUT:-1200} # the checks make the longest tests several times slower
exec "$here/scripts/run-tests.sh" "$@"
