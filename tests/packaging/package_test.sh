#!/usr/bin/env bash
# The Debian package as a user gets it: its files, the program started from them (its version,
# and the login view drawn from the skin beside its real file), the desktop entry, then installed
# with dpkg, started from /usr/bin, its window's class and icon read back with xprop on a private
# Xvfb, and removed without a trace.
#
#   package_test.sh PACKAGE.deb BUILD_DIR
#
# Installing needs root (or sudo) and a machine without Quorvel installed; without them only the
# unpacked package is checked, and the run says so.
set -euo pipefail
package=$(realpath "$1")
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)

# shellcheck source=../e2e/lesson_session.sh
. "$root/tests/e2e/lesson_session.sh"
run=$(mktemp -d /tmp/quorvel-package.XXXXXX)
session_init "$2" "$run"
installed=false
cleanup() {
  session_stop
  if $installed; then $sudo dpkg -r quorvel >/dev/null 2>&1 || true; fi
  rm -rf "$run"
}
trap cleanup EXIT
fail() {
  echo "package test: $*" >&2
  exit 1
}
step() { echo "-- $*"; }

version=$(sed -n 's/^project(Quorvel VERSION \([0-9.]*\) .*/\1/p' "$root/CMakeLists.txt")
# The version text drops a last part of 0.
version_text=Quorvel\ ${version%.0}

# login_view PROGRAM: the program, headless, paints its login view and reports nothing on
# standard error (a skin it cannot read is reported there).
login_view() {
  local out
  out=$(QUORVEL_HEADLESS=1 QUORVEL_PROBE_FIRST_PAINT=LoginView QUORVEL_API_BASE=http://127.0.0.1:9 \
    timeout 20 "$1" 2>"$run/login.err") || fail "$1 ended without painting the login view: $(cat "$run/login.err")"
  [[ $out == "first-paint LoginView "* ]] || fail "$1 painted no login view: $out"
  [ ! -s "$run/login.err" ] || fail "$1 reported: $(cat "$run/login.err")"
}

step "the package's files"
dpkg-deb -x "$package" "$run/root"
diff -u "$here/installed_files.txt" <(cd "$run/root" && find . ! -type d | sed 's|^\.||' | sort) ||
  fail "the package's files differ from installed_files.txt"
fields=$(dpkg-deb -f "$package" Package Version Depends Recommends)
grep -qx "Package: quorvel" <<<"$fields" || fail "not named quorvel"
grep -qx "Version: $version" <<<"$fields" || fail "not version $version"
grep -qx "Recommends: janus" <<<"$fields" || fail "janus is not recommended"
for needed in libcurl4 libpulse0 gstreamer1.0-plugins-good gstreamer1.0-nice gstreamer1.0-pulseaudio \
  libx11-6 libcairo2 libjsoncpp25; do
  grep -q "^Depends:.*\b$needed\b" <<<"$fields" || fail "does not depend on $needed"
done
desktop-file-validate "$run/root/usr/share/applications/quorvel.desktop" ||
  fail "the desktop entry is not valid"

step "the unpacked program, through its link"
[ "$("$run/root/usr/bin/quorvel" --version)" = "$version_text" ] || fail "the unpacked program's version"
login_view "$run/root/usr/bin/quorvel"

step "the unpacked media server's configuration"
# A stand-in janus: only the configuration the script writes from the package is looked at.
mkdir -p "$run/stub"
printf '#!/bin/sh\nexit 0\n' >"$run/stub/janus"
chmod +x "$run/stub/janus"
PATH=$run/stub:$PATH "$run/root/usr/bin/quorvel-media-server" --port 18188 --dir "$run/media" >/dev/null ||
  fail "quorvel-media-server did not start its server"
grep -q 'port = 18188' "$run/media/janus.transport.http.jcfg" ||
  fail "quorvel-media-server wrote no configuration from the package"

sudo=""
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "package test: neither root nor sudo: not installed"; exit 0; }
  sudo=sudo
fi
if dpkg-query -W -f='${Status}' quorvel 2>/dev/null | grep -q 'ok installed'; then
  echo "package test: Quorvel is installed on this machine already: not installed again"
  exit 0
fi

step "installed with dpkg"
installed=true
$sudo dpkg -i "$package" >"$run/dpkg.log" 2>&1 || fail "dpkg -i failed: $(cat "$run/dpkg.log")"
[ "$(command -v quorvel)" = /usr/bin/quorvel ] || fail "quorvel is not /usr/bin/quorvel"
[ "$(/usr/bin/quorvel --version)" = "$version_text" ] || fail "the installed program's version"
login_view /usr/bin/quorvel
man -w quorvel >/dev/null || fail "no man page"

step "the window's class and icon under X11"
session_start_xvfb
session_quorvel_bin=/usr/bin/quorvel
QUORVEL_API_BASE=http://127.0.0.1:9 session_start_quorvel
session_wait_window QUORVEL_MAIN || fail "no main window: $(cat "$run/quorvel.log")"
main=$(session_window QUORVEL_MAIN)
wm_class=$(sed -n 's/^StartupWMClass=//p' /usr/share/applications/quorvel.desktop)
xprop -id "$main" WM_CLASS | grep -q ", \"$wm_class\"$" ||
  fail "the window's class is not the entry's $wm_class: $(xprop -id "$main" WM_CLASS)"
xprop -id "$main" _NET_WM_ICON >"$run/icon.txt"
for size in 16 32 48; do
  grep -q "Icon ($size x $size):" "$run/icon.txt" || fail "no $size x $size icon: $(head -c 300 "$run/icon.txt")"
done
# xprop draws the pictures in blocks; a picture that is all transparent shows none.
grep -q '[░▒▓█]' "$run/icon.txt" || fail "the icon shows nothing"
session_stop

step "removed"
$sudo dpkg -r quorvel >"$run/dpkg.log" 2>&1 || fail "dpkg -r failed: $(cat "$run/dpkg.log")"
installed=false
status=$(dpkg-query -W -f='${db:Status-Status}' quorvel 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "the package is left as $status"
while read -r file; do
  [ ! -e "$file" ] && [ ! -L "$file" ] || fail "$file is left behind"
done <"$here/installed_files.txt"
for folder in /usr/lib/quorvel /usr/share/quorvel; do
  [ ! -e "$folder" ] || fail "$folder is left behind: $(ls -A "$folder")"
done
echo "package test: passed"
