#!/bin/sh
# Installs what building, running and testing need on Debian 12 (run as root).
set -eu
export DEBIAN_FRONTEND=noninteractive
apt-get update -q
apt-get install -y -q --no-install-recommends \
  ca-certificates cmake make g++ clang libclang-rt-14-dev \
  qt6-base-dev qt6-translations-l10n libsqlite3-dev sqlite3 libgtest-dev \
  mdbtools openjdk-17-jre-headless xvfb xauth time dpkg-dev file
