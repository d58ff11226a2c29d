#!/usr/bin/env bash
# Builds the Debian package from a finished build folder and checks it the way
# a user's system would meet it: the exact file list, lintian, the AppStream
# and desktop-entry validators, the programs run from an unpacked root (finding
# their program folder at ../share/zarvel), the manual pages and the completion.
#
#   package_test.sh BUILD_DIR
set -euo pipefail
build=$(cd "$1" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# cpack into a scratch folder: a test run never replaces the user's own build/*.deb.
if ! (cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1); then
  cat "$work/cpack.log"
  fail "cpack could not build the package"
fi
debs=("$work"/out/zarvel_*_*.deb)
[ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ] || fail "expected one zarvel_VERSION_ARCH.deb, found: ${debs[*]}"
deb=${debs[0]}
echo "package: $(basename "$deb"), $(stat -c %s "$deb") bytes"

# --- Exactly the files a user expects, each once --------------------------------
{
  printf '%s\n' ./usr/bin/zarvel ./usr/bin/zarvelctl \
    ./usr/share/zarvel/Lang0409.ini \
    ./usr/lib/udev/rules.d/70-zarvel.rules \
    ./usr/share/applications/zarvel.desktop \
    ./etc/xdg/autostart/zarvel.desktop \
    ./usr/share/metainfo/org.zarvel.Zarvel.metainfo.xml \
    ./usr/share/man/man1/zarvel.1.gz ./usr/share/man/man1/zarvelctl.1.gz \
    ./usr/share/bash-completion/completions/zarvelctl \
    ./usr/share/doc/zarvel/copyright ./usr/share/doc/zarvel/changelog.gz
  for size in 16 22 24 32 48 64 128 256; do
    echo "./usr/share/icons/hicolor/${size}x${size}/apps/zarvel.png"
  done
  (cd "$build/bin" && find Skins -type f \( -name '*.ini' -o -name '*.jpg' -o -name '*.bmp' -o -name '*.png' \
     -o -name '*.ico' -o -name '*.userd' \) -printf './usr/share/zarvel/%p\n')
  (cd "$build/bin" && find Help -type f -printf './usr/share/zarvel/%p\n')
} | sort >"$work/expected"
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $6 }' | sort >"$work/actual"
if ! diff -u "$work/expected" "$work/actual"; then
  fail "the package's files differ from the expected list (- expected, + packaged)"
fi
duplicates=$(uniq -d "$work/actual")
[ -z "$duplicates" ] || fail "files packaged twice: $duplicates"

# --- Control data ----------------------------------------------------------------
dpkg-deb -f "$deb" Section | grep -qx utils || fail "section is not utils"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends lacks the Qt libraries: $(dpkg-deb -f "$deb" Depends)"
dpkg-deb -e "$deb" "$work/control"
for script in postinst postrm; do
  [ -x "$work/control/$script" ] || fail "$script is missing or not executable"
  grep -q 'udevadm control --reload-rules' "$work/control/$script" || fail "$script does not reload the udev rules"
done
grep -qx /etc/xdg/autostart/zarvel.desktop "$work/control/conffiles" || fail "the autostart entry is not a conffile"
# Without udevadm (a container, a chroot) the scripts still succeed.
PATH=/nonexistent /bin/sh "$work/control/postinst" configure || fail "postinst fails without udevadm"
PATH=/nonexistent /bin/sh "$work/control/postrm" remove || fail "postrm fails without udevadm"

# --- lintian: no errors; warnings are shown ---------------------------------------
lintian --tag-display-limit 0 --display-info "$deb" >"$work/lintian" 2>&1 || true
cat "$work/lintian"
if grep -q '^E:' "$work/lintian"; then fail "lintian reports errors"; fi

# --- Unpacked: validators, programs, manual pages, completion ---------------------
root=$work/root
dpkg -x "$deb" "$root"
appstreamcli validate --no-net "$root/usr/share/metainfo/org.zarvel.Zarvel.metainfo.xml" \
  || fail "appstreamcli rejects the metainfo"
desktop-file-validate "$root/usr/share/applications/zarvel.desktop" "$root/etc/xdg/autostart/zarvel.desktop" \
  || fail "desktop-file-validate rejects a desktop entry"

export HOME=$work/home XDG_DATA_HOME=$work/home/data XDG_CONFIG_HOME=$work/home/config
export XDG_RUNTIME_DIR=$work/runtime QT_QPA_PLATFORM=offscreen
mkdir -p "$HOME" "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
info=$("$root/usr/bin/zarvelctl" --simulate="$work/kb.state" info) || fail "zarvelctl info from the unpacked package failed"
# Effect names come from the language file: found only through ../share/zarvel.
grep -q 'Wave' <<<"$info" || { echo "$info"; fail "zarvelctl did not find its program folder at ../share/zarvel"; }
expected_version=$(dpkg-deb -f "$deb" Version)
[ "$("$root/usr/bin/zarvel" --version)" = "zarvel $expected_version" ] || fail "zarvel --version: $("$root/usr/bin/zarvel" --version)"
[ "$("$root/usr/bin/zarvelctl" --version)" = "zarvelctl $expected_version" ] || fail "zarvelctl --version"

for page in zarvel zarvelctl; do
  warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -E UTF-8 -l "$root/usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
  [ -z "$warnings" ] || fail "man -l $page.1.gz warns: $warnings"
  zcat "$root/usr/share/man/man1/$page.1.gz" | grep -q "Zarvel $expected_version" || fail "$page.1 does not carry the version"
done

completions=$(bash -c 'source "$1"; COMP_WORDS=(zarvelctl as); COMP_CWORD=1; _zarvelctl; echo "${COMPREPLY[*]}"' _ \
  "$root/usr/share/bash-completion/completions/zarvelctl")
[ "$completions" = assign ] || fail "zarvelctl as<TAB> offers '$completions', not 'assign'"
echo "package test passed"
