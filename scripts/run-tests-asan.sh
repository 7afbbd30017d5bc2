#!/usr/bin/env bash
# Builds with AddressSanitizer and UndefinedBehaviorSanitizer into build-asan (or $BUILD_DIR) and
# runs every test there; leaks, bad reads and undefined behaviour fail the test that shows them.
# CC/CXX choose the compiler (GCC by default; clang works the same).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export BUILD_DIR=${BUILD_DIR:-$here/build-asan}
export CMAKE_EXTRA_ARGS="-DNR_SANITIZE=address,undefined ${CMAKE_EXTRA_ARGS:-}"
export NR_FUZZ_SECONDS=0 # the corpora are replayed under the sanitizers; no extra fuzz build
exec "$here/scripts/run-tests.sh" "$@"
