#!/usr/bin/env bash
# Installs the given Debian packages (with sudo when not root); does nothing without arguments.
set -euo pipefail
[ $# -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq "$@" >/dev/null
