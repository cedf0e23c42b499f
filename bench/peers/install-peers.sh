#!/bin/sh
# Installs the peers that bench_peers measures us against (Debian package names).
set -eu
if [ "$(id -u)" -ne 0 ]; then
    echo "run as root (or through sudo): it installs packages with apt-get" >&2
    exit 1
fi
apt-get update
DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends \
    xsdcxx libxerces-c-dev libexpat1-dev libpugixml-dev
