#!/usr/bin/env bash
# Installs every Debian package Orvanix needs to build, test, benchmark and fuzz.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config clang-format
  clang libclang-rt-dev
  libgtest-dev libgmock-dev libbenchmark-dev libfftw3-dev
  qt6-base-dev qt6-base-dev-tools libqt6opengl6-dev libgl-dev
  portaudio19-dev libasound2-dev libasound2-plugins alsa-utils libsndfile1-dev libsndfile1
  sox python3 python3-numpy python3-scipy poppler-utils xvfb xauth bc fonts-dejavu-core parallel
  locales
  desktop-file-utils appstream shared-mime-info dpkg-dev x11-utils
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ "$(id -u)" -ne 0 ]; then
  SUDO=sudo
else
  SUDO=
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A locale whose decimal mark is a comma: the tests that prove our files and texts use '.'
# whatever the locale need one. Enabled in /etc/locale.gen, so that a later locale-gen keeps it.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Generating the de_DE.UTF-8 locale"
  if ! grep -qx 'de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
    if grep -qx '# *de_DE.UTF-8 UTF-8' /etc/locale.gen 2>/dev/null; then
      $SUDO sed -i 's/^# *de_DE.UTF-8 UTF-8$/de_DE.UTF-8 UTF-8/' /etc/locale.gen
    else
      echo 'de_DE.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
    fi
  fi
  $SUDO locale-gen >/dev/null
fi
