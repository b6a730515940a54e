#!/usr/bin/env bash
# Builds both architectures and runs the whole test suite on the x86_64 build under wine.
# Extra arguments go to ctest, for example: scripts/test.sh -R foundation
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ZOLAN_BUILD_ROOT:-$root/build}

"$root/scripts/deps.sh"
"$root/scripts/build.sh" x86_64 i686

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$build_root/x86_64"
ctest --test-dir "$build_root/x86_64" --output-on-failure "$@"
