#!/bin/bash
# Downloads the source photographs from Debian packages and turns them into the
# six 640x480 game pictures (frostpane_001.png ... frostpane_006.png).
#
# Usage: fetch_photos.sh [OUTDIR]    (default: <repo>/assets/images)
#
# Set FROSTPANE_DEB_CACHE to a folder to keep the downloaded .deb files there
# and reuse them on the next run (they are about 170 MB together).
#
# Every crop is hard-coded so that re-running produces the same pictures.
# The PNGs are written without metadata or time stamps, as opaque 8-bit RGBA.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
outdir="${1:-$here/../../assets/images}"
mkdir -p "$outdir"
outdir="$(cd "$outdir" && pwd)"

# Prefer ImageMagick's own binary over any wrapper that may sit earlier in PATH.
if [ -x /usr/bin/convert-im6.q16 ]; then
    CONVERT=/usr/bin/convert-im6.q16
else
    CONVERT="$(command -v convert)"
fi

work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
# apt downloads as its own unprivileged user, which must reach the folder.
chmod 0755 "$work"

packages=(lomiri-wallpapers-16.04 lomiri-wallpapers-20.04 mate-backgrounds plasma-workspace-wallpapers)
debdir="${FROSTPANE_DEB_CACHE:-$work/debs}"
mkdir -p "$debdir"
debdir="$(cd "$debdir" && pwd)"
for pkg in "${packages[@]}"; do
    if ! compgen -G "$debdir/${pkg}_*.deb" >/dev/null; then
        chmod a+rwx "$debdir"
        (cd "$debdir" && apt-get download "$pkg")
    fi
    dpkg -x "$(compgen -G "$debdir/${pkg}_*.deb" | sort | tail -n 1)" "$work/root"
done
root="$work/root/usr/share"

# make_photo NUMBER SOURCE CROP
#   CROP is WIDTHxHEIGHT+X+Y in source pixels, already 4:3.
make_photo() {
    local num="$1" src="$2" crop="$3"
    local out="$outdir/frostpane_$num.png"
    "$CONVERT" "$src" -auto-orient -colorspace sRGB \
        -crop "$crop" +repage \
        -filter Lanczos -resize '640x480!' \
        -unsharp 0x0.6+0.5+0.01 \
        -alpha off -alpha set -channel A -evaluate set 100% +channel \
        -strip -define png:exclude-chunks=date,time \
        -depth 8 "PNG32:$out"
    echo "wrote $out"
}

# 001: two cocker spaniels looking out of a window. The source is portrait, so
#      take a band that holds both heads and the lower dog's paw, with the
#      dogs in the middle.
make_photo 001 "$root/backgrounds/friends_by_Aitzol_Berasategi.jpg"          1900x1425+60+640
# 002: ladybird on a grass blade; zoomed in so the beetle is big, forget-me-nots
#      at the edges.
make_photo 002 "$root/backgrounds/mate/nature/LadyBird.jpg"                   1280x960+1120+380
# 003: nuthatch on a tree trunk; zoomed in on the bird, bark on the left.
make_photo 003 "$root/backgrounds/Kleiber_by_Lukas_Baubkus.jpg"               2400x1800+1500+795
# 004: yellow flower; keep the right part where the petals and the centre are.
make_photo 004 "$root/backgrounds/mate/nature/YellowFlower.jpg"               2133x1600+427+0
# 005: rowing boats at sunset; full height, centred.
make_photo 005 "$root/wallpapers/EveningGlow/contents/images/2560x1600.jpg"   2133x1600+213+0
# 006: mountains; the source is already 4:3, keep all of it.
make_photo 006 "$root/backgrounds/picosdeeuropa_by_Aitzol_Berasategi.jpg"     3264x2448+0+0
