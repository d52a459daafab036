#!/bin/sh
# Installs the Debian packages the project needs, only those missing.
set -eu
PACKAGES="build-essential cmake pkg-config qt6-base-dev qt6-svg-dev libqt6svg6 qt6-tools-dev qt6-documentation-tools libqt6help6 libqt6sql6-sqlite libsqlcipher-dev sqlcipher libgtest-dev libgmock-dev clang-format fonts-liberation poppler-utils libxlsxwriter-dev unzip postgresql-15 libpq-dev libcsv-dev"
missing=""
for p in $PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
if [ -n "$missing" ]; then
    echo "Installing:$missing"
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing
fi
