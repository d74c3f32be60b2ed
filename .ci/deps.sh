# Shared by the scripts (start.sh, test.sh, package.sh, cmake/, tools/): packages, a private X
# display and a Wine prefix.
# Sourced, not run.

tackpad_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# What building and running Tackpad needs (start.sh): the cross compiler and Wine of the flavour
# this machine runs, and Xvfb where there is no display. Prints the package names. The 32-bit
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
# (the 32-bit product is built everywhere), the packagers, a reader of the winget manifest's YAML,
# a private display and the mouse and keys the tests drive.
test_packages="g++ clang libclang-rt-dev googletest libbenchmark-dev libinih-dev libsimpleini-dev libglib2.0-dev
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 nsis zip unzip xvfb xdotool python3-yaml"

# Installs program_packages. Where 32-bit code runs but Wine's 32-bit half cannot be installed (a
# mirror half-way through a sync, i386 libraries missing), the 64-bit flavour is taken, as on a
# kernel that runs none, and wine32_missing says why; a flavour the person named insists.
wine32_missing=""
ensure_program_packages() {
  local all names=() wine32=() p
  all=$(program_packages) || return 1
  for p in $all; do
    if [[ $p == *:i386 ]]; then wine32+=("$p"); else names+=("$p"); fi
  done
  ensure_packages "${names[@]}" || return 1
  [ ${#wine32[@]} -gt 0 ] || return 0
  if [ -n "${TACKPAD_WINE_ARCH:-}" ]; then
    ensure_packages "${wine32[@]}"
    return
  fi
  install_missing "${wine32[@]}" && return 0
  wine32_missing=$(apt_error "$apt_said")
  echo "Wine's 32-bit half cannot be installed here ($wine32_missing): using the 64-bit build of the same sources"
  export TACKPAD_DETECTED_WINE_ARCH=x86_64
  ensure_packages $(program_packages)
}

# Installs those of the named packages that are missing (as root), or says what apt said and
# what to do.
ensure_packages() {
  install_missing "$@" && return 0
  printf '%s\n' "$apt_said" >&2
  [ "$(id -u)" -ne 0 ] && return 1
  echo "These packages cannot be installed from this machine's package sources: try again once" \
    "'apt-get update' reads them whole, or install them yourself:$(missing_packages "$@")" >&2
  return 1
}

# Installs those of the named packages that are missing; on failure apt's words are in apt_said.
# An i386 architecture added for them is taken away again when they cannot be installed.
apt_said=""
install_missing() {
  local missing added=""
  apt_said=""
  missing=$(missing_packages "$@")
  [ -n "$missing" ] || return 0
  echo "Installing:$missing"
  if [ "$(id -u)" -ne 0 ]; then
    apt_said="Missing packages need root: run this as root (or install them:$missing)"
    return 1
  fi
  if [[ "$missing " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    added=1
    package_lists_read=""
  fi
  [ -n "$package_lists_read" ] || read_package_lists
  apt_said=$(DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing 2>&1) && return 0
  [ -z "$added" ] || dpkg --remove-architecture i386 2>/dev/null || true
  return 1
}

# The named packages dpkg does not have installed, each once, each after a space.
missing_packages() {
  local missing="" p
  for p in "$@"; do
    [[ "$missing " == *" $p "* ]] || dpkg -s "$p" >/dev/null 2>&1 || missing+=" $p"
  done
  echo "$missing"
}

# apt-get update, once a run. Some lists failing (a mirror half-way through a sync) is not the end:
# what can be installed still is, from the lists apt has; the one line says which failed.
package_lists_read=""
read_package_lists() {
  local said failed
  package_lists_read=1
  said=$(DEBIAN_FRONTEND=noninteractive apt-get update -qq 2>&1) && return 0
  failed=$(printf '%s\n' "$said" | sed -nE 's/^[EW]: Failed to fetch ([^ ]+).*/\1/p' | paste -sd ' ')
  echo "Some package lists could not be read (${failed:-$(apt_error "$said")}): going on with those apt has"
}

# apt's first error, without its "E: " and full stop; else its first line.
apt_error() {
  local line
  line=$(printf '%s\n' "$1" | sed -n 's/^E: //p' | head -1)
  line=${line:-${1%%$'\n'*}}
  line=${line%.}
  echo "${line:-apt gave no reason}"
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

# Which Windows build runs under Wine here: the one the person names in TACKPAD_WINE_ARCH, else
# the one found: i686 (the product), or x86_64 where the kernel was booted with 32-bit emulation
# off or Wine's 32-bit half cannot be installed. What was found is asked once, below, and handed
# on in TACKPAD_DETECTED_WINE_ARCH to every script and program started from here.
windows_arch() {
  local arch=${TACKPAD_WINE_ARCH:-$TACKPAD_DETECTED_WINE_ARCH}
  case "$arch" in
    i686 | x86_64) echo "$arch" ;;
    *) echo "TACKPAD_WINE_ARCH is i686 or x86_64, not $arch" >&2; return 1 ;;
  esac
}

# Why the 64-bit build runs where it does, for the scripts' messages.
why_64bit() {
  if [ -n "${TACKPAD_WINE_ARCH:-}" ]; then echo "TACKPAD_WINE_ARCH=$TACKPAD_WINE_ARCH"
  elif [ -n "$wine32_missing" ]; then echo "Wine's 32-bit half cannot be installed here: $wine32_missing"
  else echo "this kernel runs no 32-bit code"; fi
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

if [ -z "${TACKPAD_DETECTED_WINE_ARCH:-}" ]; then
  if runs_32bit_code; then export TACKPAD_DETECTED_WINE_ARCH=i686; else export TACKPAD_DETECTED_WINE_ARCH=x86_64; fi
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
