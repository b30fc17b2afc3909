#!/usr/bin/env bash
# Builds every deliverable for the host (with the simulated platform) and for
# Windows x64 and x86, then lists what was built.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
for preset in host win64 win32; do
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
done

echo
echo "Built:"
ls -1 build/host/lib/librumbix_*.so build/win64/bin/*.dll build/win32/bin/*.dll | sed 's/^/  /'
