#!/usr/bin/env bash
# Builds the x86_64 program with its distribution folder (setup.exe and the language
# libraries) and starts setup.exe under wine. Extra arguments go to setup.exe; the log goes
# to the terminal (/LOGIT:STDERR). The program appears on $DISPLAY when it is set, otherwise
# on a private Xvfb display.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ZOLAN_BUILD_ROOT:-$root/build}
dir=$build_root/x86_64

"$root/scripts/deps.sh"
if [ ! -f "$dir/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
        -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
# Only what the distribution folder holds; the tests are built by scripts/test.sh.
cmake --build "$dir" -j "$(nproc)" --target setup_exe setupenglish setupgerman setupfrench setuphungarian

if [ -n "${DISPLAY:-}" ] && [ -z "${ZOLAN_DISPLAY:-}" ]; then
  export ZOLAN_DISPLAY=$DISPLAY
fi
. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$dir"

echo "Starting $dir/dist/setup.exe /LOGIT:STDERR $*" >&2
cd "$dir/dist"
rc=0
wine setup.exe /LOGIT:STDERR "$@" || rc=$?
echo "setup.exe ended with exit code $rc" >&2
exit $rc
