#!/usr/bin/env bash
# Draws the control's pictures with ImageMagick: a white sheet with a folded
# corner and a red band, on a grey gradient (which gives the bitmaps more than 16 colours, so they are written with 8 bits per pixel).
#   icon32.bmp   32 x 32, 256 colours: the picture shown in design mode
#   toolbox.bmp  24 x 24, 256 colours: the toolbox picture
#   control.ico  32 x 32, 16 colours
set -euo pipefail
cd "$(dirname "$0")"
sheet() {  # size, then the output options
  local s="$1"; shift
  local m=$((s / 8)) e=$((s - s / 8 - 1)) f=$((s / 3))
  convert -size "${s}x${s}" gradient:'#e0e0e0'-'#707070' -fill white -stroke black \
    -draw "polygon $m,1 $((e - f + m)),1 $e,$((f - m + 1)) $e,$((s - 2)) $m,$((s - 2))" \
    -draw "polyline $((e - f + m)),1 $((e - f + m)),$((f - m + 1)) $e,$((f - m + 1))" \
    -stroke none -fill '#c00000' -draw "rectangle $((m + 2)),$((s / 2)) $((e - 2)),$((s / 2 + s / 5))" \
    "$@"
}
sheet 32 -type Palette -colors 256 -compress none BMP3:icon32.bmp
sheet 24 -type Palette -colors 256 -compress none BMP3:toolbox.bmp
sheet 32 -colors 16 -type Palette -define icon:auto-resize=32 control.ico
