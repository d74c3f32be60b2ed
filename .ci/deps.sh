# Shared by start.sh, test.sh and .ci/run: packages, a private X display and a Wine prefix.
# Sourced, not run.

tackpad_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

tackpad_packages="cmake ninja-build g++ clang libgtest-dev googletest libbenchmark-dev g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine32:i386 wine64 xvfb xdotool imagemagick x11-utils libinih-dev libsimpleini-dev libglib2.0-dev nsis zip unzip"

ensure_packages() {
  local missing=() p
  for p in $tackpad_packages; do
    dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages need root: run this as root (or install them: ${missing[*]})" >&2
    return 1
  fi
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts Xvfb on the first free display number and exports DISPLAY.
tackpad_xvfb_pid=""
start_display() {
  local n=${1:-90}
  while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
  tackpad_xvfb_pid=$!
  export DISPLAY=":$n"
  local tries=0
  until xdpyinfo >/dev/null 2>&1; do
    tries=$((tries + 1))
    if [ $tries -gt 100 ] || ! kill -0 "$tackpad_xvfb_pid" 2>/dev/null; then
      echo "Xvfb did not start on $DISPLAY" >&2
      return 1
    fi
    sleep 0.1
  done
}

stop_display() {
  [ -n "$tackpad_xvfb_pid" ] && kill "$tackpad_xvfb_pid" 2>/dev/null && wait "$tackpad_xvfb_pid" 2>/dev/null
  tackpad_xvfb_pid=""
}

# Which Windows build runs under Wine here: i686 (the product), or x86_64 where the kernel
# was booted with 32-bit emulation off and Wine can only run 64-bit programs.
# TACKPAD_WINE_ARCH=x86_64 picks the 64-bit flavour on a machine that could run both.
windows_arch() {
  case "${TACKPAD_WINE_ARCH:-}" in
    i686 | x86_64) echo "$TACKPAD_WINE_ARCH" ;;
    "") if /usr/lib/wine/wine --version >/dev/null 2>&1; then echo i686; else echo x86_64; fi ;;
    *) echo "TACKPAD_WINE_ARCH is i686 or x86_64, not $TACKPAD_WINE_ARCH" >&2; return 1 ;;
  esac
}

tackpad_wineserver() {
  if [ "$(windows_arch)" = i686 ]; then echo /usr/lib/wine/wineserver; else echo /usr/lib/wine/wineserver64; fi
}

# A private Wine prefix, made once (about 10 s), without the Mono and Gecko prompts.
prepare_wine() {
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    "$tackpad_root/cmake/wine-run" wineboot -i >/dev/null 2>&1 || true
    "$(tackpad_wineserver)" -w || true
  fi
}

stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && "$(tackpad_wineserver)" -k >/dev/null 2>&1 || true
}
