#!/usr/bin/env bash
# Regenerates the seed corpora in tests/fuzz/corpus from the bundled base and a few
# hand-written files. Needs iconv and ImageMagick 6 (convert-im6.q16) for the small JPEGs.
set -euo pipefail
cd "$(dirname "$0")/../.."

out=tests/fuzz/corpus
rm -rf "$out"
mkdir -p "$out"/{text_file,reply_search,registry,codepage,jpeg}

# Russian text for the files: UTF-8 here, code page 1251 in the corpus.
w1251() { printf '%s' "$1" | iconv -f UTF-8 -t CP1251; }
crlf() { printf '%s\r\n' "$@"; }

# fuzz_text_file: the option file.
cp base/opt.tmb "$out/text_file/base-opt"
{ crlf "$(w1251 'Аня Петрова')" true "\$7F" '0x10 words'; } >"$out/text_file/hex"
{ printf 'name\nfalse\n  -300\n\n12'; } >"$out/text_file/lf-only"
{ printf 'name\r\r\ntrue\r\n70\r\n3\r\n\x1a\r\nafter the end\r\n'; } >"$out/text_file/ctrl-z"
{ crlf name true 123456789012345678901234567890123 1; } >"$out/text_file/long-number"

# fuzz_reply_search: counter, opt.tmb, path.tmb, dlg/1.dlg, dlg/2.dlg, words.tmb, concepts.tmb,
# then events, all separated by NUL. Without the teaching panel '0' sends, '1' saves the options with
# a name and '2' reloads them; with it 'A' fills a field (next byte: field '4' is the
# first reply), 'B' confirms, 'C' starts the next turn, 'D' extends it, 'E' leaves.
seed() {
    local name=$1 first=$2 second=$3
    shift 3
    {
        printf '7\0'
        cat base/opt.tmb
        printf '\0'
        crlf 'dlg\1.dlg' 'dlg\2.dlg'
        printf '\0'
        cat "$first"
        printf '\0'
        cat "$second"
        printf '\0'
        cat base/words.tmb
        printf '\0'
        cat base/concepts.tmb
        for event in "$@"; do
            printf '\0'
            printf '%s' "$event"
        done
    } >"$out/reply_search/$name"
}
seed in-context base/dlg/1.dlg base/dlg/11.dlg \
    "0$(w1251 'привет')" "0$(w1251 'Что делаешь')" "0$(w1251 'ничего')" "0$(w1251 'работаю')"
seed teach base/dlg/1.dlg base/dlg/2.dlg \
    "0$(w1251 'как погода')" "A1$(w1251 'какая погода')" "A4$(w1251 'солнечно, [n]')" "B" \
    "0$(w1251 'как погода')"
seed teach-turns base/dlg/2.dlg base/dlg/1.dlg \
    "0$(w1251 'сколько тебе лет')" "A4$(w1251 'немного')" "C" "A0$(w1251 'а точнее')" \
    "A5$(w1251 'не скажу')" "D" "A4$(w1251 'секрет')" "B" "0$(w1251 'сколько тебе лет')" \
    "0$(w1251 'а точнее')"
seed leave base/dlg/1.dlg base/dlg/2.dlg \
    "0" "0$(w1251 'неизвестно')" "E" "1$(w1251 'Ваня')" "2" "0$(w1251 'здравствуй')"
seed exit base/dlg/56.dlg base/dlg/1.dlg "0$(w1251 'пока')" "0$(w1251 'привет')"
# The first urgent dialogue and the general help, held through a joke, farewells and a
# danger sign.
general_help=$(grep -l -a -F "\$$(w1251 '[помощь]')" base/dlg/*.dlg | head -n 1)
seed urgent base/dlg/1.dlg "$general_help" "0$(w1251 'мой друг выпил таблетки')" \
    "0$(w1251 'ахах шучу')" "0$(w1251 'пока')" "0$(w1251 'выключаю')" "0$(w1251 'суицид')" \
    "0$(w1251 'привет')"
patterns=$(mktemp)
crlf "$(w1251 '$* не хочу жить *')" "$(w1251 '$загадай загадку')" '#r1' "$(w1251 '$ещё')" '#r2' \
    '#END' >"$patterns"
seed patterns "$patterns" base/dlg/1.dlg \
    "0$(w1251 'я больше не хочу жить')" "0$(w1251 'ну, загадку загадай')" "0qwerty" \
    "0$(w1251 'ещё!')" "0$(w1251 'привет, как вас зовут')" "0$(w1251 'не хочу пить')"
rm -f "$patterns"

# fuzz_registry.
key='[HKEY_LOCAL_MACHINE\SOFTWARE\tumbo3]'
{ crlf REGEDIT4 '' "$key" '"programdir"="/srv/tumbo/"'; } >"$out/registry/string"
{ printf 'REGEDIT4\n; comment\n%s\n"other"="x"\n"ProgramDir"="C:\\\\a \\"b\\"\\\\"\n' \
    "$key"; } >"$out/registry/escapes"
{ printf 'REGEDIT4\n%s\n"programdir"=hex(2):2f,6f,70,74,\\\n  2f,74,2f,00\n' \
    "$key"; } >"$out/registry/hex-continued"
{ printf 'REGEDIT4\n%s\n"programdir"=dword:00000001\n[other]\n"programdir"=-\n' \
    "$key"; } >"$out/registry/dword"

# fuzz_codepage: code page text, every byte, and UTF-16 with a pair and a lone surrogate.
cp base/dlg/1.dlg "$out/codepage/dialogue"
for ((b = 0; b < 256; b++)); do printf '%b' "$(printf '\\x%02x' "$b")"; done >"$out/codepage/all-bytes"
printf 'Привет, Ёжик! 😀 №5 «€»' | iconv -f UTF-8 -t UTF-16LE >"$out/codepage/utf16"
printf '\x00\xd8a\x00\x00\xdc' >>"$out/codepage/utf16"

# fuzz_jpeg: the splash picture and two small ones, baseline and progressive.
cp resources/art/splash.jpg "$out/jpeg/splash.jpg"
convert-im6.q16 -size 24x16 gradient:red-blue -quality 80 "$out/jpeg/small.jpg"
convert-im6.q16 -seed 1 -size 16x24 plasma:fractal -interlace JPEG -sampling-factor 2x2 \
    -quality 60 "$out/jpeg/progressive.jpg"
convert-im6.q16 -size 8x8 xc:gray -colorspace Gray "$out/jpeg/gray.jpg"
