#!/usr/bin/env bash
# Makes docs/datadialog.png: the data dialog with every kind of bound control (entry, spin,
# radio choice, index lists, text lists, push buttons and a disable rule), shown in Wine's
# virtual desktop on a private X display and cut to the dialog's frame.
#   scripts/datadialog-screenshot.sh [output.png]
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build_root=${ZOLAN_BUILD_ROOT:-$root/build}
out=${1:-$root/docs/datadialog.png}
dir=$build_root/x86_64

# The dependencies include Wine's own fonts: Tahoma for the dialog font, Marlett for the
# caption buttons.
"$root/scripts/deps.sh"
# Configured every time: a build tree made before the tool existed learns about it.
cmake -S "$root" -B "$dir" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-x86_64.cmake" \
      -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$dir" -j "$(nproc)" --target datadialogshot >/dev/null

. "$root/scripts/wine-session.sh"
work=$(mktemp -d)
cleanup() { wine_session_stop; rm -rf "$work"; }
trap cleanup EXIT
wine_session_start "$dir"
# A prefix made before the fonts were installed lacks them in its font folder.
cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
# Wine's own desktop window draws the frames that a window manager would otherwise draw.
wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1

wine "$dir/tools/datadialogshot.exe" "$(winepath -w "$work/rect.txt" 2>/dev/null)" \
  >/dev/null 2>&1 </dev/null &
for _ in $(seq 1 300); do
  [ -s "$work/rect.txt" ] && break
  sleep 0.1
done
[ -s "$work/rect.txt" ] || { echo "The dialog did not come up." >&2; exit 1; }
sleep 1  # let the last paint land
read -r x y w h <"$work/rect.txt"
import -window root "$work/screen.png"
mkdir -p "$(dirname "$out")"
convert "$work/screen.png" -crop "${w}x${h}+${x}+${y}" +repage "$out"
echo "Wrote $out (${w}x${h})"
