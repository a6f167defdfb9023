#!/usr/bin/env bash
# Checks what no compiler checks: that every include points to the same or a
# lower floor, that no module of a folder includes, by way of others, one
# that includes it, that only platform/ knows which system it is built for,
# and that the code is formatted as .clang-format says.
#
# Floors, top to bottom: app > tree > matrix > input > trial > storage >
# texts > base and platform. platform/ stands on base/ alone.
set -euo pipefail
cd "$(dirname "$0")/.."

floor() {
  case $1 in
    app) echo 8 ;; tree) echo 7 ;; matrix) echo 6 ;; input) echo 5 ;; trial) echo 4 ;;
    storage) echo 3 ;; texts) echo 2 ;;
    base | platform) echo 1 ;; *) echo 0 ;;
  esac
}

failed=0
while IFS=: read -r file line target; do
  from=${file%%/*}
  to=${target%%/*}
  [ "$(floor "$to")" -gt 0 ] || continue # a test or tool folder
  allowed=$(($(floor "$to") <= $(floor "$from")))
  [ "$from" = platform ] && [ "$to" != base ] && [ "$to" != platform ] && allowed=0
  [ "$from" = base ] && [ "$to" != base ] && allowed=0
  if [ "$allowed" -ne 1 ]; then
    echo "$file:$line: includes $target, which stands above it" >&2
    failed=1
  fi
done < <(git grep -n -o -E '^#include "[a-z_]+/[a-z_0-9]+\.h"' -- app tree matrix input trial storage texts base platform |
  sed -E 's/#include "(.*)"/\1/')

# Inside a folder a module (a header and its .cpp) includes only modules that
# don't include it back, directly or through others: tsort finds a loop.
edges=$(git grep -n -o -E '^#include "[a-z_]+/[a-z_0-9]+\.h"' -- app tree matrix input trial storage texts base platform |
  sed -E 's#^([a-z_]+)/([a-z_0-9]+)\.(cpp|h):[0-9]+:\#include "([a-z_]+)/([a-z_0-9]+)\.h"#\1 \1/\2 \4/\5#' |
  awk '$1 == substr($3, 1, index($3, "/") - 1) && $2 != $3 { print $2, $3 }')
if [ -n "$edges" ] && ! tsort <<<"$edges" >/dev/null 2>/tmp/loops.$$; then
  echo "modules that include each other inside a folder:" >&2
  cat /tmp/loops.$$ >&2
  failed=1
fi
rm -f /tmp/loops.$$

if git grep -n -w _WIN32 -- '*.cpp' '*.h' '*.cmake' '*CMakeLists.txt' ':!platform/'; then
  echo "only platform/ may know which system it is built for (_WIN32 above)" >&2
  failed=1
fi

if ! clang-format --dry-run --Werror $(git ls-files '*.cpp' '*.h') 2>/tmp/format.$$; then
  head -n 40 /tmp/format.$$ >&2
  echo "some files are not formatted: clang-format -i \$(git ls-files '*.cpp' '*.h')" >&2
  failed=1
fi
rm -f /tmp/format.$$
exit $failed
