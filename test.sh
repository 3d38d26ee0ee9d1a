#!/usr/bin/env bash
# Installs what is missing, builds with warnings as errors, and runs every test without a
# display.
set -euo pipefail
cd "$(dirname "$0")"
source ./setup.sh
quellan_install_missing
quellan_build build/test RelWithDebInfo -DCMAKE_COMPILE_WARNING_AS_ERROR=ON
export QT_QPA_PLATFORM=offscreen
ctest --test-dir build/test --output-on-failure --parallel "$(nproc)" --timeout 300
