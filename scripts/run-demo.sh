#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo host on the file backup page over this
# machine's disks (C: is /, see build/bin/default.ini). Without arguments the selection confirmed
# with OK goes to the task file demo-task.json of the build folder; edit it again with
#   scripts/run-demo.sh --page 9 --task build/demo-task.json
# Extra arguments go to the demo host instead (see `demohost --help` and docs/demo-host.md).
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
"$here/scripts/setup.sh"
"$here/scripts/build.sh"
build=${BUILD_DIR:-$here/build}
build=$(cd "$build" && pwd)
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run-demo: no display to show the page on. Run it in a desktop session, or under a virtual" >&2
  echo "          display: xvfb-run -a scripts/run-demo.sh" >&2
  exit 1
fi
if [ $# -eq 0 ]; then
  set -- --page 8 --task "$build/demo-task.json"
  echo "run-demo: OK writes the selection to $build/demo-task.json"
fi
cd "$build/bin"
exec ./demohost "$@"
