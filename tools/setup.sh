#!/usr/bin/env bash
# Installs from Debian's packages whatever the build, the tests and the demo need and this machine
# lacks. A second run finds everything in place and returns at once.
set -euo pipefail

packages=(
  cmake ninja-build clang-format shellcheck
  g++-mingw-w64-x86-64-posix
  g++
  wine64 xvfb xauth
  googletest
  clang libclang-rt-14-dev
  libstb-dev
)

missing=()
for package in "${packages[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "setup: installing ${missing[*]}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "setup: need root (or sudo) to install ${missing[*]}" >&2; exit 1; }
  sudo=sudo
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q "${missing[@]}"
