# Sourced by the scripts: installs the Debian packages the build needs when
# any is missing. A new machine needs nothing else.
quelt_need_packages() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

QUELT_BUILD_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev googletest libbenchmark-dev
  qt6-base-dev libgl-dev libfontconfig-dev)
# fonts-noto-cjk: Korean in the Qt window and, linked into the Wine prefix
# (tests/windows/wine_prefix.sh), in the Win32 window.
QUELT_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix wine wine64 xvfb xauth
  clang libclang-rt-14-dev gettext chromium fonts-noto-cjk)
# scripts/package: the Debian package and its checks, the Windows zip and
# installer (Wine comes with the test packages; locales makes the Russian
# locale the installer's language check runs in).
QUELT_PACKAGE_PACKAGES=(dpkg-dev fakeroot file lintian desktop-file-utils appstream man-db librsvg2-bin
  nsis zip unzip locales)
# Pictures of the Windows window (scripts/screenshot-windows).
QUELT_SCREENSHOT_PACKAGES=(imagemagick x11-apps x11-utils xdotool fonts-wine)
