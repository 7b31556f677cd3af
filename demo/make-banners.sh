#!/usr/bin/env bash
# Draws the demo edition's banner pictures: banner1.dat (JPEG), banner2.dat
# (PNG) and banner3.dat (animated GIF), all 468x60, the n-th in the format
# that the n-th Banner entry of dbsettings.txt names.
# usage: make-banners.sh CONVERT ICON_MVG OUTDIR
set -euo pipefail

if [ "$#" -ne 3 ]; then
  echo "usage: make-banners.sh CONVERT ICON_MVG OUTDIR" >&2
  exit 2
fi
convert_bin="$1"
icon_mvg="$2"
out="$3"

work="$(mktemp -d)"
trap 'rm -rf -- "$work"' EXIT

# Text needs a scalable font; without DejaVu ImageMagick uses its default.
bold=()
regular=()
fonts="$("$convert_bin" -list font 2>/dev/null || true)"
if grep -q 'Font: DejaVu-Sans-Bold$' <<<"$fonts"; then bold=(-font DejaVu-Sans-Bold); fi
if grep -q 'Font: DejaVu-Sans$' <<<"$fonts"; then regular=(-font DejaVu-Sans); fi

"$convert_bin" -background none "mvg:$icon_mvg" -resize 48x48 "PNG32:$work/icon.png"

# 1: still JPEG, the product's colours.
"$convert_bin" -size 468x60 gradient:'#1d5c7a-#2a7fa6' -rotate -90 -resize '468x60!' \
  "$work/icon.png" -geometry +8+6 -composite \
  "${bold[@]}" -fill '#ffffff' -pointsize 22 -annotate +68+27 'Halvane Demo' \
  "${regular[@]}" -fill '#ffc247' -pointsize 13 -annotate +68+48 'Find blogs that welcome your comments' \
  -quality 90 "JPEG:$work/banner1.jpg"

# 2: still PNG, light.
"$convert_bin" -size 468x60 'xc:#fff7e0' \
  -fill none -stroke '#e0a526' -strokewidth 2 -draw 'roundrectangle 1,1 466,58 10,10' -stroke none \
  "${bold[@]}" -fill '#1d5c7a' -pointsize 20 -annotate +16+27 'Sort, select, export to CSV' \
  "${regular[@]}" -fill '#5a4a1a' -pointsize 13 -annotate +16+48 'Every column sorts with one click; double-click opens the page.' \
  "PNG24:$work/banner2.png"

# 3: animated GIF, four frames with a moving highlight.
messages=('Type a keyword' 'Pick a depth: 100 to 1000' 'See who links to you' 'Leave a comment that counts')
frames=()
for i in 0 1 2 3; do
  x0=$((i * 117))
  x1=$((x0 + 116))
  "$convert_bin" -size 468x60 'xc:#123b4f' \
    -fill '#2a7fa6' -draw "rectangle 0,52 467,59" \
    -fill '#ffc247' -draw "rectangle $x0,52 $x1,59" \
    "$work/icon.png" -geometry +8+2 -composite \
    "${bold[@]}" -fill '#ffffff' -pointsize 21 -annotate +70+34 "$((i + 1)). ${messages[$i]}" \
    "$work/frame$i.gif"
  frames+=("$work/frame$i.gif")
done
"$convert_bin" -delay 120 -loop 0 "${frames[@]}" -layers Optimize "GIF:$work/banner3.gif"

mkdir -p -- "$out"
for n in 1 2 3; do
  src=("$work/banner$n".*)
  cp -- "${src[0]}" "$out/banner$n.dat"
done
