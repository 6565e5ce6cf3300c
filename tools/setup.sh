#!/usr/bin/env bash
# setup.sh - installs what the builds, tests and demo need on Debian 12 (run
# as root; does nothing when everything is there), finds out whether this
# machine runs 32-bit x86 code, and prepares the project's own Wine prefix
# where Wine can run.  Sourced by demo.sh, test.sh and fuzz.sh.
#
# Not every machine runs 32-bit x86 programs: a kernel without IA-32
# emulation (some hypervisors, ia32_emulation=0, WSL 1, every ARM machine)
# answers "Exec format error".  There the plain -m32 programs run through
# qemu-user (registered with binfmt_misc), which is enough for the native
# tests but far too slow for AddressSanitizer, and 32-bit Wine does not start
# at all.  What this finds is left in two variables for the scripts:
#   NEROLIT_X86_32  native | emulated | none
#   NEROLIT_WINE    yes | no   (NEROLIT_WINE_WHY says why not)
# NEROLIT_X86_32=emulated or none in the environment forces that answer, to
# try the other kind's path on a machine that runs 32-bit code.
set -euo pipefail

source "$(dirname "${BASH_SOURCE[0]}")/apt.sh"

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  dpkg --add-architecture i386
  apt_updated=0  # the i386 lists are to be read
fi
# python3-ezdxf checks the DXF reader and writer; fonts-ipafont-gothic
# draws the Japanese texts of the pictures; emscripten and nodejs build and
# run the WebAssembly host, engine and sanitizer tier; libunicorn-dev is the
# CPU emulator that runs the real DLL on any machine.
if ! apt_install "the build tools" cmake ninja-build python3 g++ gcc-multilib g++-multilib googletest \
     clang-14 libclang-rt-14-dev g++-mingw-w64-i686-posix binutils-mingw-w64-i686 \
     python3-ezdxf fonts-ipafont-gothic emscripten nodejs libunicorn-dev pkg-config; then
  tail -n 15 /tmp/nerolit-apt-install.log
  echo "setup: the build tools could not be installed (above); nothing can be built" >&2
  exit 1
fi

# Debian's emscripten runs its JavaScript tools with Node and finds their
# packages (acorn) only here.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"

# --- does this machine run 32-bit x86 code? --------------------------------
# The probe answers 42 when the kernel runs it (uname says x86_64 to 32-bit
# code too) and 43 when qemu-user does (it says i686).
probe_dir=$(mktemp -d)
probe_x86_32() {
  [ -x "$probe_dir/probe" ] || {
    printf '%s\n' '#include <string.h>' '#include <sys/utsname.h>' \
      'int main(void) { struct utsname u; uname(&u); return strcmp(u.machine, "x86_64") == 0 ? 42 : 43; }' \
      >"$probe_dir/probe.c"
    gcc -m32 -o "$probe_dir/probe" "$probe_dir/probe.c"
  }
  local status=0
  timeout 20 "$probe_dir/probe" 2>/dev/null || status=$?
  echo "$status"
}
runs_x86_32() { case "$(probe_x86_32)" in 42 | 43) return 0 ;; *) return 1 ;; esac; }
# The kernel's handlers for i386 ELF files: any registered one is left alone.
i386_handler() {
  local f
  for f in /proc/sys/fs/binfmt_misc/*; do
    [ -f "$f" ] && grep -q '^magic 7f454c4601010100000000000000000002000300' "$f" 2>/dev/null &&
      grep -q '^enabled' "$f" && { basename "$f"; return 0; }
  done
  return 1
}
if [ -n "${NEROLIT_X86_32:-}" ]; then
  echo "setup: 32-bit x86 code: $NEROLIT_X86_32 (set in the environment)"
elif [ "$(probe_x86_32)" = 42 ]; then
  NEROLIT_X86_32=native
elif [ "$(probe_x86_32)" = 43 ]; then
  NEROLIT_X86_32=emulated
  echo "setup: this machine cannot execute 32-bit x86 code; the -m32 programs run through the registered handler $(i386_handler || echo '(qemu-user)') (no Wine, no 32-bit AddressSanitizer)"
else
  # qemu-user runs the plain -m32 programs: the kernel hands them to it.
  NEROLIT_X86_32=none
  if apt_install "the 32-bit x86 emulator" qemu-user-static; then
    [ -f /proc/sys/fs/binfmt_misc/register ] ||
      mount -t binfmt_misc binfmt_misc /proc/sys/fs/binfmt_misc 2>/dev/null || true
    if handler=$(i386_handler); then
      how="through the registered handler $handler"
    elif [ -w /proc/sys/fs/binfmt_misc/register ] &&
         printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
           >/proc/sys/fs/binfmt_misc/register 2>/dev/null; then
      how="through qemu-i386-static, now registered with binfmt_misc"
    else
      how=""
    fi
    if [ -n "$how" ] && runs_x86_32; then
      NEROLIT_X86_32=emulated
      echo "setup: this machine cannot execute 32-bit x86 code; the -m32 programs run $how (no Wine, no 32-bit AddressSanitizer)"
    fi
  fi
  if [ "$NEROLIT_X86_32" = none ]; then
    echo "setup: this machine cannot execute 32-bit x86 code, and qemu-user could not be set up for it" \
         "(binfmt_misc needs root and a writable /proc/sys/fs/binfmt_misc: run as root outside a restricted" \
         "container, or install qemu-user-static and register qemu-i386 by hand); the native 32-bit tests are not run"
  fi
fi
rm -rf "$probe_dir"
export NEROLIT_X86_32

# --- Wine: only where 32-bit x86 code runs natively ------------------------
NEROLIT_WINE=no
NEROLIT_WINE_WHY=""
if [ "$NEROLIT_X86_32" != native ]; then
  NEROLIT_WINE_WHY="this machine cannot execute 32-bit x86 code"
elif ! apt_install "Wine" wine wine32:i386; then
  NEROLIT_WINE_WHY="Wine could not be installed: $(grep -m1 -E '^E:' /tmp/nerolit-apt-install.log || echo 'see /tmp/nerolit-apt-install.log')"
else
  # Quiet, no Mono or Gecko prompts, a prefix of our own made once; every
  # step has a time limit, since a Wine that cannot start may wait forever.
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export WINEPREFIX="${NEROLIT_WINEPREFIX:-$PWD/build/wine}"
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    echo "setup: creating the Wine prefix $WINEPREFIX (at most 3 minutes)"
    timeout 180 wineboot --init >/tmp/nerolit-wineboot.log 2>&1 || true
    timeout 60 wineserver -w || true
  fi
  if [ -f "$WINEPREFIX/system.reg" ]; then
    NEROLIT_WINE=yes
  else
    NEROLIT_WINE_WHY="wineboot could not create the prefix $WINEPREFIX in 3 minutes (/tmp/nerolit-wineboot.log)"
    timeout 10 wineserver -k 2>/dev/null || true
  fi
fi
[ "$NEROLIT_WINE" = yes ] || echo "setup: Wine: not available - $NEROLIT_WINE_WHY"
export NEROLIT_WINE NEROLIT_WINE_WHY
