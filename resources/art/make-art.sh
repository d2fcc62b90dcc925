#!/bin/sh
# Regenerates Tumbo's artwork in this folder from the SVG sources beside this script.
# Run from any directory:  sh resources/art/make-art.sh
#
# Needs: rsvg-convert (Debian: librsvg2-bin), ImageMagick 6 or 7 (for the JPEG),
#        and the URW base35 fonts (Debian: fonts-urw-base35) for the Z003 script face.
# The output is deterministic: same tools, same bytes.
#
# Sources:
#   tumbo.svg        the face (icons 32..256 px, face.png; also used by title-glyph.svg and splash.svg)
#   tumbo-small.svg  the same face fitted by hand to the 16 px grid
#   title-glyph.svg  the face with a small speech bubble, 40 x 40
#   cross.svg, extend.svg, next.svg   16 x 16 button glyphs
#   splash.svg       the 536 x 340 splash picture
set -eu

here=$(CDPATH= cd -- "$(dirname -- "$0")" && pwd)
cd "$here"

command -v rsvg-convert >/dev/null 2>&1 || {
    echo "make-art.sh: rsvg-convert not found (apt-get install librsvg2-bin)" >&2; exit 1; }

# Pick a real ImageMagick: prefer the versioned IM6 binary, then IM7's magick, then convert.
IM=${IM:-}
if [ -z "$IM" ]; then
    for c in convert-im6.q16 convert-im6 magick convert; do
        if command -v "$c" >/dev/null 2>&1; then IM=$c; break; fi
    done
fi
[ -n "$IM" ] || { echo "make-art.sh: ImageMagick not found (apt-get install imagemagick)" >&2; exit 1; }

fc-list 2>/dev/null | grep -q 'Z003' || \
    echo "make-art.sh: warning: font Z003 not found (apt-get install fonts-urw-base35); the title will fall back" >&2

# Render an SVG to an RGBA PNG of the given size.
render() { # src size out
    rsvg-convert --width "$2" --height "$2" --format png --output "$3" "$1"
}

tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT INT TERM

# Window / desktop icons and the about-panel face.
render tumbo-small.svg 16 tumbo-16.png
render tumbo.svg 32 tumbo.png
for s in 48 64 128 256; do
    render tumbo.svg "$s" "tumbo-$s.png"
done
cp tumbo.png face.png

# Title button glyph (refers to tumbo.svg, so it is rendered from this folder).
render title-glyph.svg 40 title-glyph.png

# Button glyphs.
for g in cross extend next; do
    render "$g.svg" 16 "$g.png"
done

# Splash: 536 x 340, baseline sRGB JPEG, 3 components, quality 90, no chroma subsampling.
rsvg-convert --width 536 --height 340 --format png --output "$tmp/splash.png" splash.svg
"$IM" "$tmp/splash.png" -background white -alpha remove -alpha off \
    -colorspace sRGB -type TrueColor -interlace None -sampling-factor 1x1 \
    -quality 90 -strip "JPEG:splash.jpg"

echo "make-art.sh: artwork written to $here"
