#!/usr/bin/env bash
# Makes the Debian package of a build tree with CPack and checks it: its
# control fields, its file list, the unpacked files, and that the packaged
# program starts and keeps running. As root with HALVANE_TEST_DPKG_INSTALL=1
# it also installs the package with apt-get, starts /usr/bin/halvane and
# removes the package again.
# usage: check-debian-package.sh BUILD_DIR CPACK PROGRAM...
set -euo pipefail

if [ "$#" -lt 3 ]; then
  echo "usage: check-debian-package.sh BUILD_DIR CPACK PROGRAM..." >&2
  exit 2
fi
build="$1"
cpack_bin="$2"
shift 2
programs=("$@")

work="$(mktemp -d)"
pid=""
installed_here=0
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2>/dev/null; then
    kill -KILL "$pid" 2>/dev/null || true
    wait "$pid" 2>/dev/null || true
  fi
  if [ "$installed_here" -eq 1 ]; then
    DEBIAN_FRONTEND=noninteractive apt-get remove -y -q --purge halvane >/dev/null 2>&1 || true
  fi
  rm -rf -- "$work"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM

# shellcheck source=check-report.sh
source "$(dirname -- "${BASH_SOURCE[0]}")/check-report.sh"

# --- the package -----------------------------------------------------------
if ! "$cpack_bin" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1; then
  cat -- "$work/cpack.log" >&2
  fatal "cpack -G DEB failed (the package test needs a complete build of the tree)"
fi
shopt -s nullglob
debs=("$work"/out/halvane_*.deb)
shopt -u nullglob
[ "${#debs[@]}" -eq 1 ] || fatal "expected one halvane_*.deb, found ${#debs[@]}"
deb="${debs[0]}"
echo "package: $(basename -- "$deb")"

# --- control fields ----------------------------------------------------------
dpkg-deb -I "$deb" >"$work/info" || fatal "dpkg-deb -I cannot read the package"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = halvane ] || fail "Package is '$(field Package)'"
case "$(field Version)" in
  2.20 | 2.20-*) ;;
  *) fail "Version is '$(field Version)', not 2.20" ;;
esac
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] || fail "Architecture is '$(field Architecture)'"
[[ "$(field Maintainer)" == *@* ]] || fail "Maintainer has no address: '$(field Maintainer)'"
[ -n "$(field Description)" ] || fail "no Description"
[ -n "$(field Section)" ] || fail "no Section"

depends="$(field Depends)"
echo "Depends: $depends"
# What the program loads: the C++ runtime and Qt's libraries (found by
# dpkg-shlibdeps), and the plugins Qt opens at run time (named by us).
depends_lines="${depends//[,|]/$'\n'}"
depends_names="$(sed 's/^ *//; s/[ (].*//' <<<"$depends_lines")"
for package in libc6 libstdc++6 libqt6core6 libqt6gui6 libqt6widgets6 qt6-qpa-plugins qt6-image-formats-plugins; do
  grep -qxF -- "$package" <<<"$depends_names" || fail "Depends lacks $package"
done
if grep -Eq -- '-dev$|-dbg$|^libasan|^libubsan|^libgtest|^libbenchmark' <<<"$depends_names"; then
  fail "Depends names a build-time package: $depends"
fi

# --- file list ---------------------------------------------------------------
dpkg-deb -c "$deb" | awk '{ print $6 }' | sed 's|^\./|/|' >"$work/files" || fatal "dpkg-deb -c failed"
has() { grep -qxF -- "$1" "$work/files"; }
for program in "${programs[@]}"; do
  has "/usr/bin/$program" || fail "the package lacks /usr/bin/$program"
done
for path in /usr/share/applications/halvane.desktop \
  /usr/share/icons/hicolor/256x256/apps/halvane.png \
  /usr/share/icons/hicolor/48x48/apps/halvane.png \
  /usr/share/icons/hicolor/16x16/apps/halvane.png \
  /usr/share/doc/halvane/README.md \
  /usr/share/doc/halvane/copyright; do
  has "$path" || fail "the package lacks $path"
done
# Development aids and build leftovers stay out.
for path in /usr/bin/halvane-sim /usr/bin/halvane-demo; do
  if has "$path"; then fail "the package carries $path"; fi
done
if grep -Evq '^/usr(/|$)' "$work/files"; then
  fail "files outside /usr: $(grep -Ev '^/usr(/|$)' "$work/files" | head -3 | tr '\n' ' ')"
fi
if grep -Eq '/include/|\.a$|/dbsettings\.dat$|/CMakeFiles/' "$work/files"; then
  fail "build files in the package: $(grep -E '/include/|\.a$|/dbsettings\.dat$|/CMakeFiles/' "$work/files" | head -3 | tr '\n' ' ')"
fi

# --- unpacked files ----------------------------------------------------------
root="$work/root"
dpkg-deb -x "$deb" "$root" || fatal "dpkg-deb -x failed"
desktop="$root/usr/share/applications/halvane.desktop"
if [ -f "$desktop" ]; then
  grep -qx 'Type=Application' "$desktop" || fail "the desktop entry is no application"
  grep -qx 'Exec=halvane' "$desktop" || fail "the desktop entry does not start halvane"
  grep -qx 'Icon=halvane' "$desktop" || fail "the desktop entry does not name the icon halvane"
  grep -Eqx 'Categories=(.*;)?Network;(.*;)?Utility;.*' "$desktop" || fail "the desktop entry lacks Network;Utility;"
  if command -v desktop-file-validate >/dev/null 2>&1; then
    desktop-file-validate "$desktop" || fail "desktop-file-validate rejects the desktop entry"
  fi
fi
for size in 16 48 256; do
  icon="$root/usr/share/icons/hicolor/${size}x${size}/apps/halvane.png"
  if [ -f "$icon" ]; then
    file -b "$icon" | grep -q "^PNG image data, $size x $size," || fail "$icon is not a ${size}x${size} PNG: $(file -b "$icon")"
  fi
done
for program in "${programs[@]}"; do
  binary="$root/usr/bin/$program"
  [ -f "$binary" ] || continue
  [ -x "$binary" ] || fail "$program is not executable"
  file -b "$binary" | grep -q 'ELF.*, stripped' || fail "$program is not a stripped ELF executable"
  if ldd "$binary" 2>&1 | grep -q 'not found'; then
    fail "$program needs libraries that are not found: $(ldd "$binary" | grep 'not found' | tr '\n' ' ')"
  fi
done

# --- the program starts --------------------------------------------------------
# The packaged program carries the production service addresses: it runs
# without a network of its own where the system allows one.
isolate=()
if unshare -n true 2>/dev/null; then
  isolate=(unshare -n)
elif unshare -rn true 2>/dev/null; then
  isolate=(unshare -rn)
else
  echo "note: no network namespace available; the program runs with the host's network"
fi

# Runs the program for three seconds: it must still run then, and must end
# by the signal that ends it, not by a crash.
check_starts() {
  local program="$1" log="$work/run-$2.log" status=0
  QT_QPA_PLATFORM=offscreen "${isolate[@]}" "$program" >"$log" 2>&1 &
  pid=$!
  sleep 3
  if ! kill -0 "$pid" 2>/dev/null; then
    wait "$pid" || status=$?
    pid=""
    cat -- "$log" >&2
    fail "$program ended within 3 s (status $status)"
    return
  fi
  kill -TERM "$pid"
  wait "$pid" || status=$?
  pid=""
  if [ "$status" -ne 0 ] && [ "$status" -ne 143 ]; then
    cat -- "$log" >&2
    fail "$program ended with status $status after SIGTERM"
  fi
  if grep -Eq 'AddressSanitizer|runtime error:|Segmentation fault|terminate called' "$log"; then
    cat -- "$log" >&2
    fail "$program reported a fault"
  fi
  echo "started and ran 3 s: $program"
}

if [ -x "$root/usr/bin/halvane" ]; then
  check_starts "$root/usr/bin/halvane" unpacked
fi

# --- a real installation -------------------------------------------------------
if [ "${HALVANE_TEST_DPKG_INSTALL-}" = 1 ]; then
  if [ "$(id -u)" -ne 0 ]; then
    echo "note: HALVANE_TEST_DPKG_INSTALL=1 needs root; installation not checked"
  elif dpkg-query -W -f='${Status}' halvane 2>/dev/null | grep -q 'install ok installed'; then
    echo "note: halvane is installed already; installation not checked, the installed one left alone"
  else
    installed_here=1
    if DEBIAN_FRONTEND=noninteractive apt-get install -y -q "$deb" >"$work/apt.log" 2>&1; then
      for program in "${programs[@]}"; do
        [ -x "/usr/bin/$program" ] || fail "installed, but /usr/bin/$program is missing"
      done
      check_starts /usr/bin/halvane installed
      DEBIAN_FRONTEND=noninteractive apt-get remove -y -q --purge halvane >>"$work/apt.log" 2>&1 ||
        fail "apt-get remove halvane failed"
      installed_here=0
      [ ! -e /usr/bin/halvane ] || fail "/usr/bin/halvane is left after the removal"
    else
      cat -- "$work/apt.log" >&2
      fail "apt-get install of the package failed"
    fi
  fi
fi

finish_checks "package checks passed"
