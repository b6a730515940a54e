#!/usr/bin/env bash
# Builds the x86_64 program and runs the unzip benchmark under wine: a 100 MB archive of
# 249 deflated members, extracted (a) through UNZIPPER one member at a time and (b) by
# plain zlib inflate and WriteFile; prints both times and the ratio a/b.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ZOLAN_BUILD_ROOT:-$root/build}
dir=$build_root/x86_64

"$root/scripts/deps.sh"
"$root/scripts/build.sh" x86_64

. "$root/scripts/wine-session.sh"
trap wine_session_stop EXIT
wine_session_start "$dir"
mkdir -p "$dir/benchrun"
(cd "$dir/benchrun" && wine ../tools/unzipbench.exe "$@")
