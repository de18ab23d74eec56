#!/usr/bin/env bash
# Tarnwick's one entry point for people and CI.
#   ./build.sh build     configure and build into build/
#   ./build.sh run       build, then start Tarnwick
#   ./build.sh test      build, then run every test (also under sanitizers)
#   ./build.sh install   build, then copy Tarnwick.app to ~/Applications
# run and test install the Debian packages they need, and bring their own
# D-Bus session and X server when the machine has none.
set -euo pipefail
cd "$(dirname "$0")"

PACKAGES=(
  build-essential cmake ninja-build pkg-config git
  libglib2.0-dev libplist-dev libxkbcommon-dev libxkbcommon-x11-dev libicu-dev xkb-data
  libcairo2-dev libpango1.0-dev fonts-inter libx11-dev libx11-xcb-dev libxi-dev libxrandr-dev
  libgdk-pixbuf-2.0-dev librsvg2-common
  libgtest-dev libgmock-dev libbenchmark-dev
  clang libclang-rt-14-dev
  dbus xvfb xauth xdotool x11-xkb-utils xterm
  xfce4-panel xfconf xfwm4 lxqt-panel lxqt-session lxqt-themes openbox at-spi2-core
)

log() { printf '==> %s\n' "$*" >&2; }

as_root() {
  if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi
}

ensure_packages() {
  local missing=()
  for package in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return
  log "installing ${missing[*]}"
  as_root apt-get update -q
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

configure_and_build() {
  local dir=$1; shift
  cmake -S . -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
  ninja -C "$dir"
}

XVFB_PID=""
stop_xvfb() { [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true; }

# Starts a private X server on a free display and exports DISPLAY.
start_xvfb() {
  local display
  for display in $(seq 90 140); do
    [ -e "/tmp/.X11-unix/X$display" ] || [ -e "/tmp/.X$display-lock" ] || break
  done
  Xvfb ":$display" -screen 0 1920x1080x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  trap stop_xvfb EXIT
  for _ in $(seq 100); do
    [ -e "/tmp/.X11-unix/X$display" ] && break
    sleep 0.05
  done
  export DISPLAY=":$display"
  log "private X server on $DISPLAY"
}

# Runs a command with a D-Bus session and an X display; `private` asks for
# fresh ones even when the desktop has its own, so tests never touch it.
with_session() {
  local mode=$1; shift
  if [ "$mode" = private ] || [ -z "${DISPLAY:-}" ]; then start_xvfb; fi
  if [ "$mode" = private ] || [ -z "${DBUS_SESSION_BUS_ADDRESS:-}" ]; then
    dbus-run-session -- "$@"
  else
    "$@"
  fi
}

run_tests() {
  local home
  home=$(mktemp -d)
  # Nothing a test does may reach the user's own settings.
  export HOME="$home" XDG_CONFIG_HOME="$home/.config"
  ctest --test-dir build --output-on-failure -j2 --timeout 120
  log "unit tests under AddressSanitizer and UndefinedBehaviorSanitizer"
  configure_and_build build-sanitize -DTARNWICK_UNIT_TESTS_ONLY=ON -DTARNWICK_SANITIZE=ON
  LSAN_OPTIONS="suppressions=$PWD/tests/lsan.supp" \
    ctest --test-dir build-sanitize --output-on-failure -j2 --timeout 120
  log "fuzz targets, briefly"
  cmake -S . -B build-fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_FUZZ=ON \
    -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  ninja -C build-fuzz $(ninja -C build-fuzz -t targets all | grep -o '^fuzz_[A-Za-z0-9_]*' | sort -u)
  local target seeds found
  for target in build-fuzz/fuzz_*; do
    [ -x "$target" ] || continue
    # Each target starts from its seeds, fuzz/corpus/<name> for
    # fuzz/<name>_fuzz.cpp; what it finds goes to a scratch folder, never
    # into the repository.
    seeds=${target#build-fuzz/fuzz_}
    seeds=fuzz/corpus/${seeds%_fuzz}
    found=$(mktemp -d)
    [ -d "$seeds" ] || seeds=""
    "$target" -max_total_time=15 -max_len=4096 "$found" $seeds >build-fuzz/last-run.log 2>&1 ||
      { cat build-fuzz/last-run.log; log "$target found a crash"; return 1; }
    rm -rf "$found"
  done
  log "all tests passed"
  rm -rf "$home"
}

command=${1:-build}
case "$command" in
  build)
    ensure_packages
    configure_and_build build
    ;;
  run)
    ensure_packages
    configure_and_build build
    with_session desktop build/Tarnwick.app/Contents/MacOS/Tarnwick
    ;;
  test)
    ensure_packages
    configure_and_build build
    with_session private bash -c "set -euo pipefail; $(declare -f log configure_and_build run_tests); run_tests"
    ;;
  install)
    ensure_packages
    configure_and_build build
    mkdir -p "$HOME/Applications"
    rm -rf "$HOME/Applications/Tarnwick.app"
    cp -a build/Tarnwick.app "$HOME/Applications/"
    log "installed $HOME/Applications/Tarnwick.app"
    ;;
  *)
    echo "usage: $0 {build|run|test|install}" >&2
    exit 2
    ;;
esac
