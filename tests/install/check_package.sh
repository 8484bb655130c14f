#!/usr/bin/env bash
# Lists a built Debian package and checks that it holds what an installation
# needs: the programs, the launcher, the menu entry with its icon and file
# types, the manual pages, the bash completions, and the library packages the
# programs run on.
# usage: check_package.sh QUELVOX.deb
set -euo pipefail
deb=$1

echo "== $(basename "$deb")"
dpkg-deb -f "$deb" Package Version Architecture Depends
contents=$(dpkg-deb -c "$deb")
echo "$contents"

missing=0
for path in usr/bin/quelvox usr/bin/quelvox-cli usr/bin/abelc usr/bin/quelvox-launch \
            usr/share/applications/quelvox.desktop usr/share/icons/hicolor/256x256/apps/quelvox.png \
            usr/share/man/man1/quelvox.1.gz usr/share/man/man1/quelvox-launch.1.gz \
            usr/share/man/man1/quelvox-cli.1.gz usr/share/man/man1/abelc.1.gz \
            usr/share/mime/packages/quelvox.xml \
            usr/share/bash-completion/completions/quelvox-cli usr/share/bash-completion/completions/abelc; do
  if ! grep -q " \./$path\$" <<<"$contents"; then
    echo "MISSING from the package: /$path" >&2
    missing=1
  fi
done
depends=$(dpkg-deb -f "$deb" Depends)
for package in libqt6widgets6 libqt6gui6 libqt6core6 libpng16-16; do
  if ! grep -Eq "(^|, )$package( |,|$)" <<<"$depends"; then
    echo "MISSING dependency: $package" >&2
    missing=1
  fi
done
exit "$missing"
