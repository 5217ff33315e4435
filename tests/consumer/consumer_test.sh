#!/usr/bin/env bash
# Builds the projects beside this script against make_h as its users do, and
# checks what comes out:
#
#   consumer_test.sh CASE CMAKE SOURCE_DIR BUILD_DIR STAGE_DIR
#
# CMAKE is the cmake to run, SOURCE_DIR and BUILD_DIR are make_h's trees, and
# STAGE_DIR is where the case "stage" installs BUILD_DIR for the other cases.
# The projects are built with CMake's default generator or CMAKE_GENERATOR's.
set -euo pipefail

readonly SKIP_STATUS=77
readonly SHORT_TABLE_BYTES=100
readonly STEP_LINES='Copying|Importing|Generating|Encoding|Building|Linking'
# What each form's header makes: the header, the object that includes it and
# the program.
readonly TABLE_FORM=(table/font8x12.h CMakeFiles/table_form.dir/check_font.c.o table_form)
readonly IMPORT_FORM=(import/font8x12.h CMakeFiles/import_form.dir/check_font.c.o import_form)

if (($# != 5)); then
    echo "usage: consumer_test.sh CASE CMAKE SOURCE_DIR BUILD_DIR STAGE_DIR" >&2
    exit 2
fi
readonly case_name=$1 cmake=$2 source_dir=$3 build_dir=$4 stage_dir=$5
readonly projects="$source_dir/tests/consumer"
readonly sample="$source_dir/sample"
readonly package="$stage_dir/lib/cmake/make_h"

# The projects build with as many jobs as there are processors, unless told.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
readonly inputs="$scratch/inputs" app="$scratch/app" log="$scratch/log"
declare -A stamps  # modification times, by file of the app's build
BUILT=()           # the targets a case builds, if not all

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# configure PROJECT BUILD [ARG...]: configures one of the projects here.
configure() {
    local project=$1 build=$2
    shift 2
    "$cmake" -S "$projects/$project" -B "$build" "$@"
}

# build BUILD: builds (the targets of BUILT, if any), keeping what it
# printed in $log; returns its status.
build() {
    local status=0
    "$cmake" --build "$1" ${BUILT[@]:+--target "${BUILT[@]}"} >"$log" 2>&1 || status=$?
    cat "$log"
    return "$status"
}

# The app on copies of the sample inputs, which a case may change.
configure_app() {
    configure app "$app" -DINPUTS="$inputs" "$@"
}

build_app() {
    build "$app" || fail "the app does not build"
}

# check FORM DIR: FORM's array is the recoded transpose of DIR's 8x12.fnt and
# koi.bin.
check() {
    "$app/$1" "$2/8x12.fnt" "$2/koi.bin" || fail "$1: the header does not match $2"
}

# expect_text BUILD: the text program there shows its UI text in the font's
# codes, KOI8-R's.
expect_text() {
    "$1/text_form" >"$scratch/shown" || fail "text_form does not run"
    printf 'Привет, Настройки\n' | iconv -f UTF-8 -t KOI8-R | cmp - "$scratch/shown" ||
        fail "text_form's text is not in KOI8-R"
}

# build_and_check HOW: with make_h found as HOW says, the app builds, both
# forms hold the sample, and the text is in the font's codes.
build_and_check() {
    configure_app "$1"
    build_app
    check table_form "$sample"
    check import_form "$sample"
    expect_text "$app"
}

# Waits until a file written now gets a later time stamp than any written
# before, so that the next change is seen as newer: a few milliseconds where
# time stamps are fine, up to a second where the file system keeps whole
# seconds.
next_time_stamp() {
    local probe="$scratch/probe" before
    touch "$probe"
    before=$(stat -c %.9Y "$probe")
    until touch "$probe" && [[ $(stat -c %.9Y "$probe") != "$before" ]]; do
        sleep 0.01
    done
}

# make_newer FILE THAN: FILE's time is after THAN's, so that a build sees
# FILE's change, without waiting where times are whole seconds.
make_newer() {
    [[ $1 -nt $2 ]] || touch -d "@$(($(stat -c %Y "$2") + 1))" "$1"
}

remember_stamps() {
    local file
    for file in "${TABLE_FORM[@]}" "${IMPORT_FORM[@]}"; do
        stamps[$file]=$(stat -c %.9Y "$app/$file")
    done
}

# expect_remade WHAT FILE...: WHAT rewrote each FILE since remember_stamps.
expect_remade() {
    local what=$1 file
    shift
    for file; do
        [[ $(stat -c %.9Y "$app/$file") != "${stamps[$file]}" ]] || fail "$what did not remake $file"
    done
}

# expect_kept WHAT FILE...: WHAT left each FILE as remember_stamps found it.
expect_kept() {
    local what=$1 file
    shift
    for file; do
        [[ $(stat -c %.9Y "$app/$file") == "${stamps[$file]}" ]] || fail "$what remade $file"
    done
}

# expect_line_start TEXT: a line of $log starts with TEXT.
expect_line_start() {
    awk -v text="$1" 'index($0, text) == 1 { found = 1 } END { exit !found }' "$log" ||
        fail "no line starts with: $1"
}

# expect_bad_input MESSAGE HEADER: two builds in a row fail with the tool's
# MESSAGE and leave no HEADER.
expect_bad_input() {
    local message=$1 header=$2 attempt
    for attempt in first second; do
        if build "$app"; then
            fail "the $attempt build on a bad input succeeded"
        fi
        expect_line_start "$message"
        [[ ! -e "$app/$header" ]] || fail "a failed build left $header"
    done
}

# expect_refused BUILD MISTAKE ARGUMENTS [PREVIOUS]: configuring the call
# project with ARGUMENTS (after a call with PREVIOUS) fails with a message
# that starts by naming MISTAKE.
expect_refused() {
    local build=$1 mistake=$2 arguments=$3 previous=${4:-}
    if configure call "$build" -DCALL="$arguments" -DPREVIOUS_CALL="$previous" >"$log" 2>&1; then
        cat "$log"
        fail "the call with $arguments was taken"
    fi
    cat "$log"
    # CMake wraps long messages.
    tr -s ' \n' '  ' <"$log" | grep -F -- "make_h_add_font_header(font_user): $mistake" >/dev/null ||
        fail "no message: $mistake"
}

case_stage() {
    rm -rf "$stage_dir"
    "$cmake" --install "$build_dir" --prefix "$stage_dir"
}

case_installed() {
    build_and_check -Dmake_h_DIR="$package"
}

case_subdirectory() {
    build_and_check -DMAKE_H_SOURCE_DIR="$source_dir"
}

case_rebuild() {
    build_and_check -Dmake_h_DIR="$package"
    BUILT=(table_form import_form)
    remember_stamps
    build_app
    if grep -Eq "$STEP_LINES" "$log"; then
        fail "a build with nothing changed ran a step"
    fi
    expect_kept "a build with nothing changed" "${TABLE_FORM[@]}" "${IMPORT_FORM[@]}"

    # A table touched but the same remakes nothing that includes the header;
    # a table of other bytes remakes what uses it, and only that.
    next_time_stamp
    touch "$inputs/koi.bin"
    build_app
    expect_kept "touching the table" "${TABLE_FORM[@]}" "${IMPORT_FORM[@]}"
    printf '\001' | dd of="$inputs/koi.bin" bs=1 seek=5 conv=notrunc status=none
    build_app
    expect_remade "a new table" "${TABLE_FORM[@]}"
    expect_kept "a new table" "${IMPORT_FORM[@]}"
    check table_form "$inputs"
    cp "$sample/koi.bin" "$inputs/"
    build_app

    remember_stamps
    configure_app -DGLYPH_ORDER=KOI8-R
    build_app
    expect_remade "a new glyph order" "${IMPORT_FORM[@]}"
    expect_kept "a new glyph order" "${TABLE_FORM[@]}"
    local imported="$app/import/font8x12.h.inputs"
    if cmp -s "$imported/8x12.fnt" "$sample/8x12.fnt"; then
        fail "the new glyph order did not reach font_import"
    fi
    check import_form "$imported"
}

case_bad_input() {
    build_and_check -Dmake_h_DIR="$package"
    BUILT=(table_form import_form)

    next_time_stamp
    head -c "$SHORT_TABLE_BYTES" "$sample/koi.bin" >"$inputs/koi.bin"
    expect_bad_input "make_h: koi.bin: $SHORT_TABLE_BYTES bytes, 128 needed" table/font8x12.h
    cp "$sample/koi.bin" "$inputs/"
    build_app
    check table_form "$sample"

    next_time_stamp
    echo "no font" >"$inputs/6x12.pcf.gz"
    expect_bad_input "font_import: $inputs/6x12.pcf.gz: " import/font8x12.h
    cp "$sample/6x12.pcf.gz" "$inputs/"
    build_app
    check import_form "$sample"
}

case_text() {
    local project="$scratch/project" catalog=()
    cp -r "$projects/app" "$project"
    BUILT=(text_form)
    if [[ ${MAKE_H_CATALOGS:-} == TRUE ]]; then
        catalog=(-DTEXT_CATALOG="$project/po/ru.po")
        BUILT+=(translated_form)
    fi
    "$cmake" -S "$project" -B "$app" -Dmake_h_DIR="$package" -DINPUTS="$inputs" "${catalog[@]}"
    build_app
    expect_text "$app"
    build_app
    if grep -Eq "$STEP_LINES" "$log"; then
        fail "a build with nothing changed ran a step"
    fi

    # A text touched is encoded again, and nothing is compiled; one edited
    # compiles again alone.
    local copies=CMakeFiles/text_form.dir/text/font8x12.h.text
    local objects=("$copies/show_text.c.o" "$copies/ui/strings.c.o") file
    for file in "${objects[@]}"; do stamps[$file]=$(stat -c %.9Y "$app/$file"); done
    next_time_stamp
    touch "$project/ui/strings.c"
    build_app
    grep -q 'Encoding the text of text/font8x12.h' "$log" || fail "touching a text did not encode it again"
    if grep -q 'Generating' "$log"; then
        fail "touching a text made the header again"
    fi
    expect_kept "touching a text" "${objects[@]}"
    printf '/* edited */\n' >>"$project/ui/strings.c"
    build_app
    expect_remade "an edited text" "${objects[1]}"
    expect_kept "an edited text" "${objects[0]}"

    next_time_stamp
    sed -i 's/Настройки/Настройки €/' "$project/ui/strings.c"
    local attempt
    for attempt in first second; do
        if build "$app"; then
            fail "the $attempt build with a character the font lacks succeeded"
        fi
        grep -F 'ui/strings.c:3:38: U+20AC €: no code in KOI8-R' "$log" >/dev/null ||
            fail "the $attempt build did not name the character"
    done
    sed -i 's/ €//' "$project/ui/strings.c"
    build_app
    expect_text "$app"

    # The record of the pair's sets goes with it: one for CP1251 contradicts
    # the TABLE_SET KOI8-R of the text, and the build names both; without it,
    # the build is as before.
    next_time_stamp
    printf 'table-set: CP1251\n' >"$inputs/koi.sets"
    "$cmake" -S "$project" -B "$app"
    if build "$app"; then
        fail "a build on a pair recorded for CP1251 took TABLE_SET KOI8-R"
    fi
    grep -F 'koi.bin is made for CP1251, not for -t KOI8-R' "$log" >/dev/null ||
        fail "the build did not name both sets"
    # A record that is a directory fails the build, and its copy in the
    # build tree does not stick once the record is a file again, even one
    # restored with a time before the last build's.
    rm "$inputs/koi.sets"
    mkdir "$inputs/koi.sets"
    "$cmake" -S "$project" -B "$app"
    if build "$app"; then
        fail "a build on a record that is a directory succeeded"
    fi
    grep -i -F 'koi.sets: is a directory' "$log" >/dev/null || fail "the build did not say the record is a directory"
    rmdir "$inputs/koi.sets"
    printf 'table-set: KOI8-R\n' >"$inputs/koi.sets"
    touch -d '2000-01-01' "$inputs/koi.sets"
    "$cmake" -S "$project" -B "$app"
    build_app
    expect_text "$app"
    rm "$inputs/koi.sets"
    "$cmake" -S "$project" -B "$app"
    build_app
    expect_text "$app"

    if ((${#catalog[@]})); then
        expect_catalog "$project"
    fi
}

# expect_translated TEXT: translated_form says TEXT, in KOI8-R, and the
# forms the catalog's plural rule chooses for 1 and 5.
expect_translated() {
    "$app/translated_form" >"$scratch/shown" || fail "translated_form does not run"
    printf '%s\n1 файл\n5 файлов\n' "$1" | iconv -f UTF-8 -t KOI8-R | cmp - "$scratch/shown" ||
        fail "translated_form does not say $1 and its plural forms in KOI8-R"
}

# expect_catalog PROJECT: with a CATALOG, the app's message is compiled in
# the catalog's language; editing the catalog encodes it again, and a
# translation the font cannot show fails the build at its catalog line.
expect_catalog() {
    local catalog="$1/po/ru.po" copy="$app/translated/font8x12.h.text/show_translated.c"
    expect_translated "Настройки"

    sed -i 's/"Настройки"/"Параметры"/' "$catalog"
    make_newer "$catalog" "$copy"
    build_app
    grep -q 'Encoding the text of translated/font8x12.h' "$log" ||
        fail "editing the catalog did not encode its message again"
    expect_translated "Параметры"

    sed -i 's/"Параметры"/"Параметры…"/' "$catalog"
    make_newer "$catalog" "$copy"
    if build "$app"; then
        fail "a translation the font cannot show was built"
    fi
    grep -F "$catalog:8: U+2026 …: no code in KOI8-R" "$log" >/dev/null || fail "the build did not name the catalog's line"
}

# skip_without_catalogs: this make_h's font_text reads catalogs, or the case
# is skipped.
skip_without_catalogs() {
    if [[ ${MAKE_H_CATALOGS:-} != TRUE ]]; then
        echo "make_h reads no catalogs: skipped"
        exit "$SKIP_STATUS"
    fi
}

# expect_languages PROJECT PAIR: languages_form writes every message of every
# language byte for byte as gettext gives it from PROJECT's catalogs (msgfmt
# leaves a fuzzy one out), in the codes of PAIR's record and KOI8-R.
expect_languages() {
    local project=$1 pair=$2 language
    for language in de ru; do
        msgfmt -o "$scratch/$language.mo" "$project/languages/$language.po"
    done
    python3 - "$pair/koi.sets" "$scratch" >"$scratch/expected" <<'END'
import gettext, sys
own = {}
for line in open(sys.argv[1], encoding='utf-8'):
    if line.startswith('0x'):
        code, character = line.split(': ')[0], line.split(' ')[2].rstrip('\n')
        own[character] = int(code, 16)
def codes(text):
    return b''.join(bytes([own[c]]) if c in own else c.encode('koi8_r') for c in text)
for code in ['en', 'de', 'ru']:
    language = gettext.GNUTranslations(open(sys.argv[2] + '/' + code + '.mo', 'rb')) if code != 'en' \
        else gettext.NullTranslations()
    lines = [code] + [language.gettext(m) for m in ['Settings', 'Brightness', 'Exit', 'Battery \U0001F50B']]
    lines += [language.ngettext('%lu file', '%lu files', n) % n for n in range(26)]
    sys.stdout.buffer.write(b''.join(codes(line) + b'\n' for line in lines))
END
    "$app/languages_form" >"$scratch/shown" || fail "languages_form does not run"
    cmp "$scratch/expected" "$scratch/shown" || fail "languages_form does not write what gettext gives"
}

# CATALOGS: one program switches through every language, each message as
# gettext gives it; the build prints what each language adds. One source
# touched encodes again and compiles nothing, edited compiles alone; a
# character new in one catalog gives every language the same new codes,
# and the battery of one's own keeps its code.
case_languages() {
    skip_without_catalogs
    local project="$scratch/project" pair="$app/languages/font8x12.h.inputs"
    local copies=CMakeFiles/languages_form.dir/languages/font8x12.h.text
    local objects=("$copies/show_languages.c.o" "$copies/ui/menu_items.c.o"
        CMakeFiles/languages_form.dir/languages/ui_languages.c.o)
    BUILT=(languages_form)
    cp -r "$projects/app" "$project"
    "$cmake" -S "$project" -B "$app" -Dmake_h_DIR="$package" -DINPUTS="$inputs" -DLANGUAGES=ON
    build_app
    expect_languages "$project" "$pair"
    local report="$app/languages/font8x12.h.languages" line
    awk '{ print $1 }' "$report" | tr '\n' ' ' | grep -qx 'en: de: ru: total: ' || fail "the report is not a line a language"
    while IFS= read -r line; do
        grep -Fxq "$line" "$log" || fail "the build did not print: $line"
    done <"$report"
    grep -Eq '^de: 5 messages, [0-9]+ bytes, 1 untranslated$' "$report" || fail "the report does not count de's fuzzy message"

    build_app
    if grep -Eq "$STEP_LINES" "$log"; then
        fail "a build with nothing changed ran a step"
    fi
    local file
    for file in "${objects[@]}"; do stamps[$file]=$(stat -c %.9Y "$app/$file"); done
    next_time_stamp
    touch "$project/ui/menu_items.c"
    build_app
    grep -q 'Encoding the text of languages/font8x12.h' "$log" || fail "touching a source did not encode it again"
    expect_kept "touching a source" "${objects[@]}"
    printf '/* edited */\n' >>"$project/ui/menu_items.c"
    build_app
    expect_remade "an edited source" "${objects[1]}"
    expect_kept "an edited source" "${objects[0]}" "${objects[2]}"

    local battery
    battery=$(grep -F 'U+1F50B' "$pair/koi.sets")
    grep -Fq 'U+00DF' "$pair/koi.sets" && fail "ß has a code before a catalog needs it"
    next_time_stamp
    sed -i 's/"Zurück"/"Schließen"/' "$project/languages/de.po"
    build_app
    grep -Fq 'U+00DF ß' "$pair/koi.sets" || fail "ß, new in de.po, got no code"
    [[ $(grep -F 'U+1F50B' "$pair/koi.sets") == "$battery" ]] || fail "the battery moved: $battery"
    expect_languages "$project" "$pair"
}

# LANGUAGE_BUDGET: a language that adds more fails the build before anything
# is compiled, naming it and its largest messages at their lines.
case_language_budget() {
    skip_without_catalogs
    local project="$scratch/project"
    BUILT=(languages_form)
    cp -r "$projects/app" "$project"
    "$cmake" -S "$project" -B "$app" -Dmake_h_DIR="$package" -DINPUTS="$inputs" -DLANGUAGES=ON \
        "-DLANGUAGES_OPTIONS=LANGUAGE_BUDGET;85"
    if build "$app"; then
        fail "a language over the budget was built"
    fi
    grep -Eq "^font_text: $project/languages/ru.po: ru: [0-9]+ bytes, over the budget of 85$" "$log" ||
        fail "the build did not name ru and the budget"
    grep -Fq "font_text: $project/languages/ru.po:25: one of ru's largest messages, 36 bytes" "$log" ||
        fail "the build did not name ru's largest messages at their lines"
    [[ -z $(find "$app/CMakeFiles/languages_form.dir" -name '*.o') ]] || fail "something was compiled"
    "$cmake" -S "$project" -B "$app" "-DLANGUAGES_OPTIONS=LANGUAGE_BUDGET;1000"
    build_app
}

# A C++ project without C compiles the tables as C++, with the sources'
# language's code of its own.
case_languages_cxx() {
    skip_without_catalogs
    local build="$scratch/cxx"
    configure cxx "$build" -Dmake_h_DIR="$package" -DINPUTS="$inputs"
    build "$build" || fail "the C++ project does not build"
    "$build/cxx_languages" >"$scratch/shown" || fail "cxx_languages does not run, or ends in another language"
    printf 'en_GB Settings\nru Настройки\n' | iconv -f UTF-8 -t KOI8-R | cmp - "$scratch/shown" ||
        fail "cxx_languages does not say Settings in both languages"
}

# slot_line PAIR SLOT ROW: line ROW of glyph slot SLOT in PAIR's 8x12.fnt, in hex.
slot_line() {
    od -An -tx1 -j $(($2 * 12 + $3)) -N1 "$1/8x12.fnt" | tr -d ' '
}

case_yaff() {
    # A yaff one row too high, known only by codes: it needs CROP and
    # FONT_ENCODING; code 1 shows a picture of one's own.
    local imported="$app/import/font8x12.h.inputs" row
    BUILT=(table_form import_form)
    {
        printf '0x41:\n'
        for row in 1 2 3 4 5 6 7 8 9 10 11 12 13; do printf '    @@@@@@@@\n'; done
    } >"$inputs/tall.yaff"
    printf '0x01:\n    .@@@@@@.\n' >"$inputs/own.yaff"
    configure_app -Dmake_h_DIR="$package" -DIMPORT_FONT="$inputs/tall.yaff" \
        "-DIMPORT_OPTIONS=CROP;FONT_ENCODING;KOI8-R;GLYPHS;$inputs/own.yaff"
    build_app
    check import_form "$imported"
    [[ $(slot_line "$imported" 0x41 11) == ff && $(slot_line "$imported" 1 0) == 7e ]] ||
        fail "the yaff, CROP, FONT_ENCODING or GLYPHS did not reach font_import"

    remember_stamps
    build_app
    if grep -Eq "$STEP_LINES" "$log"; then
        fail "a build with nothing changed ran a step"
    fi
    next_time_stamp
    printf '0x01:\n    @@@@@@@@\n' >"$inputs/own.yaff"
    build_app
    expect_remade "a new picture" "${IMPORT_FORM[@]}"
    expect_kept "a new picture" "${TABLE_FORM[@]}"
    [[ $(slot_line "$imported" 1 0) == ff ]] || fail "the new picture is not in the header's font"

    next_time_stamp
    printf '0x01:\n    @@@@@@@@@\n' >"$inputs/own.yaff"
    expect_bad_input "font_import: $inputs/own.yaff:1: a picture of 9x1: at most 8x12" import/font8x12.h
}

# expect_greeting BUILD ENCODING TEXT: greeting_form there says TEXT in ENCODING.
expect_greeting() {
    "$1/greeting_form" >"$scratch/shown" || fail "greeting_form does not run"
    printf '%s\n' "$3" | iconv -f UTF-8 -t "$2" | cmp - "$scratch/shown" ||
        fail "greeting_form does not say $3 in $2"
}

# With each generator: a header put under TEXT reaches the sources that
# include it, and taken out again, its copy goes and its edits reach them.
case_text_list() {
    local project="$scratch/project" generator build
    BUILT=(greeting_form)
    cp -r "$projects/app" "$project"
    for generator in "Unix Makefiles" Ninja; do
        if [[ $generator == Ninja ]] && ! command -v ninja >/dev/null; then
            continue
        fi
        build="$scratch/build-${generator// /-}"
        sed -i 's/"[^"]*"/"Мир"/' "$project/ui/greeting.h"
        CMAKE_GENERATOR=$generator "$cmake" -S "$project" -B "$build" -Dmake_h_DIR="$package" \
            -DINPUTS="$inputs" -DGREETING_TEXT=
        build "$build" || fail "$generator: the app does not build"
        expect_greeting "$build" UTF-8 "Мир"

        "$cmake" -S "$project" -B "$build" -DGREETING_TEXT=ui/greeting.h
        build "$build" || fail "$generator: the app does not build with the header listed"
        expect_greeting "$build" KOI8-R "Мир"

        "$cmake" -S "$project" -B "$build" -DGREETING_TEXT=
        [[ ! -e "$build/greeting/font8x12.h.text/ui/greeting.h" ]] ||
            fail "$generator: the copy of a header no longer listed stays"
        next_time_stamp
        sed -i 's/Мир/Мир €/' "$project/ui/greeting.h"
        build "$build" || fail "$generator: the app does not build with the header left out"
        expect_greeting "$build" UTF-8 "Мир €"
    done
}

# SCREEN: a greeting too wide fails the build at its place; FALLBACK: a
# character without a code is written as iconv spells it.
case_text_fit() {
    local project="$scratch/project"
    BUILT=(greeting_form)
    cp -r "$projects/app" "$project"
    configure_app_in() {
        "$cmake" -S "$project" -B "$app" -Dmake_h_DIR="$package" -DINPUTS="$inputs" \
            -DGREETING_TEXT=ui/greeting.h "-DGREETING_OPTIONS=$1"
    }
    configure_app_in "SCREEN;24x12"
    build_app
    expect_greeting "$app" KOI8-R "Мир"

    configure_app_in "SCREEN;16x12"
    if build "$app"; then
        fail "a greeting wider than the screen was built"
    fi
    grep -F 'ui/greeting.h:1:18: 3 columns, 2 fit' "$log" >/dev/null || fail "the greeting's width was not named"

    next_time_stamp
    sed -i 's/"Мир"/"«Мир»"/' "$project/ui/greeting.h"
    configure_app_in "SCREEN;56x12"
    if build "$app"; then
        fail "a character without a code was built without FALLBACK"
    fi
    configure_app_in "SCREEN;56x12;FALLBACK"
    build_app
    grep -F 'U+00AB «: no code in KOI8-R, written as "<<"' "$log" >/dev/null || fail "the fallback gave no warning"
    expect_greeting "$app" KOI8-R "<<Мир>>"
}

# ADD_TEXT_CHARACTERS: the words' characters get free codes in the order of
# their numbers; a word with no new character remakes its own object alone,
# one with a new character the header and every object that uses the codes;
# KEEP_CODES keeps codes from them.
case_own_set() {
    local project="$scratch/project" copies=CMakeFiles/own_set_form.dir/own/font8x12.h.text
    local objects=(own/font8x12.h "$copies/show_own_set.c.o" "$copies/ui/own_words.c.o")
    BUILT=(own_set_form)
    cp -r "$projects/app" "$project"
    "$cmake" -S "$project" -B "$app" -Dmake_h_DIR="$package" -DINPUTS="$inputs" -DOWN_SET=ON
    build_app
    "$app/own_set_form" | cmp - <(printf 'Gr\002\001e\n') || fail "Grüße does not take ß at 1 and ü at 2"

    local file
    for file in "${objects[@]}"; do stamps[$file]=$(stat -c %.9Y "$app/$file"); done
    next_time_stamp
    sed -i 's/"Grüße", /"Grüße", "Straße", /' "$project/ui/own_words.c"
    build_app
    expect_kept "a word of the same characters" "${objects[@]:0:2}"
    expect_remade "a word of the same characters" "${objects[2]}"

    next_time_stamp
    sed -i 's/"Straße", /"Straße", "Äpfel", /' "$project/ui/own_words.c"
    build_app
    expect_remade "a word with a new character" "${objects[@]}"
    "$app/own_set_form" | cmp - <(printf 'Gr\003\002e\nStra\002e\n\001pfel\n') ||
        fail "Ä does not take 1, before ß and ü"

    # Codes kept free for the display's driver: the characters take the next.
    "$cmake" -S "$project" -B "$app" "-DOWN_SET_OPTIONS=KEEP_CODES;0x01;2"
    build_app
    "$app/own_set_form" | cmp - <(printf 'Gr\005\004e\nStra\004e\n\003pfel\n') ||
        fail "KEEP_CODES 0x01 2 did not keep codes 1 and 2 free"
}

case_bad_call() {
    local right="OUTPUT;font8x12.h;FONT;$sample/8x12.fnt;TABLE;$sample/koi.bin"
    local call="$scratch/call" without_import="$scratch/call-without-import"
    configure call "$call" -DMAKE_H_SOURCE_DIR="$source_dir" -DCALL="$right" ||
        fail "a right call is refused"
    expect_refused "$call" "OUTPUT <header> is missing" "FONT;8x12.fnt;TABLE;koi.bin"
    expect_refused "$call" "give IMPORT or FONT and TABLE, not both" \
        "OUTPUT;font8x12.h;FONT;8x12.fnt;TABLE;koi.bin;IMPORT;6x12.pcf.gz"
    expect_refused "$call" "FONT <8x12.fnt> and TABLE <koi.bin>, or IMPORT <font file>, is missing" \
        "OUTPUT;font8x12.h"
    expect_refused "$call" "FONT and TABLE go together" "OUTPUT;font8x12.h;FONT;8x12.fnt"
    expect_refused "$call" "unknown arguments: GLYPHORDER CP437" "$right;GLYPHORDER;CP437"
    expect_refused "$call" "GLYPH_ORDER goes with IMPORT, not with FONT and TABLE" \
        "$right;GLYPH_ORDER;CP437"
    expect_refused "$call" "FONT $sample/missing.fnt does not exist" \
        "OUTPUT;font8x12.h;FONT;$sample/missing.fnt;TABLE;$sample/koi.bin"
    expect_refused "$call" "TEXT $sample/missing.c does not exist" "$right;TEXT;$sample/missing.c"
    expect_refused "$call" "GLYPHS $sample/missing.yaff does not exist" \
        "OUTPUT;font8x12.h;IMPORT;$sample/6x12.pcf.gz;GLYPHS;$sample/missing.yaff"
    expect_refused "$call" "GLYPHS goes with IMPORT, not with FONT and TABLE" "$right;GLYPHS;$sample/koi.bin"
    expect_refused "$call" "KEEP_CODES goes with IMPORT, not with FONT and TABLE" "$right;KEEP_CODES;0x1B"
    expect_refused "$call" "CROP goes with IMPORT, not with FONT and TABLE" "$right;CROP"
    expect_refused "$call" "SCREEN and FALLBACK go with TEXT" "$right;FALLBACK"
    expect_refused "$call" "SCREEN 128 is not WxH" "$right;TEXT;$sample/README.md;SCREEN;128"
    expect_refused "$call" "CATALOG goes with TEXT" "$right;CATALOG;$sample/README.md"
    # Catalogs are never dropped: a second CATALOG, or one beside CATALOGS,
    # is refused, as is what goes with CATALOGS alone.
    local text="$right;TEXT;$sample/README.md"
    expect_refused "$call" "CATALOG is given 2 catalogs: it compiles one language at build time; CATALOGS <po>... makes" \
        "$text;CATALOG;$sample/README.md;CATALOG;$sample/koi.sets"
    expect_refused "$call" "CATALOG is given 2 catalogs" "$text;CATALOG;$sample/README.md;$sample/koi.sets"
    expect_refused "$call" "give CATALOG (one language, at build time) or CATALOGS (every language, switched at run time), not both" \
        "$text;CATALOG;$sample/README.md;CATALOGS;$sample/koi.sets"
    expect_refused "$call" "CATALOGS goes with TEXT" "$right;CATALOGS;$sample/README.md"
    expect_refused "$call" "CATALOGS $sample/missing.po does not exist" "$text;CATALOGS;$sample/README.md;$sample/missing.po"
    expect_refused "$call" "SOURCE_LANGUAGE goes with CATALOGS" "$text;CATALOG;$sample/README.md;SOURCE_LANGUAGE;de"
    expect_refused "$call" "LANGUAGE_BUDGET goes with CATALOG or CATALOGS" "$text;LANGUAGE_BUDGET;4096"
    expect_refused "$call" "LANGUAGE_BUDGET 4k is not a number of bytes" \
        "$text;CATALOGS;$sample/README.md;LANGUAGE_BUDGET;4k"
    expect_refused "$call" "another header's ui_languages.h goes to" "$text;CATALOGS;$sample/README.md" \
        "OUTPUT;second.h;FONT;$sample/8x12.fnt;TABLE;$sample/koi.bin;TEXT;$sample/README.md;CATALOG;$sample/README.md"

    configure call "$without_import" -DMAKE_H_SOURCE_DIR="$source_dir" -DCALL="$right" \
        -DCMAKE_DISABLE_FIND_PACKAGE_Freetype=ON -DCMAKE_DISABLE_FIND_PACKAGE_GettextPo=ON ||
        fail "a right call is refused without font_import and libgettextpo"
    expect_refused "$without_import" "IMPORT needs font_import" \
        "OUTPUT;font8x12.h;IMPORT;$sample/6x12.pcf.gz"
    expect_refused "$without_import" "CATALOG and CATALOGS need a font_text that reads catalogs" \
        "$right;TEXT;$sample/README.md;CATALOG;$sample/README.md"
}

case_cross() {
    if ! command -v arm-none-eabi-gcc >/dev/null; then
        echo "arm-none-eabi-gcc is missing: skipped"
        exit "$SKIP_STATUS"
    fi
    local firmware="$scratch/firmware"
    local library="$firmware/libfont_rom.a"
    configure firmware "$firmware" -DCMAKE_TOOLCHAIN_FILE="$projects/firmware/cortex-m0.cmake" \
        -Dmake_h_DIR="$package" -DINPUTS="$sample"
    build "$firmware" || fail "the firmware does not build"
    arm-none-eabi-readelf -A "$library" >"$log"
    grep -Fq 'Tag_CPU_arch: v6S-M' "$log" || fail "font_rom is not built for a Cortex-M0"
    arm-none-eabi-nm -S "$library" | tee "$log"
    grep -Eq '^[0-9a-f]+ 00000c00 R font_8x12$' "$log" || fail "font_8x12 is not 3072 read-only bytes"
    arm-none-eabi-size -A "$library" | tee "$log"
    grep -Eq '^\.rodata +3072 ' "$log" || fail ".rodata does not hold the 3072 bytes of the font"
    # The greeting is in the font's codes.
    (cd "$scratch" && arm-none-eabi-ar x "$library")
    arm-none-eabi-objcopy -O binary -j .rodata "$scratch"/greeting.c.o* "$scratch/greeting"
    printf 'Привет\0' | iconv -f UTF-8 -t KOI8-R | cmp - "$scratch/greeting" ||
        fail "the greeting is not in KOI8-R"
    # The drawing routine is freestanding: the display driver needs nothing
    # but the font and the greeting, no library call.
    arm-none-eabi-nm -u "$scratch"/display.c.o* | awk '{ print $2 }' | sort >"$log"
    printf 'font_8x12\ngreeting\n' | cmp -s - "$log" ||
        fail "the display driver needs more than the font and the greeting: $(tr '\n' ' ' <"$log")"
}

# rodata LIBRARY: the bytes of read-only data of LIBRARY's objects.
rodata() {
    arm-none-eabi-size -A "$1" | awk '$1 == ".rodata" { sum += $2 } END { print sum + 0 }'
}

# CATALOGS in a Cortex-M0 build: each language's figure in the report is
# what leaving its catalog out takes from the read-only data (to within
# alignment), and the total is what the tables place.
case_cross_languages() {
    if ! command -v arm-none-eabi-gcc >/dev/null; then
        echo "arm-none-eabi-gcc is missing: skipped"
        exit "$SKIP_STATUS"
    fi
    skip_without_catalogs
    local firmware="$scratch/firmware" catalogs="$projects/app/languages"
    local library="$firmware/libmessages_rom.a" report="$firmware/languages/font8x12.h.languages"
    configure firmware "$firmware" -DCMAKE_TOOLCHAIN_FILE="$projects/firmware/cortex-m0.cmake" \
        -Dmake_h_DIR="$package" -DINPUTS="$sample" "-DCATALOGS=$catalogs/de.po;$catalogs/ru.po"
    build "$firmware" || fail "the firmware does not build with every language"
    local both total german tables
    both=$(rodata "$library")
    total=$(awk '$1 == "total:" { print $4 }' "$report")
    german=$(awk '$1 == "de:" { print $4 }' "$report")
    tables=$(arm-none-eabi-size -A "$library" | awk '/^ui_languages/ { found = 1 } found && $1 == ".rodata" { print $2; exit }')
    echo "tables: $tables bytes of .rodata, the report's total $total; de: $german"
    ((tables >= total && tables - total < 4)) || fail "the tables place $tables bytes, the report says $total"

    configure firmware "$firmware" "-DCATALOGS=$catalogs/ru.po"
    build "$firmware" || fail "the firmware does not build without de"
    local without
    without=$(rodata "$library")
    echo "read-only data: $both bytes with de, $without without"
    ((both - without - german < 4 && german - (both - without) < 4)) ||
        fail "leaving de out takes $((both - without)) bytes, the report says $german"
}

declare -F "case_$case_name" >/dev/null || fail "no case $case_name"
mkdir "$inputs"
cp "$sample/8x12.fnt" "$sample/koi.bin" "$sample/6x12.pcf.gz" "$inputs/"
"case_$case_name"
