#!/bin/bash
# Checks the generated artwork in assets/images/ and the application icon in
# data/icons/: exact sizes, 8-bit RGBA PNG, photos and ice overlays fully
# opaque, icons and banner transparent around their edges. Prints one line per file and exits non-zero on any problem.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
images="${1:-$here/../../assets/images}"
if [ -x /usr/bin/convert-im6.q16 ]; then CONVERT=/usr/bin/convert-im6.q16; else CONVERT=convert; fi
IDENTIFY=identify

failures=0
fail() { echo "FAIL $1: $2"; failures=$((failures + 1)); }

# png_header FILE -> "WIDTH HEIGHT BITDEPTH COLOURTYPE" from the IHDR chunk.
png_header() {
    od -An -tu1 -j16 -N10 "$1" | awk '{ printf "%d %d %d %d\n", $1*16777216+$2*65536+$3*256+$4, $5*16777216+$6*65536+$7*256+$8, $9, $10 }'
}

# max_alpha FILE GEOMETRY -> largest alpha (0..255) inside the region.
max_alpha() {
    "$CONVERT" "$1" -crop "$2" +repage -alpha extract -format '%[fx:round(maxima*255)]' info:
}

check() {
    local file="$1" w="$2" h="$3" kind="$4"
    local path="$images/$file"
    local before=$failures
    # Prints the summary line only when the file passed every check.
    report() { [ "$failures" = "$before" ] && echo "ok   $1 8-bit RGBA"; return 0; }
    if [ ! -f "$path" ]; then fail "$file" "missing"; return; fi
    read -r pw ph depth ctype < <(png_header "$path")
    [ "$pw" = "$w" ] && [ "$ph" = "$h" ] || fail "$file" "size ${pw}x${ph}, expected ${w}x${h}"
    [ "$depth" = 8 ] && [ "$ctype" = 6 ] || fail "$file" "not 8-bit RGBA (depth $depth, colour type $ctype)"
    case "$kind" in
        opaque)
            local min
            min="$("$IDENTIFY" -format '%[fx:round(minima.a*255)]' "$path")"
            [ "$min" = 255 ] || fail "$file" "not fully opaque (min alpha $min)"
            report "$file ${pw}x${ph} min-alpha=$min"
            ;;
        icon)
            # The four 12x12 corners lie outside the round button.
            local m=0 a g
            for g in 12x12+0+0 "12x12+$((w - 12))+0" "12x12+0+$((h - 12))" "12x12+$((w - 12))+$((h - 12))"; do
                a="$(max_alpha "$path" "$g")"
                [ "$a" -gt "$m" ] && m="$a"
            done
            [ "$m" = 0 ] || fail "$file" "corners not transparent (max alpha $m)"
            report "$file ${pw}x${ph} corner-max-alpha=$m"
            ;;
        appicon)
            # The corners outside the frame's rounding: 1/32 of the size.
            local c=$((w / 32)) m=0 a g
            for g in "${c}x${c}+0+0" "${c}x${c}+$((w - c))+0" "${c}x${c}+0+$((h - c))" "${c}x${c}+$((w - c))+$((h - c))"; do
                a="$(max_alpha "$path" "$g")"
                [ "$a" -gt "$m" ] && m="$a"
            done
            [ "$m" = 0 ] || fail "$file" "corners not transparent (max alpha $m)"
            report "$file ${pw}x${ph} corner-max-alpha=$m"
            ;;
        banner)
            # A 4-pixel frame all around must be empty.
            local m=0 a g
            for g in "${w}x4+0+0" "${w}x4+0+$((h - 4))" "4x${h}+0+0" "4x${h}+$((w - 4))+0"; do
                a="$(max_alpha "$path" "$g")"
                [ "$a" -gt "$m" ] && m="$a"
            done
            [ "$m" = 0 ] || fail "$file" "border not transparent (max alpha $m)"
            report "$file ${pw}x${ph} border-max-alpha=$m"
            ;;
    esac
}

for n in 1 2 3 4 5 6; do
    check "frostpane_00$n.png" 640 480 opaque
    check "frostpane_00${n}_ice.png" 640 480 opaque
done
for icon in view_snowflake view_man camera_on camera_off settings about_icon camera_front camera_back \
    previous_image next_image; do
    check "$icon.png" 512 512 icon
done
check congratulations.png 2048 560 banner

# The application icon: one PNG per size, its corners outside the rounded
# frame transparent, and an SVG that is well-formed XML.
app_id=io.github.frostpane.Frostpane
icon_theme="$here/../../data/icons/hicolor"
for size in 48 64 128 256 512; do
    images="$icon_theme/${size}x$size/apps" check "$app_id.png" "$size" "$size" appicon
done
svg="$icon_theme/scalable/apps/$app_id.svg"
if [ ! -f "$svg" ]; then
    fail "$app_id.svg" "missing"
elif command -v xmllint >/dev/null; then
    if xmllint --noout "$svg"; then echo "ok   $app_id.svg well-formed"; else fail "$app_id.svg" "not well-formed XML"; fi
else
    echo "skip $app_id.svg: no xmllint (package libxml2-utils) to check it"
fi

total="$(du -cb "$images"/*.png | tail -n 1 | cut -f1)"
echo "total size of the PNGs: $total bytes"
if [ "$failures" -gt 0 ]; then
    echo "$failures problem(s)"
    exit 1
fi
echo "all images fine"
