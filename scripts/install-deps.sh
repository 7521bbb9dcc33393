#!/usr/bin/env bash
# Installs every Debian package Quillet needs to build, run and test.
# Idempotent: only missing packages are installed.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins qt6-tools-dev qt6-translations-l10n libgl-dev
  qt6-gtk-platformtheme
  libsqlite3-dev
  mdbtools-dev mdbtools
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  fonts-noto-cjk
  xvfb xauth desktop-file-utils appstream shared-mime-info
  clang libclang-rt-dev
)

missing=()
for package in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$package")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update
$sudo apt-get install -y --no-install-recommends "${missing[@]}"
