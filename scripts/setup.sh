#!/usr/bin/env bash
# Installs the Debian packages the project needs, only those that are missing.
# Safe to run any number of times.
set -euo pipefail
pkgs=(build-essential cmake ninja-build ccache pkg-config
      qtbase5-dev libqt5svg5-dev qttools5-dev-tools qttools5-dev
      nlohmann-json3-dev libarchive-dev libarchive-tools tar python3
      xvfb xauth fonts-dejavu-core)
missing=()
for p in "${pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""; [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -q
  $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
else
  echo "setup: all packages present"
fi
