#!/usr/bin/env bash
# Installs a build into a temporary DESTDIR, as a distribution's packaging
# would, and checks the installed tree:
#   - exactly the game's files, all under the prefix /usr, the program in
#     games/ as Debian and the FHS keep games;
#   - the menu entry and the metainfo pass desktop-file-validate and
#     appstreamcli with no warning;
#   - the app id, the version and the icon sizes agree everywhere;
#   - the manual page formats without a warning.
#
#   check_install.sh BUILD_DIR APP_ID VERSION
set -uo pipefail

build=$1
app_id=$2
version=$3

failures=0
fail() { echo "FAILED: $*"; failures=$((failures + 1)); }
ok() { echo "ok: $*"; }

for tool in desktop-file-validate appstreamcli groff strings; do
  command -v "$tool" >/dev/null || { echo "missing $tool (see tools/ensure_packages.sh)"; exit 1; }
done

dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT

if ! DESTDIR="$dest" cmake --install "$build" --prefix /usr >"$dest.log" 2>&1; then
  cat "$dest.log"
  rm -f "$dest.log"
  echo "FAILED: cmake --install"
  exit 1
fi
rm -f "$dest.log"

# ---- the tree --------------------------------------------------------------
expected=$(sort <<LIST
usr/games/frostpane
usr/share/applications/$app_id.desktop
usr/share/metainfo/$app_id.metainfo.xml
usr/share/icons/hicolor/48x48/apps/$app_id.png
usr/share/icons/hicolor/64x64/apps/$app_id.png
usr/share/icons/hicolor/128x128/apps/$app_id.png
usr/share/icons/hicolor/256x256/apps/$app_id.png
usr/share/icons/hicolor/512x512/apps/$app_id.png
usr/share/icons/hicolor/scalable/apps/$app_id.svg
usr/share/man/man6/frostpane.6.gz
usr/share/doc/frostpane/copyright
usr/share/doc/frostpane/changelog.gz
usr/share/doc/frostpane/CREDITS
LIST
)
actual=$(cd "$dest" && find . ! -type d | sed 's|^\./||' | sort)
outside=$(grep -v '^usr/' <<<"$actual")
[ -z "$outside" ] && ok "nothing outside the prefix" || fail "installed outside /usr: $outside"
missing=$(comm -23 <(echo "$expected") <(echo "$actual"))
extra=$(comm -13 <(echo "$expected") <(echo "$actual"))
[ -z "$missing" ] && ok "every expected file is installed" || fail "missing: $missing"
[ -z "$extra" ] && ok "nothing else is installed" || fail "unexpected files: $extra"
[ -x "$dest/usr/games/frostpane" ] && ok "the game is executable" || fail "usr/games/frostpane is not executable"

desktop=$dest/usr/share/applications/$app_id.desktop
metainfo=$dest/usr/share/metainfo/$app_id.metainfo.xml

# ---- validators ------------------------------------------------------------
# Both print nothing at all for a clean file, except appstreamcli's summary.
if out=$(desktop-file-validate "$desktop" 2>&1) && [ -z "$out" ]; then
  ok "desktop-file-validate"
else
  fail "desktop-file-validate: $out"
fi
for mode in validate validate-tree; do
  target=$metainfo
  [ "$mode" = validate-tree ] && target=$dest/usr
  if out=$(appstreamcli "$mode" --no-net "$target" 2>&1) && ! grep -qE '^[EW]: ' <<<"$out"; then
    ok "appstreamcli $mode"
  else
    fail "appstreamcli $mode: $out"
  fi
done

# ---- one app id, one version -----------------------------------------------
# desktop_key KEY: the value of KEY in the menu entry.
desktop_key() { sed -n "s/^$1=//p" "$desktop"; }
# xml_text ELEMENT: the text of the first ELEMENT in the metainfo.
xml_text() { sed -n "s|.*<$1[^>]*>\([^<]*\)</$1>.*|\1|p" "$metainfo" | head -n 1; }
first_release=$(sed -n 's|.*<release [^>]*version="\([^"]*\)".*|\1|p' "$metainfo" | head -n 1)
changelog_version=$(zcat "$dest/usr/share/doc/frostpane/changelog.gz" | sed -n '1s/^frostpane (\([^)]*\)).*/\1/p')
manual_version=$(zcat "$dest/usr/share/man/man6/frostpane.6.gz" | sed -n 's/^\.TH FROSTPANE 6 [^ ]* "Frostpane \([^"]*\)".*/\1/p')

while IFS='|' read -r what value want; do
  [ "$value" = "$want" ] && ok "$what: $value" || fail "$what is '$value', expected '$want'"
done <<TABLE
the menu entry's icon|$(desktop_key Icon)|$app_id
the menu entry's command|$(desktop_key Exec)|frostpane
the metainfo's id|$(xml_text id)|$app_id
the metainfo's launchable|$(xml_text launchable)|$app_id.desktop
the metainfo's binary|$(xml_text binary)|frostpane
the newest release in the metainfo|$first_release|$version
the newest change log entry|$changelog_version|$version
the manual page's version|$manual_version|$version
TABLE

# The game hands the id to Qt (setDesktopFileName), so a running window is
# matched with its menu entry and icon. QStringLiteral stores it as UTF-16.
# grep reads to the end (no -q): strings must not die of a closed pipe.
strings -a -el "$dest/usr/games/frostpane" | grep -xF "$app_id" >/dev/null && ok "the game names its app id" \
  || fail "usr/games/frostpane does not contain $app_id"

# The About panel names the credits file by its path from the program's own
# folder: that path must lead to the installed file.
credits=$(strings -a -el "$dest/usr/games/frostpane" | grep -x '[./a-z]*/share/doc/frostpane/CREDITS' | sed -n 1p)
[ -n "$credits" ] && [ -f "$dest/usr/games/$credits" ] && ok "the About panel's credits file is installed ($credits)" \
  || fail "the credits file the game names ('$credits') is not installed"

# ---- icons -----------------------------------------------------------------
# png_header FILE -> "WIDTH HEIGHT BITDEPTH COLOURTYPE" from the IHDR chunk.
png_header() {
  od -An -tu1 -j16 -N10 "$1" | awk '{ printf "%d %d %d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $9, $10 }'
}
for size in 48 64 128 256 512; do
  icon=$dest/usr/share/icons/hicolor/${size}x$size/apps/$app_id.png
  [ -f "$icon" ] || continue
  header=$(png_header "$icon")
  [ "$header" = "$size $size 8 6" ] && ok "${size}x$size icon is an RGBA PNG of that size" \
    || fail "${size}x$size icon: width height depth colour type = $header"
done
svg=$dest/usr/share/icons/hicolor/scalable/apps/$app_id.svg
if [ -f "$svg" ]; then
  grep -q '<svg xmlns="http://www.w3.org/2000/svg"[^>]*viewBox="0 0 128 128"' "$svg" && grep -q '</svg>' "$svg" \
    && ok "the scalable icon is an SVG document" || fail "$svg is not an SVG document"
fi

# ---- manual page -----------------------------------------------------------
if out=$(zcat "$dest/usr/share/man/man6/frostpane.6.gz" | groff -ww -z -man 2>&1) && [ -z "$out" ]; then
  ok "the manual page formats without warnings"
else
  fail "groff: $out"
fi

[ "$failures" -eq 0 ] && echo "installed tree fine" || echo "$failures problem(s)"
[ "$failures" -eq 0 ]
