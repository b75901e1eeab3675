#!/usr/bin/env bash
# Installs the Debian packages that building, testing and benchmarking Lumitag need.
# Idempotent: packages already present are skipped, and apt is not touched at all
# when nothing is missing.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  qt6-base-dev qt6-svg-dev
  libjpeg-dev libjpeg-turbo-progs
  libgtest-dev libgmock-dev libbenchmark-dev
  exiv2 libexiv2-dev libimage-exiftool-perl
  nlohmann-json3-dev
  desktop-file-utils xdg-utils shared-mime-info appstream libglib2.0-bin
  xvfb xauth x11-apps imagemagick
  fonts-dejavu-core
)
if [ "${LUMITAG_WITH_FUZZER:-0}" = 1 ]; then
  packages+=(clang-14 libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
