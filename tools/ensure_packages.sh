# Installs the Debian/Ubuntu packages Frostpane needs, if any is missing.
# Sourced by run.sh and test.sh.

FROSTPANE_PACKAGES=(
  cmake g++ pkg-config make
  qt6-base-dev qt6-multimedia-dev
  # The desktop's sound talks to the sound server (PulseAudio, or PipeWire's
  # PulseAudio server) through libpulse; the package's dependency on libpulse0
  # comes from dpkg-shlibdeps.
  libpulse-dev
  # Qt Linguist's lupdate and lrelease, and their CMake functions
  # (Qt6LinguistTools); Qt's own translations of its standard dialogs.
  qt6-l10n-tools qt6-tools-dev qt6-translations-l10n
  # Qt's camera backend on Linux; without plugins-base no frame ever arrives.
  gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-tools
  # ximagesink, for the plain preview that tools/measure_load.sh compares with.
  gstreamer1.0-x
  libgstreamer1.0-dev libgstreamer-plugins-base1.0-dev
  libbenchmark-dev libyuv-dev libhwy-dev
  # GoogleTest for the core's and the drawing's tests; googletest holds its
  # sources, to build it for WebAssembly.
  libgtest-dev googletest
  # The core compiled to WebAssembly (its tests run under node); Debian's
  # emscripten brings its own clang, binaryen and node.
  emscripten
  # The browser edition's tests: two real browsers driven headless, and
  # python3 for the site's build script and its small server.
  chromium firefox-esr python3
  # WebKit, Safari's engine, for the browser tests: WebKitWebDriver and the
  # WebKitGTK MiniBrowser it drives (under xvfb, with pulseaudio for its
  # sound; both below).
  webkit2gtk-driver
  # The frame-conversion fuzzer: clang with its libFuzzer runtime.
  clang libclang-rt-dev
  # Headless window tests and screenshots; a window manager and xprop for the
  # full-screen test (a bare X server grants no full screen).
  xvfb xauth xdotool imagemagick openbox x11-utils
  # The sound test: a private sound server, its recorder, and sox to measure.
  pulseaudio pulseaudio-utils sox
  # The game as a Wayland client: Qt's Wayland platform and weston, whose X11
  # backend runs inside Xvfb.
  qt6-wayland weston
  # Checks of the installed tree: the menu entry, the metainfo, the manual page.
  desktop-file-utils appstream groff-base
  # The Debian package: cpack's dependency list comes from dpkg-shlibdeps,
  # which needs file to find the binaries.
  dpkg-dev file
  # The package's checks: lintian, and hardening-check (devscripts) on its
  # program.
  lintian devscripts
  # The layout check of every C++ file (.clang-format is written for 14).
  clang-format
  # A real session bus for the test of the start's question to it, beside
  # the silent ones the tests make themselves.
  dbus-daemon
)

ensure_packages() {
  local missing=()
  local package
  for package in "${FROSTPANE_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
      missing+=("$package")
    fi
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing missing packages: ${missing[*]}"
  local sudo=()
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then
      sudo=(sudo)
    else
      echo "Missing packages and no sudo: please install ${missing[*]}" >&2
      return 1
    fi
  fi
  "${sudo[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# node and npm for the browser tests (Playwright needs node 20 or newer). A
# node that is there already, from Debian or elsewhere, is kept.
ensure_node() {
  if ! command -v npm >/dev/null; then
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends nodejs npm
  fi
  local major
  major=$(node -p 'process.versions.node.split(".")[0]')
  if [ "$major" -lt 20 ]; then
    echo "node $major is too old for the browser tests (Playwright needs 20 or newer)" >&2
    return 1
  fi
}

# The browser tests' npm packages, exactly as web/package-lock.json lists
# them; the browsers are Debian's, so nothing else is downloaded.
ensure_web_packages() {
  ensure_node
  if [ ! -d web/node_modules ] || [ web/package-lock.json -nt web/node_modules/.package-lock.json ]; then
    (cd web && PLAYWRIGHT_SKIP_BROWSER_DOWNLOAD=1 PUPPETEER_SKIP_DOWNLOAD=1 npm ci --no-audit --no-fund)
  fi
}
