# Shared by the scripts (start.sh, test.sh, package.sh, cmake/, tools/): packages, a private X
# display and a Wine prefix.
# Sourced, not run.

tackpad_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running Tackpad needs (start.sh): the cross compiler and Wine of the flavour
# this kernel runs, and Xvfb where there is no display. Prints the package names. The 32-bit
# flavour keeps Wine's 64-bit half beside it, the set every run of the 32-bit product was made on.
program_packages() {
  local arch
  arch=$(windows_arch) || return 1
  echo cmake ninja-build
  if [ "$arch" = i686 ]; then echo g++-mingw-w64-i686 wine wine32:i386 wine64; else echo g++-mingw-w64-x86-64 wine wine64; fi
  [ -n "${DISPLAY:-}" ] || echo xvfb
}

# What the tests add: the native and sanitizer tool chains (clang's sanitizer and fuzzer runtimes
# are only recommended by it), GoogleTest's sources, the benchmarks' peers, both cross compilers
# (the 32-bit product is built everywhere), the packagers, a private display and the mouse and
# keys the tests drive.
test_packages="g++ clang libclang-rt-dev googletest libbenchmark-dev libinih-dev libsimpleini-dev libglib2.0-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 nsis zip unzip xvfb xdotool"

# Installs those of the named packages that are missing (as root).
ensure_packages() {
  local missing=() p
  for p in "$@"; do
    [[ " ${missing[*]} " == *" $p "* ]] || dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  if [ "$(id -u)" -ne 0 ]; then
    echo "Missing packages need root: run this as root (or install them: ${missing[*]})" >&2
    return 1
  fi
  if [[ " ${missing[*]}" == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  DEBIAN_FRONTEND=noninteractive apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Starts a private Xvfb and exports DISPLAY. The server takes the first free display itself and
# says which once it accepts clients, so two displays started at once never meet.
tackpad_xvfb_pid=""
start_display() {
  local said number=""
  said=$(mktemp -u)
  mkfifo "$said"
  Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp 3>"$said" >/dev/null 2>&1 &
  tackpad_xvfb_pid=$!
  read -r -t 30 number <"$said" || true
  rm -f "$said"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    stop_display
    return 1
  fi
  export DISPLAY=":$number"
}

stop_display() {
  [ -n "$tackpad_xvfb_pid" ] && kill "$tackpad_xvfb_pid" 2>/dev/null && wait "$tackpad_xvfb_pid" 2>/dev/null
  tackpad_xvfb_pid=""
}

# Which Windows build runs under Wine here: i686 (the product), or x86_64 where the kernel was
# booted with 32-bit emulation off and Wine can only run 64-bit programs. Asked once, below, and
# handed on in TACKPAD_WINE_ARCH to every script and program started from here;
# TACKPAD_WINE_ARCH=x86_64 picks the 64-bit flavour on a machine that could run both.
windows_arch() {
  case "$TACKPAD_WINE_ARCH" in
    i686 | x86_64) echo "$TACKPAD_WINE_ARCH" ;;
    *) echo "TACKPAD_WINE_ARCH is i686 or x86_64, not $TACKPAD_WINE_ARCH" >&2; return 1 ;;
  esac
}

# Asked before Wine is installed, by starting the smallest 32-bit x86 program (it exits with 0);
# where it cannot be started at all (a temporary folder mounted noexec), the 64-bit flavour,
# which runs everywhere.
runs_32bit_code() {
  local probe status
  probe=$(mktemp)
  {
    # An ELF header: 32-bit, little-endian, an executable for the 386, entry 0x8048054, one
    # program header right after it.
    printf '\x7fELF\x01\x01\x01\0\0\0\0\0\0\0\0\0\x02\0\x03\0\x01\0\0\0\x54\x80\x04\x08\x34\0\0\0'
    printf '\0\0\0\0\0\0\0\0\x34\0\x20\0\x01\0\0\0\0\0\0\0'
    # The file's 93 bytes loaded at 0x8048000, readable and executable.
    printf '\x01\0\0\0\0\0\0\0\0\x80\x04\x08\0\x80\x04\x08\x5d\0\0\0\x5d\0\0\0\x05\0\0\0\0\x10\0\0'
    # mov eax, 1; xor ebx, ebx; int 0x80: exit(0).
    printf '\xb8\x01\0\0\0\x31\xdb\xcd\x80'
  } >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  status=$?
  rm -f "$probe"
  return $status
}

if [ -z "${TACKPAD_WINE_ARCH:-}" ]; then
  if runs_32bit_code; then export TACKPAD_WINE_ARCH=i686; else export TACKPAD_WINE_ARCH=x86_64; fi
fi

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
