# Shared set-up of scripts/test and scripts/bench: packages, build, and a Wine of the project's own.
# Sourced, not run.

BUILD_DIR="${BUILD_DIR:-$ROOT/build}"
SORAHANE_PACKAGES_I386="wine32:i386 libgl1-mesa-dri:i386 libgl1:i386 libglx-mesa0:i386"
SORAHANE_PACKAGES="g++-mingw-w64-i686 cmake ninja-build googletest wine xvfb locales \
fonts-ipafont-gothic fonts-ipafont-mincho imagemagick libstb-dev vorbis-tools sox xdotool"

as_root() {
  if [ "$(id -u)" = 0 ]; then "$@"; else sudo "$@"; fi
}

sorahane_setup_packages() {
  local missing=""
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    as_root dpkg --add-architecture i386
    missing="update"
  fi
  local p
  for p in $SORAHANE_PACKAGES $SORAHANE_PACKAGES_I386; do
    dpkg -s "$p" >/dev/null 2>&1 || missing="$missing $p"
  done
  if [ -n "$missing" ]; then
    echo "== installing:$missing"
    as_root apt-get update -qq
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
      $SORAHANE_PACKAGES $SORAHANE_PACKAGES_I386 >/dev/null
  fi
  if ! locale -a 2>/dev/null | grep -qi '^ja_JP.utf8$'; then
    echo "== generating ja_JP.UTF-8"
    as_root sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
  fi
}

# Wine's 32-bit half is a 32-bit Linux program. Some virtual machines run 64-bit user code only
# (executing a 32-bit ELF fails with "Exec format error"): there, 32-bit programs go through
# qemu's user-mode i386 emulation, registered with the kernel's binfmt_misc. Slower, same results.
sorahane_enable_i386() {
  if ! /usr/lib/wine/wineserver32 --version >/dev/null 2>&1; then
    echo "== this machine runs no 32-bit Linux programs: running them through qemu-i386"
    if ! dpkg -s qemu-user-static >/dev/null 2>&1; then
      DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends \
        qemu-user-static >/dev/null || true
    fi
    local misc=/proc/sys/fs/binfmt_misc
    [ -e "$misc/register" ] || as_root mount -t binfmt_misc binfmt_misc "$misc" || true
    local head='\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00'
    local mask='\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff'
    local kind
    for kind in 02 03; do   # executables and position-independent executables
      [ -e "$misc/sorahane-i386-$kind" ] && continue
      echo ":sorahane-i386-$kind:M::$head\x$kind\x00\x03\x00:$mask:/usr/bin/qemu-i386-static:F" |
        as_root tee "$misc/register" >/dev/null || true
    done
    /usr/lib/wine/wineserver32 --version >/dev/null 2>&1 ||
      echo "== warning: 32-bit programs still do not run here; the tests will fail" >&2
  fi
  # Emulated, the test programs run several times slower: give them time, and spare Wine the
  # address-space probing that qemu makes slow (see tools/qemu_wine/mmap_noreplace.c).
  if grep -qs 'qemu-i386' /proc/sys/fs/binfmt_misc/*; then
    export SORAHANE_TEST_TIMEOUT="${SORAHANE_TEST_TIMEOUT:-1200}"
    # Tests that run several threads at once read this: see tests/support/emulation.h.
    export SORAHANE_EMULATED_I386=1
    sorahane_qemu_preload
  fi
}

# Builds the emulation helper for both word sizes and preloads it: a 32-bit process finds the
# 32-bit build on LD_LIBRARY_PATH, a 64-bit one skips it (wrong class) and finds the empty one.
sorahane_qemu_preload() {
  local src="$ROOT/tools/qemu_wine/mmap_noreplace.c"
  local dir="$BUILD_DIR/qemu-preload"
  local lib=libsorahane_mmap.so
  if [ ! -f "$dir/i386/$lib" ] || [ "$src" -nt "$dir/i386/$lib" ]; then
    mkdir -p "$dir/i386" "$dir/x86_64"
    gcc -m32 -O2 -fPIC -shared -nostdlib "$src" -o "$dir/i386/$lib" -Wl,--no-as-needed \
      /usr/lib/i386-linux-gnu/libc.so.6 /usr/lib/i386-linux-gnu/libgcc_s.so.1 &&
      gcc -O2 -fPIC -shared -nostdlib "$src" -o "$dir/x86_64/$lib" ||
      { echo "== warning: the emulation helper did not build; Wine starts slowly" >&2; return 0; }
  fi
  export LD_LIBRARY_PATH="$dir/i386:$dir/x86_64${LD_LIBRARY_PATH:+:$LD_LIBRARY_PATH}"
  export LD_PRELOAD="$lib${LD_PRELOAD:+ $LD_PRELOAD}"
}

sorahane_configure_build() {
  local gen=()
  if command -v ninja >/dev/null; then gen=(-G Ninja); fi
  if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD_DIR" "${gen[@]}" \
      -DCMAKE_TOOLCHAIN_FILE="$ROOT/cmake/mingw-i686.cmake" -DCMAKE_BUILD_TYPE=RelWithDebInfo
  fi
  cmake --build "$BUILD_DIR" -j "${BUILD_JOBS:-$(nproc)}"
}

# A Wine prefix, display, locale and sound set-up of our own; stopped again when the script exits.
sorahane_start_wine() {
  export WINEPREFIX="$BUILD_DIR/wineprefix"
  export WINEARCH=win32
  export WINEDEBUG=-all
  export WINEDLLOVERRIDES="mscoree,mshtml="
  export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
  export TZ=UTC
  export ALSA_CONFIG_PATH="$ROOT/scripts/asound.conf"
  if [ -z "${DISPLAY:-}" ]; then
    local d
    for d in $(seq 90 120); do
      [ -e "/tmp/.X11-unix/X$d" ] || [ -e "/tmp/.X$d-lock" ] || break
    done
    Xvfb ":$d" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    SORAHANE_XVFB_PID=$!
    export DISPLAY=":$d"
    local i
    for i in $(seq 50); do
      [ -e "/tmp/.X11-unix/X$d" ] && break
      sleep 0.1
    done
  fi
  trap sorahane_stop_wine EXIT
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "== creating the Wine prefix"
    wineboot -i >/dev/null 2>&1 || true
    # The desktop and device processes may stay up: end the session, then the server saves the
    # new registry as it stops.
    wineboot -e >/dev/null 2>&1 || true
    timeout 300 wineserver -w || wineserver -k || true
  fi
  # Scripts name the Japanese system faces; Wine alone would give all of them one fixed-pitch
  # face. Applied until the prefix's saved registry holds the last of the replacements.
  if ! grep -q '"IPAPMincho"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    { printf '\xff\xfe'; iconv -f UTF-8 -t UTF-16LE "$ROOT/scripts/font_replacements.reg"; } \
      >"$WINEPREFIX/drive_c/font_replacements.reg"
    wine regedit /S 'C:\font_replacements.reg' >/dev/null 2>&1 || true
  fi
  sorahane_virtual_desktop
  wineserver -p >/dev/null 2>&1 || true
}

# The full-screen test program and the full-screen copy of the game run in a Wine virtual
# desktop of 1280x1024 (a desktop of the X screen's own size would offer one mode only), where
# display modes can change. Added to new and existing prefixes alike.
SORAHANE_DESKTOP_PROGRAMS="graphics_fullscreen_tests.exe sorahane_fullscreen.exe"
sorahane_virtual_desktop() {
  local program
  if ! grep -q '"SorahaneFullScreen"="1280x1024"' "$WINEPREFIX/user.reg" 2>/dev/null; then
    wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v SorahaneFullScreen /t REG_SZ \
      /d 1280x1024 /f >/dev/null 2>&1 || true
  fi
  for program in $SORAHANE_DESKTOP_PROGRAMS; do
    grep -qF "[Software\\\\Wine\\\\AppDefaults\\\\$program\\\\Explorer]" "$WINEPREFIX/user.reg" 2>/dev/null &&
      continue
    wine reg add "HKCU\\Software\\Wine\\AppDefaults\\$program\\Explorer" /v Desktop /t REG_SZ \
      /d SorahaneFullScreen /f >/dev/null 2>&1 || true
  done
}

sorahane_stop_wine() {
  wineserver -k >/dev/null 2>&1 || true
  if [ -n "${SORAHANE_XVFB_PID:-}" ]; then
    kill "$SORAHANE_XVFB_PID" 2>/dev/null || true
    wait "$SORAHANE_XVFB_PID" 2>/dev/null || true
  fi
}
