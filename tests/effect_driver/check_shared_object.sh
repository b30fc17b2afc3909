#!/usr/bin/env bash
# A host build of a deliverable exports exactly DllGetClassObject and
# DllCanUnloadNow, like its Windows build.
set -euo pipefail
exports=$(nm -D --defined-only "$1" | awk '$2 ~ /^[TtWDdBbRrVv]$/ {print $3}' | sort | tr '\n' ' ')
if [ "$exports" != "DllCanUnloadNow DllGetClassObject " ]; then
    echo "FAIL $1 exports: $exports" >&2
    exit 1
fi
echo "OK $1: exports $exports"
