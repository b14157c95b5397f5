#!/usr/bin/env bash
# Builds the release Debian package build-package/qzweb_<version>_amd64.deb (with its debug
# symbols apart in qzweb-dbgsym_<version>_amd64.ddeb) by CPack, then checks it with lintian,
# desktop-file-validate and appstreamcli. Arguments go to CMake. The compiler flags are those of
# scripts/build.sh, so that ccache hands back the objects a test build already compiled; only the
# link adds hardening (read-only relocations, bound at load).
#   scripts/package.sh [CMAKE OPTION]...
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${QZWEB_PACKAGE_DIR:-$root/build-package}
"$root/scripts/install-deps.sh"

if [ -z "${CMAKE_CXX_COMPILER_LAUNCHER:-}" ] && command -v ccache >/dev/null; then
  export CMAKE_CXX_COMPILER_LAUNCHER=ccache
  # Paths inside the tree are hashed relative to it, so another build folder or clone hits too.
  export CCACHE_BASEDIR=${CCACHE_BASEDIR:-$root} CCACHE_NOHASHDIR=${CCACHE_NOHASHDIR:-1}
fi
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_INSTALL_PREFIX=/usr \
  -DQZWEB_BUILD_TESTS=OFF -DQZWEB_BUILD_BENCH=OFF -DCMAKE_EXE_LINKER_FLAGS="-Wl,-z,relro,-z,now" "$@" >/dev/null
cmake --build "$build" --parallel "$(nproc)"
rm -f "$build"/qzweb_*.deb "$build"/qzweb-dbgsym_*.ddeb
(cd "$build" && cpack -G DEB >/dev/null)
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$build/CMakeCache.txt")
deb="$build/qzweb_${version}_amd64.deb"
echo "built $deb"
exec "$root/scripts/check-package.sh" "$deb"
