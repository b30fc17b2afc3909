#!/usr/bin/env bash
# Builds and runs every test: the host tests under AddressSanitizer and
# UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer, and
# the checks of the Windows modules of both processor widths, then each fuzz
# target for a minute from its committed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-packages.sh
scripts/check-format.sh
for preset in host host-tsan win64 win32; do
    echo "=== $preset"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset"
    ctest --preset "$preset"
done
echo "=== fuzz"
scripts/fuzz-short.sh 60
