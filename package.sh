#!/usr/bin/env bash
# Builds the Debian package of Kiv Logs, build/package/kivlogs_<version>_<arch>.deb:
# installs what is missing, builds the two programs alone (Release, with
# Debian's hardening flags) and runs CPack.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

# The flags Debian builds its own packages with, all hardening on; no debug
# information, which CPack would strip again.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
CXXFLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS | sed 's/\(^\| \)-g\( \|$\)/ /')"
LDFLAGS=$(dpkg-buildflags --get LDFLAGS)
export CXXFLAGS LDFLAGS

cmake --preset package
cmake --build --preset package -j "$(nproc 2>/dev/null || echo 2)" --target kivlogs kivlogs-cli kivlogs-docs
(cd build/package && cpack -G DEB)
ls -1 build/package/kivlogs_*.deb
