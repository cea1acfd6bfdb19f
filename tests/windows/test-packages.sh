#!/usr/bin/env bash
# What a user downloads, tried as a user would (scripts/package writes it):
#  - the zip, unpacked into a fresh Wine prefix: sifta-batch.exe passes a
#    golden case and the program passes the smoke test from there, with no
#    DLL but those beside it (a missing one fails);
#  - the installer, silently: the program and its Start-menu entries are
#    there, and the uninstaller takes away every file it put there;
#  - the Debian package: its dependencies and contents, and an installation
#    into a scratch root.
#
#   test-packages.sh DIST_FOLDER
set -uo pipefail
repo=$(cd "$(dirname "$0")/../.." && pwd)
dist=$(cd "$1" && pwd)
wine=$(command -v wine || command -v wine64 || echo /usr/lib/wine/wine64)
version=$(sed -n 's/^project(Sifta VERSION \([0-9.]*\).*/\1/p' "$repo/CMakeLists.txt")
zip=$dist/sifta-$version-windows-x64.zip
setup=$dist/sifta-$version-windows-x64-setup.exe
deb=$(ls "$dist"/sifta_"$version"_*.deb 2>/dev/null | head -1)

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
failed=0
fail() {
  echo "FAIL [$1]: $2" >&2
  failed=1
}
export WINEDEBUG=-all
unset WINEPATH QT_PLUGIN_PATH QT_QPA_FONTDIR
export WINEPREFIX=$scratch/wine
"$wine" wineboot -i >/dev/null 2>&1

# ---- The zip ----
mkdir "$scratch/unpacked"
(cd "$scratch/unpacked" && cmake -E tar xf "$zip") || fail zip "cannot be unpacked"
folder=$scratch/unpacked/sifta-$version-windows-x64
for file in sifta.exe sifta-batch.exe README.txt examples/sample.csv translations/qtbase_ja.qm \
            platforms/qwindows.dll styles/qwindowsvistastyle.dll licenses/Sifta.txt licenses/Qt.txt; do
  [[ -f $folder/$file ]] || fail zip "$file is missing"
done
printf '#!/bin/sh\nexec "%s" "%s" "$@"\n' "$wine" "$folder/sifta-batch.exe" >"$scratch/sifta-batch"
chmod +x "$scratch/sifta-batch"
SIFTA_CASE_PLATFORM=windows "$repo/tests/batch/run-case.sh" "$scratch/sifta-batch" "$repo/tests/batch/one-file" ||
  fail zip "sifta-batch.exe fails the golden case one-file"
"$repo/tests/windows/smoke-test.sh" "$wine" "$folder/sifta.exe" "$repo/examples/sample.csv" ||
  fail zip "the program fails the smoke test from the unpacked zip"

# ---- The installer ----
"$wine" "$setup" /S >/dev/null 2>&1 || fail installer "the silent installation failed"
installed=$("$wine" winepath -u 'C:\Program Files\Sifta' 2>/dev/null | tr -d '\r')
menu=$("$wine" winepath -u 'C:\ProgramData\Microsoft\Windows\Start Menu\Programs\Sifta' 2>/dev/null | tr -d '\r')
[[ -f $installed/sifta.exe && -f $installed/Qt6Widgets.dll && -f $installed/Uninstall.exe ]] ||
  fail installer "the program is not in Program Files\\Sifta"
[[ -f $menu/Sifta.lnk ]] || fail installer "no Start-menu entry"
(cd "$installed" && find . -type f ! -name Uninstall.exe | sort) >"$scratch/installed.txt"
(cd "$folder" && find . -type f | sort) >"$scratch/zipped.txt"
cmp -s "$scratch/installed.txt" "$scratch/zipped.txt" || fail installer "it installed other files than the zip holds"
"$wine" "$installed/Uninstall.exe" /S >/dev/null 2>&1
for _ in $(seq 60); do
  [[ -e $installed ]] || break
  sleep 0.5
done
[[ -e $installed ]] && fail installer "files are left after the uninstallation: $(cd "$installed" && find . | head -5)"
[[ -e $menu ]] && fail installer "the Start-menu entries are left"

# ---- The Debian package ----
if [[ -z $deb ]]; then
  fail deb "there is no .deb in $dist"
else
  depends=$(dpkg-deb -f "$deb" Depends)
  for wanted in libqt6widgets6 libqt6printsupport6 libqt6gui6 libqt6core6 qt6-translations-l10n fonts-ipafont-gothic; do
    grep -q "$wanted" <<<"$depends" || fail deb "does not depend on $wanted ($depends)"
  done
  contents=$(dpkg-deb -c "$deb")
  for wanted in ./usr/bin/sifta ./usr/bin/sifta-batch ./usr/share/applications/sifta.desktop \
                ./usr/share/icons/hicolor/256x256/apps/sifta.png ./usr/share/doc/sifta/copyright; do
    grep -q " $wanted\$" <<<"$contents" || fail deb "lacks $wanted"
  done
  root=$scratch/root
  mkdir -p "$root/var/lib/dpkg/updates" "$root/var/lib/dpkg/info"
  touch "$root/var/lib/dpkg/status"
  dpkg --root="$root" --force-depends --force-not-root --force-script-chrootless -i "$deb" >"$scratch/dpkg.log" 2>&1 ||
    fail deb "does not install into a scratch root: $(tail -3 "$scratch/dpkg.log")"
  [[ -x $root/usr/bin/sifta ]] || fail deb "the scratch root has no /usr/bin/sifta"
  usage=$("$root/usr/bin/sifta-batch" --help 2>&1)
  grep -q '^usage: sifta-batch' <<<"$usage" || fail deb "the installed sifta-batch does not run: $usage"
fi

[[ $failed == 0 ]] && echo "ok: the zip, the installer and the Debian package"
exit $failed
