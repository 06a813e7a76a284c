#!/bin/sh
# Entry point on a fresh Debian 12 machine (as root): installs make when it is
# missing and hands over to the Makefile, which installs the rest.
set -e
cd "$(dirname "$0")"
if ! command -v make >/dev/null 2>&1; then
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends make
fi
exec make "$@"
