#!/usr/bin/env bash
# make-icon: the middle square of a frame, scaled down by area, and a
# Windows icon that icoutils reads back with every size.
# Usage: make_icon_test.sh MAKE_ICON
set -euo pipefail
make_icon="$(realpath "$1")"
fail() { echo "make_icon_test: $*" >&2; exit 1; }
for tool in python3 ffmpeg icotool; do command -v "$tool" >/dev/null || fail "$tool is missing (scripts/deps installs it)"; done
work="$(mktemp -d "${TMPDIR:-/tmp}/orvel-icon-XXXXXX")"
trap 'rm -rf "$work"' EXIT

# An RGB PNG file from rows of pixels, written with Python's zlib alone.
python3 - "$work" <<'PNG'
import struct, sys, zlib
def png(path, rows):
    w, h = len(rows[0]), len(rows)
    raw = b"".join(b"\0" + bytes(c for p in row for c in p) for row in rows)
    chunk = lambda t, d: struct.pack(">I", len(d)) + t + d + struct.pack(">I", zlib.crc32(t + d))
    open(path, "wb").write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", w, h, 8, 2, 0, 0, 0))
                           + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))
d = sys.argv[1]
# 80x40: blue bars of 20 columns either side of a red 40x40 square.
png(d + "/bars.png", [[(0, 0, 255)] * 20 + [(255, 0, 0)] * 40 + [(0, 0, 255)] * 20 for _ in range(40)])
# 30x30 columns of white and black: 3 columns to each of 10 icon pixels,
# 2 white and 1 black, then 1 white and 2 black.
png(d + "/stripes.png", [[(255, 255, 255) if x % 2 == 0 else (0, 0, 0) for x in range(30)] for _ in range(30)])
png(d + "/wide.png", [[(0, 0, 0)] * 20 for _ in range(10)])
PNG
pixels() { ffmpeg -v error -i "$1" -f rawvideo -pix_fmt rgb24 - | od -An -v -tu1 | tr -s ' \n' ' ' | sed 's/^ //; s/ $//'; }

"$make_icon" png "$work/bars.png" 4 "$work/red.png"
[ "$(pixels "$work/red.png")" = "$(printf '255 0 0 %.0s' $(seq 16) | sed 's/ $//')" ] \
  || fail "the middle square is not the red one: $(pixels "$work/red.png")"

"$make_icon" png "$work/stripes.png" 10 "$work/grey.png"
row="$(pixels "$work/grey.png" | cut -d' ' -f1-30)"
[ "$row" = "170 170 170 85 85 85 170 170 170 85 85 85 170 170 170 85 85 85 170 170 170 85 85 85 170 170 170 85 85 85" ] \
  || fail "the columns are not averaged by area: $row"

"$make_icon" png "$work/bars.png" 16 "$work/i16.png"
"$make_icon" png "$work/bars.png" 40 "$work/i40.png"
"$make_icon" ico "$work/icon.ico" "$work/i16.png" "$work/i40.png"
listed="$(icotool -l "$work/icon.ico" | sed -n 's/.*--width=\([0-9]*\) --height=\([0-9]*\).*/\1x\2/p' | tr '\n' ' ')"
[ "$listed" = "16x16 40x40 " ] || fail "the icon lists '$listed'"
# Each entry's bytes, where the directory says, are the PNG file unchanged.
python3 - "$work" <<'ICO' || fail "the icon's entries do not hold the PNG files"
import struct, sys
d = sys.argv[1]
ico = open(d + "/icon.ico", "rb").read()
assert struct.unpack("<HHH", ico[:6]) == (0, 1, 2), ico[:6]
for i, name in enumerate(["i16.png", "i40.png"]):
    size, offset = struct.unpack("<II", ico[6 + 16 * i + 8:6 + 16 * i + 16])
    assert ico[offset:offset + size] == open(d + "/" + name, "rb").read(), name
ICO

code=0
"$make_icon" ico "$work/bad.ico" "$work/wide.png" 2> "$work/err.txt" || code=$?
[ "$code" = 1 ] && grep -q 'not a square' "$work/err.txt" || fail "a picture that is not square: exit $code, $(cat "$work/err.txt")"
code=0
"$make_icon" png "$work/bars.png" 41 "$work/big.png" 2> "$work/err.txt" || code=$?
[ "$code" = 1 ] && [ ! -e "$work/big.png" ] || fail "an icon larger than the frame: exit $code"
echo "make_icon_test: passed"
