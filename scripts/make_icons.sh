#!/usr/bin/env bash
# Draws the settings window's icon from the scene itself, at the hicolor
# sizes, into linux/package/icons/: a moment when the streaks pour over the
# edge, cut to a rounded square. The pictures are kept in the tree, since a
# package build need not have a GL renderer; run this again when the scene's
# look changes. Needs a built cascade (build/ci) and ImageMagick.
set -euo pipefail
cd "$(dirname "$0")/.."
cascade=${1:-build/ci/linux/cascade}
out=linux/package/icons
readonly frames=600          # the fall is at its brightest about here
readonly render_size=1024x768
readonly crop=560x560+464+140 # the edge and the fall below it
readonly shape=224 corner=40 canvas=256
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$cascade" -render "$work/scene.png" -size "$render_size" -frames "$frames"
convert -size "${shape}x$shape" xc:black -fill white \
  -draw "roundrectangle 0,0,$((shape - 1)),$((shape - 1)),$corner,$corner" "$work/mask.png"
convert "$work/scene.png" -crop "$crop" +repage -resize "${shape}x$shape" \
  \( "$work/mask.png" -alpha off \) -alpha off -compose CopyOpacity -composite "PNG32:$work/shape.png"
convert "$work/shape.png" -background none -gravity center -extent "${canvas}x$canvas" "PNG32:$work/256.png"
mkdir -p "$out"
for size in 256 128 64 48 32 24 16; do
  # Thin streaks average out to grey when shrunk: the small sizes are lifted
  # so that the fall still reads as light.
  lift=$((size <= 48 ? 55 : size <= 64 ? 75 : 100))
  convert "$work/256.png" -filter Lanczos -resize "${size}x$size" -channel RGB -level "0%,$lift%" +channel \
    -strip "PNG32:$out/$size.png"
done
echo "Wrote $out/{256,128,64,48,32,24,16}.png"
