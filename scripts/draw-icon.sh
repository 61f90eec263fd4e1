#!/usr/bin/env bash
# Draws the program's icon, a parcel with an arrow dropping into it, and writes app/setup.ico.
#
# Every size is drawn at its own pixel grid rather than shrunk from the largest, so the small
# sizes keep sharp edges; 16 pixels get a drawing of their own. The output is the same bytes on
# every run. The .ico is checked in: the build does not need ImageMagick.
# Usage: scripts/draw-icon.sh [OUTPUT.ico]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
output=${1:-$here/../app/setup.ico}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# Colours: the parcel in two browns, its tape, the arrow in blue with a white rim.
box=#d39a5b
box_dark=#a8692f
outline=#5c3712
tape=#f1d9a8
arrow=#1f6fd1
arrow_rim=#ffffff

# The shapes on a 64-unit grid, scaled to each size by an affine transform. Corners lie on
# multiples of 4 units, so at 16, 32 and 48 pixels they fall on pixel centres, and lines of an
# odd number of pixels stay sharp. Arguments: the outline and the arrow rim widths, in units.
shapes() {
  local outline_width=$1 rim_width=$2
  cat <<MVG
stroke-linejoin miter
stroke ${outline}
stroke-width ${outline_width}
fill ${box}
path 'M 8,32 L 56,32 L 56,60 L 8,60 Z'
stroke none
fill ${tape}
path 'M 28,32 L 36,32 L 36,60 L 28,60 Z'
stroke ${outline}
fill none
path 'M 8,32 L 56,32 L 56,60 L 8,60 Z'
fill ${box_dark}
path 'M 4,24 L 60,24 L 60,32 L 4,32 Z'
stroke ${arrow_rim}
stroke-width ${rim_width}
fill ${arrow}
path 'M 24,4 L 40,4 L 40,24 L 52,24 L 32,44 L 12,24 L 24,24 Z'
MVG
}

# The 16-pixel frame, pixel by pixel: scaled shapes blur at that size. Rectangles name the first
# and last pixel they cover, and the arrow head is drawn a row at a time.
pixels16() {
  cat <<MVG
fill ${outline}
rectangle 0,5 15,8
rectangle 1,8 14,15
fill ${box_dark}
rectangle 1,6 14,7
fill ${box}
rectangle 2,9 13,14
fill ${tape}
rectangle 7,9 8,14
fill ${arrow_rim}
rectangle 5,0 10,4
rectangle 2,4 13,5
rectangle 3,6 12,6
rectangle 4,7 11,7
rectangle 5,8 10,8
rectangle 6,9 9,9
rectangle 7,10 8,10
fill ${arrow}
rectangle 6,1 9,4
rectangle 3,5 12,5
rectangle 4,6 11,6
rectangle 5,7 10,7
rectangle 6,8 9,8
rectangle 7,9 8,9
MVG
}

# Passed inline: the usual ImageMagick policy refuses to read drawings from files.
render() {
  local size=$1 antialias=$2 drawing=$3
  convert -size "${size}x${size}" xc:none "${antialias}antialias" -draw "$drawing" \
    -strip -define png:exclude-chunks=date,time "PNG32:$work/icon-${size}.png"
}

draw() {
  local size=$1
  if ((size == 16)); then
    render "$size" + "$(pixels16)"
    return
  fi
  # Line widths in whole pixels for each size.
  local outline_px rim_px
  case $size in
    32) outline_px=1 rim_px=1 ;;
    48) outline_px=1 rim_px=3 ;;
    *) outline_px=$((size / 26)) rim_px=$((size / 21)) ;;
  esac
  local scale
  scale=$(awk -v s="$size" 'BEGIN { printf "%.6f", s / 64 }')
  local outline_width rim_width
  outline_width=$(awk -v p="$outline_px" -v k="$scale" 'BEGIN { printf "%.6f", p / k }')
  rim_width=$(awk -v p="$rim_px" -v k="$scale" 'BEGIN { printf "%.6f", p / k }')
  render "$size" - \
    "viewbox 0 0 ${size} ${size} affine ${scale},0,0,${scale},0,0 $(shapes "$outline_width" "$rim_width")"
}

sizes=(16 32 48 256)
frames=()
for size in "${sizes[@]}"; do
  draw "$size"
  frames+=("$work/icon-${size}.png")
done

# ImageMagick stores the 256 frame as PNG and the others as bitmaps, as Windows expects.
convert "${frames[@]}" "$output"
echo "wrote $output"
