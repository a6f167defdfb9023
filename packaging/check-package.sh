#!/usr/bin/env bash
# Builds the Debian package in build/, installs it on this machine with dpkg
# and checks what a breeder gets: the program, the manual page, and one whole
# session on the example trial. Needs root and a configured build/ folder.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v man >/dev/null; then
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq man-db </dev/null
fi

# The page must stay free of roff warnings, which show as broken text.
warnings=$(groff -ww -z -man man/clustmat.1 2>&1)
if [ -n "$warnings" ]; then
  printf 'man/clustmat.1 has roff warnings:\n%s\n' "$warnings" >&2
  exit 1
fi

rm -f build/clustmat_*.deb
(cd build && cpack -G DEB)
deb=$(echo build/clustmat_*.deb)
contents=$(dpkg-deb -c "$deb")
for file in ./usr/bin/clustmat ./usr/share/man/man1/clustmat.1; do
  grep -q " $file\$" <<<"$contents" || { echo "$deb lacks $file" >&2; exit 1; }
done

# Slim images exclude /usr/share/man from every install (path-exclude in
# /etc/dpkg/dpkg.cfg.d); a path-include on the command line is read after
# those files, so it brings the page back.
dpkg -i --path-include='/usr/share/man/man1/clustmat.1*' "$deb"
page=/usr/share/man/man1/clustmat.1
dpkg -L clustmat | grep -qx "$page" || { echo "dpkg does not list $page" >&2; exit 1; }
cmp man/clustmat.1 "$page"
found=$(man -w clustmat)
echo "man -w clustmat: $found"
LC_ALL=C MANWIDTH=80 man -P cat clustmat 2>/dev/null | grep -q 'clustmat - turn the data' ||
  { echo "man clustmat does not show the page" >&2; exit 1; }

# One whole session of the installed program, as in the README.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp examples/wheat2025.dat "$work/"
(cd "$work" && printf 'wheat2025.dat\n1\n' | /usr/bin/clustmat >stdout.txt 2>stderr.txt) ||
  { echo "the installed clustmat failed:" >&2; cat "$work/stderr.txt" >&2; exit 1; }
cmp examples/wheat2025.DIS "$work/wheat2025.DIS"
echo "package check passed: $deb"
