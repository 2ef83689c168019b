#!/bin/sh
# Installs what `make fuzz` needs beyond tools/install-deps.sh: clang and the
# runtime with libFuzzer (some 45 MB to fetch, 260 MB installed, which is why
# the ordinary set-up leaves them out). Runs as root, or through sudo.
set -e
PACKAGES="clang libclang-rt-14-dev"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

if [ "$(id -u)" -eq 0 ]; then SUDO=""; else SUDO="sudo"; fi
echo "Installing:$missing"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends $missing
