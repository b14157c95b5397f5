#!/usr/bin/env bash
# Checks a built QZWeb package with the Debian and freedesktop checkers: lintian (no error, no
# warning; packaging/lintian-overrides says why for any that stays), desktop-file-validate on
# its desktop entry and appstreamcli on its metadata.
#   scripts/check-package.sh build-package/qzweb_<version>_amd64.deb
set -euo pipefail
deb=${1:?usage: scripts/check-package.sh PACKAGE.deb}
if [ ! -f "$deb" ]; then
  echo "$deb: no such package; build it with scripts/package.sh" >&2
  exit 1
fi
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
dpkg-deb -x "$deb" "$root"
failed=0

# --tag-display-limit 0: every instance of a tag is shown, not only the first few.
if ! lintian --fail-on error,warning --tag-display-limit 0 --allow-root "$deb"; then
  echo "lintian: $deb has errors or warnings (above); fix them in packaging/ (or the CMake install rules)," \
       "or, when one must stay, override it with the reason in packaging/lintian-overrides" >&2
  failed=1
fi
for desktop in "$root"/usr/share/applications/*.desktop; do
  if ! desktop-file-validate "$desktop"; then
    echo "desktop-file-validate: packaging/qzweb.desktop (installed as ${desktop#"$root"}) is invalid;" \
         "fix the keys named above" >&2
    failed=1
  fi
done
for metainfo in "$root"/usr/share/metainfo/*.metainfo.xml; do
  # --no-net: the home page and the screenshot are not fetched (the checker must not need the network).
  if ! appstreamcli validate --no-net --explain "$metainfo"; then
    echo "appstreamcli: packaging/metainfo.xml.in (installed as ${metainfo#"$root"}) is invalid;" \
         "fix the issues named above" >&2
    failed=1
  fi
done
if [ "$failed" -ne 0 ]; then
  exit 1
fi
echo "$deb: lintian, desktop-file-validate and appstreamcli found nothing"
