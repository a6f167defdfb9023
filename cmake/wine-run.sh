#!/bin/sh
# Runs a Windows program under Wine for ctest. Wine's own notes ("wine32 is
# missing" and the like) would land in the program's stderr, which the tests
# read: they are turned off. WINEPREFIX comes from the caller (.ci/run puts
# a throwaway one in the build folder).
WINEDEBUG=-all
export WINEDEBUG
exec wine "$@"
