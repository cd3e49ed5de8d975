#!/usr/bin/env bash
# Installs the Debian packages the build, the program and the tests need, when any is missing.
set -euo pipefail
packages=(
    cmake ninja-build g++ pkg-config ccache
    qt6-base-dev qt6-svg-dev qt6-image-formats-plugins qt6-translations-l10n
    fonts-liberation fonts-dejavu-core
    libpoppler-qt6-dev poppler-utils ghostscript
    cups cups-client cups-bsd printer-driver-cups-pdf libcups2-dev
    libquazip1-qt6-dev
    clang libclang-rt-dev
    desktop-file-utils appstream shared-mime-info dpkg-dev file groff-base
)
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
