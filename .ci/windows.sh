#!/usr/bin/env bash
# The Windows job: cross-build romscope.exe with MinGW-w64, run its tests
# under wine, pack the zip, then check that romscope.exe prints exactly what
# the Linux build prints on every image we have. Uses the Linux build in
# build/ (made here when it is missing).
set -euo pipefail
cd "$(dirname "$0")/.."
source .ci/werror.sh

need=()
command -v x86_64-w64-mingw32-g++-posix >/dev/null || need+=(g++-mingw-w64-x86-64-posix)
[ -x /usr/lib/wine/wine64 ] || command -v wine64 >/dev/null || need+=(wine64)
[ -f /usr/src/googletest/CMakeLists.txt ] || need+=(googletest)
command -v groff >/dev/null || need+=(groff-base)
command -v python3 >/dev/null || need+=(python3)
if [ ${#need[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${need[@]}"
fi

werror_on build-windows
cmake --preset windows -DROMSCOPE_WERROR=ON
cmake --build --preset windows
ctest --preset windows
(cd build-windows && cpack -G ZIP)

if [ ! -x build/romscope ] || [ ! -f build/demo.bin ] || [ ! -d build/fuzz-seeds ]; then
  cmake -S . -B build
  cmake --build build -j2 --target romscope demo_image fuzz_seeds
fi
python3 .ci/windows_equivalence.py build/romscope build-windows/wine-run.sh \
  build-windows/romscope.exe build/demo.bin build/fuzz-seeds fuzz/corpus fuzz/regressions
