#!/usr/bin/env bash
# Draws the settings dialog's pictures into OUTDIR as Windows bitmaps: clean
# line drawings of the two presentation scanners, and the set-up QR codes made
# from res/scanner-codes/*.txt (the first line that is not a comment).
# Usage: tools/make-bitmaps.sh OUTDIR
set -euo pipefail
out="$1"
codes="$(cd "$(dirname "$0")/../res/scanner-codes" && pwd)"
font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf
bold=/usr/share/fonts/truetype/dejavu/DejaVuSans-Bold.ttf
mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

code_text() { grep -v '^#' "$codes/$1.txt" | grep -v '^[[:space:]]*$' | head -n1; }

# QR code of one text file, PNG at `module` pixels per module; a placeholder
# is marked under the code, so nobody takes it for a working set-up code.
qr() {
  local name="$1" module="$2" png="$work/$1.png" text
  text="$(code_text "$name")"
  qrencode -l M -m 2 -s "$module" -o "$png" -- "$text"
  if [[ "$text" == PLACEHOLDER* ]]; then
    convert "$png" -background white -fill '#c00000' -font "$bold" -pointsize 8 \
      label:'PLACEHOLDER' -gravity center -append "$png"
  fi
  echo "$png"
}

# A presentation scanner on its stand, drawn in black lines, WxH pixels.
scanner() {
  local png="$1" w="$2" h="$3"
  local cx=$((w / 2)) base=$((h - 8)) head=$((h / 3))
  convert -size "${w}x${h}" xc:white -fill none -stroke black -strokewidth 2 \
    -draw "ellipse $cx,$base $((w * 2 / 5)),6 0,360" \
    -draw "line $((cx - 4)),$((base - 6)) $((cx - 6)),$((head + 10))" \
    -draw "line $((cx + 4)),$((base - 6)) $((cx + 6)),$((head + 10))" \
    -draw "roundrectangle $((w / 6)),$((head - head / 2)) $((w - w / 6)),$((head + 12)) 6,6" \
    -fill '#d8e8f8' -draw "rectangle $((w / 6 + 6)),$((head - head / 2 + 5)) $((w - w / 6 - 6)),$((head + 2))" \
    -fill none -strokewidth 1 -draw "line $((w / 6 + 6)),$((head + 7)) $((w - w / 6 - 6)),$((head + 7))" \
    "$png"
}

# A web browser's globe, for "back to the web version".
globe() {
  local png="$1" d="$2" r=$(($2 / 2 - 2))
  convert -size "${d}x${d}" xc:white -fill none -stroke '#1f5fbf' -strokewidth 2 \
    -draw "circle $((d / 2)),$((d / 2)) $((d / 2)),2" \
    -draw "ellipse $((d / 2)),$((d / 2)) $((r / 2)),$r 0,360" \
    -draw "line 2,$((d / 2)) $((d - 2)),$((d / 2))" \
    -draw "line $((d / 2)),2 $((d / 2)),$((d - 2))" "$png"
}

bmp() { convert "$1" -background white -alpha remove -type TrueColor "BMP3:$out/$2"; }

# 157: the Symbol scanner alone; 155 and 156: its two codes.
scanner "$work/symbol.png" 62 106
bmp "$work/symbol.png" symbol-scanner.bmp
bmp "$(qr symbol-setup 2)" symbol-setup-code.bmp
bmp "$(qr symbol-web 2)" symbol-web-code.bmp

# 140: the CipherLab scanner, the program's name and its set-up code.
scanner "$work/cipherlab.png" 90 120
convert -size 138x26 xc:white -fill black -font "$bold" -pointsize 14 -gravity center \
  -annotate +0+0 'Pellwick' "$work/name.png"
convert "$work/cipherlab.png" "$work/name.png" "$(qr cipherlab-setup 3)" -background white -gravity center \
  -append -extent 138x298 "$work/cipherlab-setup.png"
bmp "$work/cipherlab-setup.png" cipherlab-setup.bmp

# 143: the CipherLab scanner, a browser's globe and the code back to the web.
scanner "$work/cipherlab-small.png" 70 80
globe "$work/globe.png" 26
convert "$work/cipherlab-small.png" "$work/globe.png" "$(qr cipherlab-web 2)" -background white -gravity center \
  -append -extent 90x194 "$work/cipherlab-web.png"
bmp "$work/cipherlab-web.png" cipherlab-web.bmp
