#!/usr/bin/env bash
# Builds the Debian package of Kiv Logs, build/package/kivlogs_<version>_<arch>.deb:
# installs what is missing, builds the two programs alone (Release) and runs CPack.
set -euo pipefail
cd "$(dirname "$0")"
./scripts/install-deps.sh

cmake -S . -B build/package -G Ninja -DCMAKE_BUILD_TYPE=Release -DKIV_BUILD_BENCH=OFF
cmake --build build/package -j "$(nproc 2>/dev/null || echo 2)" --target kivlogs kivlogs-cli kivlogs-docs
(cd build/package && cpack -G DEB)
ls -1 build/package/kivlogs_*.deb
