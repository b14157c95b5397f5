#!/usr/bin/env bash
# Installs every Debian 12 package QZWeb needs to build, run and test. Run as root.
# Skips apt entirely when everything is already there, so repeated runs are quick.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-webengine-dev-tools
  # Qt Quick: how the preview is composed into the window on machines without a graphics card
  qt6-declarative-dev
  libqt6webenginecore6-bin libqt6svg6 qt6-qpa-plugins qt6-translations-l10n
  qt6-tools-dev qt6-tools-dev-tools qt6-documentation-tools libqt6sql6-sqlite
  libgtest-dev libgmock-dev googletest poppler-utils
  libuchardet-dev
  # Qt's WebP reader (with TIFF and others): the size of a WebP picture dropped on the page
  qt6-image-formats-plugins
  # the content hash of what a publish sent
  libxxhash-dev
  # FTPS, the keyring (and a keyring daemon for its test), the page check
  libssl-dev openssl ca-certificates qtkeychain-qt6-dev libsecret-1-0 gnome-keyring libtidy-dev
  # clang and its libFuzzer, for the fuzz targets (scripts/fuzz.sh)
  clang libclang-rt-14-dev
  fonts-noto-cjk
  python3 python3-pyftpdlib vsftpd curl lftp
  # SFTP (libssh 0.10: RSA keys with rsa-sha2-*), and the real sshd its tests start themselves
  # (the package's own service is never started for them); OpenSSH's sftp and scp are the
  # SFTP bench lines' peers
  libssh-dev openssh-server openssh-client
  # the page check's benchmark peer, and the package's builders and checkers
  tidy dpkg-dev fakeroot lintian desktop-file-utils appstream
  # the site-wide search's benchmark floor, and the site check's benchmark peer
  ripgrep linkchecker
  # the package's icons, rendered from the SVG at the usual sizes
  librsvg2-bin
  # keeps compiled objects between builds and between the test and package builds
  ccache
  # the editor benchmark's real windows: it waits for the X server through xcb
  libx11-dev libxcb1-dev
  xvfb xauth imagemagick dbus-bin dbus-daemon dbus-x11 at-spi2-core libgl1-mesa-dri python3-pyatspi gir1.2-atspi-2.0
  # a real Japanese input method for the input tests: Mozc under fcitx5, its Qt 6 plugin, and
  # xdotool to type romaji into it (x11-utils: xwininfo finds the candidate window); passwd makes
  # the throwaway user they run as, since Mozc refuses to run as root
  fcitx5 fcitx5-mozc fcitx5-frontend-qt6 xdotool x11-utils passwd
  # trying the program with a real screen reader (by hand, README): Orca speaking through
  # eSpeak NG, and a window manager so that Orca sees an active window under Xvfb
  orca espeak-ng openbox
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi
if [ "$(id -u)" -ne 0 ]; then
  echo "QZWeb: these Debian packages are missing: ${missing[*]}" >&2
  echo "QZWeb: run this command as root (or install them with apt-get) and try again." >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
apt-get update
apt-get install -y --no-install-recommends "${missing[@]}"
