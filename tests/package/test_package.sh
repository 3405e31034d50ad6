#!/usr/bin/env bash
# Tests the release archive the way a user meets it: unpacked into an empty folder, started
# under Wine on a virtual display, first as it comes, then with the samples copied up.
#
#   tests/package/test_package.sh [archive]     (default: build/win64/VelumarDichte-<version>-win64.zip)
#
# Checks:
#   - the archive holds exactly the expected files; the samples, guides and licence are byte
#     for byte those of the repository, and the samples keep their CRLF line ends;
#   - VelumarDichte.exe is smaller than 1 MB and imports only DLLs that come with Windows;
#   - as unpacked (German locale) the program opens its main window "Velumar - Density" with
#     no message box and is still running 3 s later;
#   - with Beispiele/velu.ini beside it, the same; the window is saved to build/package-test.png;
#   - with that velu.ini under an English locale, the same: the sample's densities are whole
#     numbers and read alike under every number format;
#   - with Beispiele/default-en.ini copied up as default.ini the window looks different from
#     the one with the built-in German texts.
# Prints "package test: 1 passed, 0 failed" (or "0 passed, 1 failed") and exits non-zero on a
# fault. Uses its own Wine prefix (build/wine-package, or VELU_PACKAGE_WINEPREFIX) and its
# own virtual display, so it does not disturb the prefix of the other suites.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root" || exit 1

version=$(sed -n 's/^project(VelumarDichte VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
archive=${1:-build/win64/VelumarDichte-$version-win64.zip}
size_limit=$((1024 * 1024))
screenshot=build/package-test.png

# A prefix of its own: the test ends everything in it with wineserver -k.
export VELU_WINEPREFIX=${VELU_PACKAGE_WINEPREFIX:-$root/build/wine-package}
source scripts/wine-env

faults=()
fault() {
    echo "package test: FAIL: $*"
    faults+=("$*")
}
ok() { echo "package test: ok: $*"; }

finish() {
    echo
    if ((${#faults[@]})); then
        echo "package test: 0 passed, 1 failed (${#faults[@]} faults)"
        exit 1
    fi
    echo "package test: 1 passed, 0 failed"
    exit 0
}

work=$(mktemp -d "${TMPDIR:-/tmp}/velu-package-test.XXXXXX")
program_pid=""
cleanup() {
    wine_stop
    [ -n "$program_pid" ] && wait "$program_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

# ---------------------------------------------------------------------------------------
# The archive and its files
# ---------------------------------------------------------------------------------------
if [ ! -f "$archive" ]; then
    fault "no archive $archive (run scripts/package first)"
    finish
fi
unpacked="$work/VelumarDichte"
mkdir -p "$unpacked"
archive_path=$(realpath "$archive")
if ! (cd "$unpacked" && cmake -E tar xf "$archive_path") >"$work/unpack.log" 2>&1; then
    fault "cannot unpack $archive: $(cat "$work/unpack.log")"
    finish
fi

# Archive name -> file in the repository it must equal byte for byte.
declare -A sources=(
    [Anleitung.md]=docs/user-guide-de.md
    [Guide.md]=docs/user-guide-en.md
    [LICENSE.txt]=LICENSE
    [Beispiele/velu.ini]=examples/velu.ini
    [Beispiele/default.ini]=examples/default.ini
    [Beispiele/default-en.ini]=examples/default-en.ini
)
expected=$( (printf '%s\n' VelumarDichte.exe "${!sources[@]}") | LC_ALL=C sort)
found=$(cd "$unpacked" && find . -mindepth 1 \( -type f -o -type l \) | sed 's|^\./||' | LC_ALL=C sort)
if [ "$found" == "$expected" ]; then
    ok "the archive holds $(wc -l <<<"$found") files: $(tr '\n' ' ' <<<"$found")"
else
    fault "the archive's files differ from the expected list:
$(diff <(echo "$expected") <(echo "$found") | sed -n 's/^</  missing:/p; s/^>/  unexpected:/p')"
fi

for name in "${!sources[@]}"; do
    [ -f "$unpacked/$name" ] || continue
    if cmp -s "$unpacked/$name" "${sources[$name]}"; then
        ok "$name equals ${sources[$name]}"
    else
        fault "$name differs from ${sources[$name]}"
    fi
done
for sample in "$unpacked"/Beispiele/*.ini; do
    [ -f "$sample" ] || continue
    lines=$(wc -l <"$sample")
    crlf=$(grep -c $'\r$' "$sample")
    if [ "$lines" -gt 0 ] && [ "$crlf" -eq "$lines" ]; then
        ok "Beispiele/${sample##*/}: all $lines lines end in CRLF"
    else
        fault "Beispiele/${sample##*/}: only $crlf of $lines lines end in CRLF"
    fi
done

exe="$unpacked/VelumarDichte.exe"
if [ ! -f "$exe" ]; then
    fault "no VelumarDichte.exe in the archive"
    finish
fi
size=$(stat -c %s "$exe")
if [ "$size" -lt "$size_limit" ]; then
    ok "VelumarDichte.exe is $size bytes (limit $size_limit)"
else
    fault "VelumarDichte.exe is $size bytes, not below $size_limit"
fi
windows_dlls=$(printf '%s\n' kernel32.dll user32.dll gdi32.dll comctl32.dll comdlg32.dll ole32.dll \
    oleaut32.dll advapi32.dll shell32.dll shlwapi.dll uxtheme.dll version.dll msvcrt.dll)
imports=$(x86_64-w64-mingw32-objdump -p "$exe" 2>/dev/null | sed -n 's/^[[:space:]]*DLL Name: //p')
foreign=$(tr '[:upper:]' '[:lower:]' <<<"$imports" | grep -vxF -f <(echo "$windows_dlls"))
if [ -z "$imports" ]; then
    fault "VelumarDichte.exe: no import table (not a Windows program?)"
elif [ -n "$foreign" ]; then
    fault "VelumarDichte.exe imports DLLs that Windows lacks: $(tr '\n' ' ' <<<"$foreign")"
else
    ok "VelumarDichte.exe imports only $(tr '\n' ' ' <<<"$imports")"
fi

# ---------------------------------------------------------------------------------------
# The program under Wine
# ---------------------------------------------------------------------------------------
wine_prefix_ready
xvfb_start

# Named top-level windows of the program, one xwininfo line each.
program_windows() {
    xwininfo -root -tree 2>/dev/null | grep -F '("velumardichte.exe"' | grep -vF '(has no name)'
}
main_window() { program_windows | grep -F '"Velumar - Density":' | awk '{print $1; exit}'; }
# Everything but the main window and the input method's helper: message boxes.
other_windows() { program_windows | grep -vF -e '"Velumar - Density":' -e '"Default IME":'; }
viewable() { xwininfo -id "$1" 2>/dev/null | grep -q 'IsViewable'; }

# start <folder> <locale>: starts the program of that folder as a user would.
start() {
    (cd "$1" && LANG=$2 LC_ALL=$2 exec wine ./VelumarDichte.exe) >>"$work/wine.log" 2>&1 &
    program_pid=$!
}
# Ends the program (and everything else in the test's prefix).
stop() {
    wineserver -k >/dev/null 2>&1
    [ -n "$program_pid" ] && wait "$program_pid" 2>/dev/null
    program_pid=""
}
alive() { [ -n "$program_pid" ] && kill -0 "$program_pid" 2>/dev/null; }

# Waits up to 60 s until the main window is shown or a message box is up; 0 if either.
wait_for_window() {
    local id
    for _ in $(seq 1 300); do
        id=$(main_window)
        if [ -n "$id" ] && viewable "$id"; then return 0; fi
        [ -n "$(other_windows)" ] && return 0
        alive || return 1
        sleep 0.2
    done
    return 1
}

# expect_main_window <label> <folder> <locale> [screenshot]: the main window is shown, no
# message box comes up, and 3 s later the program still runs with the window shown.
expect_main_window() {
    local label=$1 folder=$2 locale=$3 shot=${4:-}
    start "$folder" "$locale"
    if ! wait_for_window; then
        fault "$label: no main window \"Velumar - Density\" within 60 s$(alive || echo ' (the program ended)')"
        stop
        return
    fi
    sleep 3
    local id boxes
    id=$(main_window)
    boxes=$(other_windows)
    if ! alive; then
        fault "$label: the program ended within 3 s of showing its window"
    elif [ -n "$boxes" ]; then
        fault "$label: a message box came up: $(sed 's/^ *//' <<<"$boxes")"
        import -window "$(awk '{print $1; exit}' <<<"$boxes")" "$work/$label-box.png" 2>/dev/null &&
            echo "package test: the box: $work/$label-box.png (kept only while the test runs)"
    elif [ -z "$id" ] || ! viewable "$id"; then
        fault "$label: the main window is gone after 3 s"
    else
        ok "$label: main window \"Velumar - Density\" shown, no message box, running after 3 s"
        if [ -n "$shot" ]; then
            if import -window "$id" "$shot" 2>>"$work/import.log"; then
                ok "$label: window saved to $shot"
            else
                fault "$label: no screenshot of window $id: $(cat "$work/import.log")"
            fi
        fi
    fi
    stop
}

# 1. As unpacked: the built-in texts and materials.
expect_main_window "as unpacked" "$unpacked" de_DE.UTF-8 "$work/plain.png"

# 2. Beispiele/velu.ini beside the program, German locale.
catalogue="$work/with-velu-ini"
cp -r "$unpacked" "$catalogue"
cp "$catalogue/Beispiele/velu.ini" "$catalogue/velu.ini"
mkdir -p "$(dirname "$screenshot")"
rm -f "$screenshot"
expect_main_window "with Beispiele/velu.ini" "$catalogue" de_DE.UTF-8 "$screenshot"

# 3. The same under an English locale: the sample's whole numbers read the same there, so it
#    loads without a box as well.
expect_main_window "with Beispiele/velu.ini, English locale" "$catalogue" en_US.UTF-8

# 4. Beispiele/default-en.ini copied up as default.ini: English texts.
english="$work/with-default-en"
cp -r "$unpacked" "$english"
cp "$english/Beispiele/default-en.ini" "$english/default.ini"
expect_main_window "with Beispiele/default-en.ini as default.ini" "$english" de_DE.UTF-8 \
    build/package-test-en.png
if [ -f "$work/plain.png" ] && [ -f build/package-test-en.png ]; then
    plain_size=$(identify -format '%wx%h' "$work/plain.png")
    english_size=$(identify -format '%wx%h' build/package-test-en.png)
    if [ "$plain_size" != "$english_size" ]; then
        ok "with default-en.ini: the window is $english_size, with the built-in texts $plain_size"
    else
        differing=$(compare -metric AE "$work/plain.png" build/package-test-en.png null: 2>&1)
        if [ "${differing%%.*}" -ge 500 ] 2>/dev/null; then
            ok "with default-en.ini: $differing pixels differ from the window with the built-in texts"
        else
            fault "with default-en.ini: the window looks like the one with the built-in texts ($differing pixels differ)"
        fi
    fi
fi

finish
