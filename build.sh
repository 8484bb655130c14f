#!/usr/bin/env bash
# Sets up a Debian machine for Quelvox, builds it, and then either starts the
# window (`bash build.sh run`) or runs every test (`bash build.sh test`).
# Safe to run again: it installs only what is missing and builds incrementally.
set -euo pipefail
cd "$(dirname "$0")"

mode=${1:-}
case "$mode" in
  run|test) ;;
  *) echo "usage: bash build.sh run|test" >&2; exit 2 ;;
esac

packages=(cmake ninja-build g++ qt6-base-dev qt6-serialport-dev libpng-dev
          libgtest-dev libgmock-dev libbenchmark-dev xvfb xauth dpkg-dev file clang-format)
missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "== Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -q
  $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

jobs=$(nproc 2>/dev/null || echo 2)
if [ "$mode" = test ]; then
  echo "== Checking the layout of every C++ file against .clang-format"
  git ls-files '*.cpp' '*.h' 2>/dev/null | xargs -r clang-format --dry-run -Werror
fi
echo "== Building in build/"
cmake --preset debug
cmake --build build -j "$jobs"

# -noreset: the X server would reset whenever its last client left, between
# two test processes, and a test connecting during the reset could not start.
xvfb() { xvfb-run -a -s "-screen 0 1920x1080x24 -noreset" "$@"; }

if [ "$mode" = run ]; then
  cd build
  if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "== No display found: Quelvox runs in a virtual X server (Xvfb). Stop it with Ctrl+C."
    exec xvfb-run -a -s "-screen 0 1920x1080x24" ./quelvox
  fi
  exec ./quelvox
fi

echo "== Running every test (window tests in Xvfb at 1920x1080)"
(cd build && xvfb env QUELVOX_EXPECT_XVFB=1 ctest --output-on-failure -j "$jobs")

echo "== Building the Debian package in build/"
rm -f build/quelvox_*.deb
(cd build && cpack -G DEB)
bash tests/install/check_package.sh build/quelvox_*.deb

# The same suite once more with AddressSanitizer and UndefinedBehaviorSanitizer.
echo "== Building with sanitizers in build-asan/"
cmake --preset sanitizers
cmake --build build-asan -j "$jobs"
echo "== Running every test with sanitizers"
export LSAN_OPTIONS="suppressions=$PWD/tests/lsan-suppressions.txt"
export UBSAN_OPTIONS="print_stacktrace=1"
(cd build-asan && xvfb env QUELVOX_EXPECT_XVFB=1 ctest --output-on-failure -j "$jobs")
