#!/bin/sh
# Runs a Windows program under Wine for ctest: wine-run.sh PREFIX PROGRAM ARGS...
# The Wine prefix is PREFIX (a folder in the build) unless WINEPREFIX is set.
#
# Wine's own notes ("wine32 is missing" and the like) would land in the
# program's stderr, which the tests read: they are turned off. And the first
# Wine call of a prefix starts the server and Wine's services, which keep
# that call's standard streams open: a test reading the program's output to
# its end would wait for ever. So the server is started here, persistent, and
# the services with every stream on /dev/null, once, before any test runs.
WINEPREFIX=${WINEPREFIX:-$1}
WINEDEBUG=-all
export WINEPREFIX WINEDEBUG
shift
mkdir -p "$WINEPREFIX"
# What stays running must not inherit the lock (descriptor 9).
(
  flock 9
  if wineserver -p 9>&-; then
    [ -f "$WINEPREFIX/system.reg" ] || wineboot -i 9>&-
    wine cmd /c exit 9>&-
  fi
) 9>"$WINEPREFIX.lock" </dev/null >/dev/null 2>&1
exec wine "$@"
