#!/bin/sh
# Writes the BMP files the decoder's tests read, with ImageMagick, and beside each the pixels
# ImageMagick itself reads back from it (8-bit RGBA, top row first): the tests' expected values.
set -eu
cd "$(dirname "$0")"
printf 'P3\n5 3\n255\n255 0 0 0 255 0 0 0 255 255 255 255 0 0 0\n255 255 0 0 255 255 255 0 255 128 128 128 255 0 0\n0 0 0 10 20 30 200 100 50 0 0 0 255 255 255\n' > few.ppm
{ printf 'P3\n6 4\n255\n'; i=0; while [ $i -lt 24 ]; do printf '%d %d %d\n' $((i * 10)) $((255 - i * 9)) $((i * 37 % 256)); i=$((i + 1)); done; } > many.ppm
convert few.ppm -monochrome BMP3:bits1.bmp
convert few.ppm -type palette BMP3:bits4.bmp
convert many.ppm -type palette -compress none BMP3:bits8.bmp
convert few.ppm -define bmp:subtype=RGB565 BMP:bits16.bmp
convert few.ppm -type truecolor BMP3:bits24.bmp
convert few.ppm -alpha on -channel A -fx 'i==0?0.5:(j==2?0:1)' +channel BMP:bits32.bmp
for file in bits*.bmp; do convert "$file" -depth 8 "rgba:${file%.bmp}.rgba"; done
rm few.ppm many.ppm
