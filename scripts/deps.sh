#!/usr/bin/env bash
# Installs the Debian packages the build needs, when missing (dpkg-dev,
# file and binutils make and check the Debian packages and the installed
# library: scripts/install_check; cpp-httplib and nlohmann-json build the
# device service, curl and Python's requests and jsonschema test it;
# Chromium runs the technician's console in the browser tests;
# clang-format-14 checks the sources' layout: scripts/format_check;
# systemd's systemd-analyze verifies the service's unit: scripts/install_check).
# Sourced by scripts/demo, scripts/test, scripts/fuzz and
# scripts/install_check, which set their own shell options: sourcing it in
# an interactive shell (for qdm_use_ccache) leaves that shell's alone.

QDM_PACKAGES=(g++ cmake make pkg-config googletest libgtest-dev libgmock-dev
              libbenchmark-dev libexpat1-dev libcli11-dev
              dpkg-dev file binutils ccache clang-format-14
              libcpp-httplib-dev nlohmann-json3-dev curl python3 python3-requests python3-jsonschema
              chromium systemd)

# Every build goes through the compiler cache: a second build directory (a
# Release build beside the sanitizer one, another work tree) compiles only
# what changed. CMake takes these as the launchers of a new build directory.
qdm_use_ccache() {
  if command -v ccache >/dev/null 2>&1; then
    export CMAKE_C_COMPILER_LAUNCHER=${CMAKE_C_COMPILER_LAUNCHER:-ccache}
    export CMAKE_CXX_COMPILER_LAUNCHER=${CMAKE_CXX_COMPILER_LAUNCHER:-ccache}
  fi
}

qdm_missing_packages() {
  local missing=()
  for p in "${QDM_PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
      missing+=("$p")
    fi
  done
  echo "${missing[@]:-}"
}

# The fuzz targets' own needs (scripts/fuzz): clang and its libFuzzer and
# sanitizer run-time.
QDM_FUZZ_PACKAGES=(clang libclang-rt-14-dev)

qdm_install_fuzz_deps() {
  QDM_PACKAGES+=("${QDM_FUZZ_PACKAGES[@]}")
  qdm_install_deps
}

qdm_install_deps() {
  local missing
  missing=$(qdm_missing_packages)
  if [ -z "$missing" ]; then
    qdm_use_ccache
    return 0
  fi
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing Debian packages: $missing" >&2
    echo "Install them as root: apt-get install -y $missing" >&2
    exit 1
  fi
  echo "Installing Debian packages: $missing" >&2
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq >&2 || true
  # shellcheck disable=SC2086
  apt-get install -y -qq $missing >&2
  qdm_use_ccache
}
