#!/usr/bin/env bash
# Cross-builds the Windows program and its tests in build-win/, runs the
# tests under Wine with a throwaway prefix in build-win/, and the native
# tests' whole runs with the Windows program; then builds the zip
# and runs the example from it once as a breeder would. Needs the packages
# that .ci/run installs (g++-mingw-w64-x86-64-posix, wine, wine64).
set -euo pipefail
cd "$(dirname "$0")/.."

export WINEPREFIX="$PWD/build-win/wineprefix" WINEDEBUG=-all
cmake -B build-win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake
cmake --build build-win -j2

# The only program imported from outside Windows itself would be a MinGW
# run-time DLL, which a breeder's PC does not have.
dlls=$(x86_64-w64-mingw32-objdump -p build-win/clustmat.exe | sed -n 's/^\tDLL Name: //p')
if grep -viqE '^(kernel32|msvcrt)\.dll$' <<<"$dlls"; then
  printf 'clustmat.exe imports more than system DLLs:\n%s\n' "$dlls" >&2
  exit 1
fi

# Explorer's Properties show the version; the manifest takes long paths.
strings -el build-win/clustmat.exe | grep -qx ProductVersion ||
  { echo "clustmat.exe has no version resource" >&2; exit 1; }
grep -q longPathAware build-win/clustmat.exe ||
  { echo "clustmat.exe has no manifest that takes long paths" >&2; exit 1; }

# The server stays up for the whole check, started with Wine's services on
# /dev/null (see cmake/wine-run.sh), and is stopped however the check ends.
trap 'wineserver -k 2>/dev/null || true' EXIT
mkdir -p "$WINEPREFIX"
wineserver -p </dev/null >/dev/null 2>&1 || true
[ -f "$WINEPREFIX/system.reg" ] || wineboot -i </dev/null >/dev/null 2>&1
wine cmd /c exit </dev/null >/dev/null 2>&1

ctest --test-dir build-win --output-on-failure -j2
# The whole runs of the native tests, each made with clustmat.exe.
cmake -B build >/dev/null && cmake --build build -j2 --target clustmat_tests || exit 1
# Rows with GBK names need a Chinese locale, from which Wine takes code page 936.
CLUSTMAT_WINDOWS_PROGRAM="$PWD/build-win/clustmat.exe" build/tests/clustmat_tests

# Both systems draw a tree picture to the same bytes.
pictures=$(mktemp -d)
mkdir "$pictures/linux" "$pictures/windows"
CLUSTMAT_SAMPLE_PICTURES="$pictures/linux" build/tests/clustmat_tests \
  --gtest_filter='TreePicture.ASample*' >/dev/null
CLUSTMAT_SAMPLE_PICTURES="Z:$pictures/windows" wine build-win/tests/clustmat_tests.exe \
  --gtest_filter='TreePicture.ASample*' </dev/null >/dev/null
cmp "$pictures/linux/tree-30.svg" "$pictures/windows/tree-30.svg"
rm -rf "$pictures"

rm -f build-win/clustmat-*-win64.zip
(cd build-win && cpack)
zip=$(echo build-win/clustmat-*-win64.zip)
work=$(mktemp -d)
trap 'wineserver -k 2>/dev/null || true; rm -rf "${work%/clustmat-*}"' EXIT
(cd "$work" && cmake -E tar xf "$OLDPWD/$zip")
# Unpacked, the zip makes one folder of its own name and nothing else.
folder=$(basename "$zip" .zip)
if [ "$(ls -A "$work")" != "$folder" ]; then
  printf '%s unpacks into more than its folder %s:\n%s\n' "$zip" "$folder" "$(ls -A "$work")" >&2
  exit 1
fi
work=$work/$folder
for file in clustmat.exe README.txt examples/wheat2025.dat examples/wheat2025.DIS \
  examples/wheat2025.tree.svg; do
  [ -f "$work/$file" ] || { echo "$zip lacks $folder/$file" >&2; exit 1; }
done
if grep -qv $'\r$' "$work/README.txt"; then
  echo "README.txt in $zip has lines without CR LF" >&2
  exit 1
fi

# One whole session from the unpacked folder, as the zip's README tells it:
# the matrix written again must be the shipped one, and the committed one
# but for its line ends.
mv "$work/examples/wheat2025.DIS" "$work/shipped.DIS"
(cd "$work" && printf 'examples\\wheat2025.dat\r\n1\r\n' |
  wine ./clustmat.exe >stdout.txt 2>stderr.txt) ||
  { echo "clustmat.exe from the zip failed:" >&2; cat "$work/stderr.txt" >&2; exit 1; }
cmp "$work/shipped.DIS" "$work/examples/wheat2025.DIS"
sed 's/\r$//' "$work/examples/wheat2025.DIS" | cmp - examples/wheat2025.DIS
# The tree of the example, drawn from the unpacked folder, is the picture the
# README shows, byte for byte.
mv "$work/examples/wheat2025.tree.svg" "$work/shipped.svg"
(cd "$work/examples" && wine ../clustmat.exe --tree --layout 1 wheat2025.dat \
  </dev/null >../stdout.txt 2>../stderr.txt) ||
  { echo "clustmat.exe --tree from the zip failed:" >&2; cat "$work/stderr.txt" >&2; exit 1; }
cmp "$work/shipped.svg" "$work/examples/wheat2025.tree.svg"
cmp examples/wheat2025.tree.svg "$work/examples/wheat2025.tree.svg"
echo "Windows check passed: $zip"
