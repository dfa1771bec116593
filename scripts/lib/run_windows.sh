#!/usr/bin/env bash
# scripts/run windows: the Windows installer walked under Wine, for a
# newcomer. Builds the Linux tools (build/) and the Windows installer with
# its demo package (build-win-run/), then runs the walk that the test
# command runs (tests/wine): the real varnikpdf-setup.exe under Wine on a
# private Xvfb, clicked through xdotool - the installation up to the product
# started with --install, the exit page with typed Chinese feedback, the
# failure page after a failed download, the question about a running
# product. Screenshots of every page and the reports the loopback server
# received go to the output folder (VARNIK_RUN_OUT chooses it); the last
# line is the verdict. The walk's own processes (Xvfb, Wine, the server)
# end with it.
set -euo pipefail
cd "$(dirname "$0")/../.."

jobs=$(nproc)
cmake -S . -B build -G Ninja >/dev/null
cmake --build build -j "$jobs" --target wine_walk_tests varnik_layout_probe
cmake -S . -B build-win-run -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DVARNIK_HOST_BUILD_DIR="$(pwd)/build" >/dev/null
cmake --build build-win-run -j "$jobs" --target varnikpdf-setup varnik_demo_package varnik_product_app

out=${VARNIK_RUN_OUT:-$PWD/run-output/$(date +%Y%m%d-%H%M%S)-windows}
mkdir -p "$out/screens"
out=$(cd "$out" && pwd)
echo "output folder: $out"

status=0
env VARNIK_WINE_RUN="$(pwd)/cmake/wine-run" \
  VARNIK_WINE_PREFIX="$(pwd)/build-win-run/wine-walk" \
  VARNIK_WINE_SETUP="$(pwd)/build-win-run/app/varnikpdf-setup.exe" \
  VARNIK_WINE_PACKAGE="$(pwd)/build-win-run/demo/DudIdiruvovoInstaller.exe" \
  VARNIK_WINE_PRODUCT_APP="$(pwd)/build-win-run/tools/demo_package/vidIvurodezirarod.exe" \
  VARNIK_LAYOUT_PROBE="$(pwd)/build/tools/x11_tools/varnik_layout_probe" \
  VARNIK_WALK_SCREENS="$out/screens" VARNIK_WALK_REPORTS="$out/reports.jsonl" \
  build/tests/wine/wine_walk_tests --gtest_color=no 2>&1 | tee "$out/walk.log" || status=$?
# The walk leaves nothing running; its prefix is ended once more for sure.
WINEPREFIX="$(pwd)/build-win-run/wine-walk" /usr/lib/wine/wineserver64 -k 2>/dev/null || true

echo "== reports the server received"
cat "$out/reports.jsonl" 2>/dev/null || true
echo "== verdict"
shots=$(find "$out/screens" -name '*.png' | wc -l)
if [ "$status" = 0 ]; then
  echo "PASS: the Windows installer under Wine installed, recorded and started the product," \
    "took typed feedback, showed the failure page and the running-product question;" \
    "$shots screenshots in $out/screens"
else
  echo "FAIL: see $out/walk.log ($shots screenshots in $out/screens)"
  exit 1
fi
