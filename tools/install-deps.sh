#!/bin/sh
# Installs the Debian packages of the named lists in tools/packages/ (play,
# test, bench, fuzz, deb), skipping those already present; an argument that
# names no list is a package. Runs as root, or through sudo. Each list holds
# one package a line; # starts a comment.
set -e
lists="$(dirname "$0")/packages"
PACKAGES=""
for list in "$@"; do
  if [ -r "$lists/$list.list" ]; then
    PACKAGES="$PACKAGES $(sed -e 's/#.*//' "$lists/$list.list")"
  else
    PACKAGES="$PACKAGES $list"
  fi
done

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
