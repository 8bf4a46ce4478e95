#!/usr/bin/env bash
# Installs with apt-get whatever the build and the tests need and is missing.
set -euo pipefail
pkgs=(build-essential cmake ninja-build git libgtest-dev libbenchmark-dev
      qt6-base-dev libgl-dev xvfb xauth x11-xkb-utils libx11-dev libxtst-dev libjpeg62-turbo-dev fonts-dejavu-core fonts-dejavu-extra fonts-urw-base35 fonts-cabin fonts-cantarell fonts-liberation fonts-noto-core
      poppler-utils qt6-translations-l10n
      libsqlite3-dev
      desktop-file-utils python3-gi gir1.2-gmenu-3.0 gnome-menus lxmenu-data)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "Installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
