#!/bin/bash
# Regenerates all of Frostpane's artwork into assets/images/:
#   - the six photographs (downloaded from Debian packages and cropped),
#   - their ice overlays,
#   - the ten button icons,
#   - the congratulations banner,
# and the application icon into data/icons/hicolor/.
# The output is deterministic: running it again gives the same files.
#
# Needs: apt-get (with package lists, i.e. after `apt-get update`), dpkg,
# cmake, g++, qt6-base-dev, imagemagick, fonts-eurofurence.
set -euo pipefail

here="$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)"
repo="$(cd "$here/../.." && pwd)"
images="$repo/assets/images"
font="${FROSTPANE_BANNER_FONT:-/usr/share/fonts/truetype/eurofurence/eurof75.ttf}"

missing=()
for cmd in cmake g++ convert dpkg apt-get; do
    command -v "$cmd" >/dev/null || missing+=("$cmd")
done
[ -f "$font" ] || missing+=("$font (package fonts-eurofurence)")
if [ ${#missing[@]} -gt 0 ]; then
    echo "missing: ${missing[*]}" >&2
    echo "install with: apt-get install cmake g++ qt6-base-dev imagemagick fonts-eurofurence" >&2
    exit 1
fi

if [ -n "${FROSTPANE_ARTWORK_BUILD:-}" ]; then
    build="$FROSTPANE_ARTWORK_BUILD"
else
    build="$(mktemp -d)"
    trap 'rm -rf "$build"' EXIT
fi
cmake -S "$here" -B "$build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" -j"$(nproc)" >/dev/null
tool="$build/frostpane_artwork"

"$here/fetch_photos.sh" "$images"

# One fixed seed per picture, so every overlay has its own frost pattern.
for n in 1 2 3 4 5 6; do
    "$tool" ice "$images/frostpane_00$n.png" "$images/frostpane_00${n}_ice.png" $((1000 + n))
    echo "wrote $images/frostpane_00${n}_ice.png"
done

"$tool" icons "$images"
echo "wrote icons into $images"
"$tool" banner "$font" "$images/congratulations.png"
echo "wrote $images/congratulations.png"
"$tool" appicon io.github.frostpane.Frostpane "$repo/data/icons/hicolor"
echo "wrote the application icon into $repo/data/icons/hicolor"
