#!/usr/bin/env bash
# Redraws the program's two pictures with ImageMagick: the 48 x 48 window
# icon (a matrix in brackets with a complex arrow) and the 149 x 131 splash
# picture (the complex plane with a point on it). The PNGs are committed, so
# this runs only when the drawings change.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)

convert -size 48x48 xc:none \
  -fill '#000000' -stroke '#FFFF00' -strokewidth 2 -draw 'roundrectangle 1,1 46,46 7,7' \
  -fill none -stroke '#FFFFC0' -strokewidth 2 \
  -draw 'polyline 14,10 9,10 9,38 14,38' \
  -draw 'polyline 34,10 39,10 39,38 34,38' \
  -stroke none -fill '#FFE0C0' \
  -draw 'circle 17,17 19,17' -draw 'circle 31,17 33,17' \
  -draw 'circle 17,31 19,31' \
  -stroke '#FFFF00' -strokewidth 3 -draw 'line 22,34 33,23' \
  -stroke none -fill '#FFFF00' -draw 'polygon 36,20 27,22 34,29' \
  -depth 8 -strip "$here/kalvor1.png"

convert -size 149x131 xc:'#000000' \
  -stroke '#303030' -strokewidth 1 \
  -draw 'line 14,0 14,130' -draw 'line 44,0 44,130' -draw 'line 104,0 104,130' -draw 'line 134,0 134,130' \
  -draw 'line 0,10 148,10' -draw 'line 0,40 148,40' -draw 'line 0,95 148,95' -draw 'line 0,125 148,125' \
  -stroke '#FFFFC0' -strokewidth 2 -draw 'line 4,67 145,67' -draw 'line 74,127 74,4' \
  -stroke none -fill '#FFFFC0' -draw 'polygon 148,67 140,63 140,71' -draw 'polygon 74,0 70,8 78,8' \
  -fill none -stroke '#808080' -strokewidth 1 -draw 'circle 74,67 74,17' \
  -stroke '#FFE0C0' -strokewidth 1 -draw 'line 110,67 110,19' -draw 'line 74,19 110,19' \
  -stroke '#FFFF00' -strokewidth 3 -draw 'line 74,67 106,24' \
  -stroke none -fill '#FFFF00' -draw 'polygon 111,17 99,25 108,31' \
  -fill '#FFE0C0' -draw 'circle 110,19 113,19' \
  -depth 8 -strip "$here/splash.png"
