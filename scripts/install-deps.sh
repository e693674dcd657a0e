#!/usr/bin/env bash
# Installs the Debian packages KlipoVersa needs. Idempotent: does nothing when
# everything is already installed. Usage: install-deps.sh [--tests]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
. "$here/packages.sh"
wanted=$KLIPO_BUILD_PACKAGES
[ "${1:-}" = "--tests" ] && wanted="$wanted $KLIPO_TEST_PACKAGES"

missing=()
for p in $wanted; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
