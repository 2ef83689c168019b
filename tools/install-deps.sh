#!/bin/sh
# Installs the Debian packages that building, running and testing Paperlune need,
# skipping those already present. Runs as root, or through sudo.
# With --package first, also the tools that make and check the Debian
# package; any further arguments are more packages to install (make fuzz
# names clang and its libFuzzer runtime: some 45 MB to fetch and 260 MB
# installed, which is why the ordinary set-up leaves them out).
# Xorg's dummy driver, openbox and icewm serve the tests of two monitors.
set -e
PACKAGES="build-essential cmake pkg-config libgtest-dev libbenchmark-dev
liballegro4-dev libjpgalleg4-dev libfreetype-dev libvorbis-dev libpng-dev
libxtst-dev libx11-dev libxrandr-dev libxinerama-dev xvfb x11-utils x11-xkb-utils xkb-data
xserver-xorg-core xserver-xorg-video-dummy openbox icewm
imagemagick librsvg2-bin fonts-courier-prime fonts-noto-extra
desktop-file-utils appstream man-db"
if [ "$1" = "--package" ]; then
  PACKAGES="$PACKAGES debhelper dpkg-dev lintian"
  shift
fi
PACKAGES="$PACKAGES $*"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
