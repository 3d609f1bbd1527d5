#!/usr/bin/env bash
# Installs the Debian packages Tabrix builds, runs and tests with, if any are missing.
set -euo pipefail
packages=(
  cmake g++ make pkg-config
  qt6-base-dev libqt6sql6-sqlite libqt6sql6-psql
  libcups2-dev cups-daemon cups-client
  libgtest-dev libsqlite3-dev sqlite3 postgresql libzint-dev libzxing-dev python3 python3-hl7 openssl
  xvfb xdotool x11-apps x11-utils imagemagick poppler-utils fonts-liberation2 fonts-roboto-unhinted
  lintian desktop-file-utils man-db adduser dpkg-dev file qt6-qpa-plugins
)
packages+=("$@") # more for one purpose, e.g. the fuzzers' compiler
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
