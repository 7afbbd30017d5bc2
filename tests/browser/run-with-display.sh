#!/bin/sh
# Runs a picture test on a real display server: the current one when DISPLAY is set, else a
# private Xvfb. Without either the test is skipped (exit code 77).
unset QT_QPA_PLATFORM
if [ -n "$DISPLAY" ]; then
  exec "$@"
fi
if command -v xvfb-run >/dev/null 2>&1; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" "$@"
fi
echo "SKIP: no display and no Xvfb (install the xvfb package to run the picture test)"
exit 77
