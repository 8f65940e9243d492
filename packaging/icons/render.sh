#!/bin/sh
# Renders the hicolor PNG icons from quillmark.svg; run after changing the drawing and commit
# the results. Needs Debian's librsvg2-bin (rsvg-convert).
set -eu
cd "$(dirname "$0")"
for size in 16 32 48 64 128 256; do
    mkdir -p "hicolor/${size}x${size}"
    rsvg-convert --width "$size" --height "$size" quillmark.svg > "hicolor/${size}x${size}/quillmark.png"
done
