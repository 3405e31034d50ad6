#!/usr/bin/env bash
# Tests the release the way a user meets it, under Wine on a virtual display: the zip unpacked
# into an empty folder, and the MSI installed per user (in German and in English) and per
# machine, started, removed, installed again and upgraded.
#
#   tests/package/test_package.sh [zip] [msi]
#       (default: build/win64/VelumarDichte-<version>-win64.zip and .msi)
#
# Checks:
#   - the zip holds exactly the expected files; the samples, pictures and licence are byte for
#     byte those of the repository, and the samples keep their CRLF line ends; no Markdown;
#   - Anleitung.html and Guide.html are complete UTF-8 pages rendered from the guides: the
#     guide's title and sections, its tables, and pictures that are in the package; the
#     guides name no other version than the one released;
#   - SHA256SUMS beside the zip lists the zip and the MSI, and `sha256sum -c` accepts it;
#   - VelumarDichte.exe is smaller than 1 MB, imports only DLLs that come with Windows, is
#     hardened (DYNAMIC_BASE, HIGH_ENTROPY_VA, NX_COMPAT, TERMINAL_SERVER_AWARE in its PE
#     header) and carries no link time; its wWinMain first limits the DLL search to System32
#     and src/ loads no DLL by name;
#   - as unpacked, under a German and an English locale, the program shows its main window
#     without a box, lists the whole sample catalogue and the German targets, and still runs
#     3 s later (saved to build/package-test.png); with Beispiele/default-en.ini over
#     default.ini it lists the English targets;
#   - the MSI is a 64-bit package of this version by "Velumar", per user unless ALLUSERS=1;
#   - installed per user, exactly the zip's files are in %LOCALAPPDATA%\Programs\VelumarDichte,
#     with a Start-menu shortcut and one entry among the installed programs; from the shortcut
#     the program lists the catalogue and the German targets, then the user's own velu.ini;
#   - removal leaves the user's velu.ini and default.ini byte for byte, and so do installing
#     again and an upgrade, after which a catalogue whose value is no number is warned about
#     in a box "velu" naming the file; the older package does not go over the newer one;
#   - installed per user under an English locale, default.ini is the English one;
#   - installed with ALLUSERS=1: the zip's files in %ProgramFiles%\VelumarDichte, values under
#     HKLM only, nothing in the user's profile but Wine's shortcut; the program lists the
#     catalogue; an upgrade keeps the company's velu.ini; removal leaves only the two files;
#   - packaged again with a throwaway certificate (VELU_SIGN_PFX, no VELU_SIGN_URL), the exe
#     in the zip, the MSI and the installed exe are signed by it (SHA-256, the product's name,
#     no web address) over unchanged bytes; unsigned, the exe is the program as built; the
#     signed program starts and lists the catalogue.
#
# What Wine 8 cannot show: a per-machine shortcut goes into the user's Start menu, not that of
# all users; with one user, a per-machine installation is taken for that user's own while one
# exists, so the two contexts are tested one after the other, not side by side; a removal does
# not find the context of its installation by itself (the per-machine one is given ALLUSERS=1,
# as the README says); no elevation is asked for; and one LANG sets the language of both the
# interface and the formats, so that the package asks for the first is not seen.
# Prints "package test: 1 passed, 0 failed" (or "0 passed, 1 failed") and exits non-zero on a
# fault. Uses its own Wine prefix (build/wine-package, or VELU_PACKAGE_WINEPREFIX) and its
# own virtual display, so it does not disturb the prefix of the other suites.
set -uo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root" || exit 1

version=$(sed -n 's/^project(VelumarDichte VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
archive=${1:-build/win64/VelumarDichte-$version-win64.zip}
msi=${2:-build/win64/VelumarDichte-$version-win64.msi}
screenshot=build/package-test.png

# A prefix of its own: the test ends everything in it with wineserver -k.
export VELU_WINEPREFIX=${VELU_PACKAGE_WINEPREFIX:-$root/build/wine-package}
source scripts/wine-env
# No menu entries on the Linux desktop for the shortcuts the package makes inside the prefix.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

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
    [LICENSE.txt]=LICENSE
    [velu.ini]=examples/velu.ini
    [default.ini]=examples/default.ini
    [Bilder/screenshot-main.png]=docs/screenshot-main.png
    [Bilder/screenshot-success.png]=docs/screenshot-success.png
    [Bilder/demo-material.png]=docs/demo-material.png
    [Bilder/assembly.png]=docs/assembly.png
    [Bilder/assembly-undo.png]=docs/assembly-undo.png
    [Beispiele/velu.ini]=examples/velu.ini
    [Beispiele/default.ini]=examples/default.ini
    [Beispiele/default-en.ini]=examples/default-en.ini
)
# Page in the archive -> the guide it is rendered from.
declare -A guides=(
    [Anleitung.html]=docs/user-guide-de.md
    [Guide.html]=docs/user-guide-en.md
)
expected=$( (printf '%s\n' VelumarDichte.exe "${!sources[@]}" "${!guides[@]}") | LC_ALL=C sort)
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

# The guides as pages: rendered from the Markdown, complete, with pictures from the package.
for page in "${!guides[@]}"; do
    html="$unpacked/$page"
    guide=${guides[$page]}
    [ -f "$html" ] || continue
    if ! iconv -f UTF-8 -t UTF-8 "$html" >/dev/null 2>&1; then
        fault "$page is not valid UTF-8"
        continue
    fi
    problems=()
    grep -qiF '<meta charset="utf-8">' "$html" || problems+=("no <meta charset=\"utf-8\">")
    grep -qi '^<!DOCTYPE html>' "$html" && grep -qi '</html>' "$html" || problems+=("not a complete page")
    want_title=$(sed -n 's/^# \+//p' "$guide" | head -n1 | tr -d '*_`' | sed "s/@VERSION@/$version/g")
    title=$(sed -n 's:.*<title>\(.*\)</title>.*:\1:p' "$html")
    [ -n "$want_title" ] && [ "$title" == "$want_title" ] ||
        problems+=("title \"$title\", the guide's is \"$want_title\"")
    sections=$(grep -c '^## ' "$guide")
    rendered=$(grep -c '<h2[ >]' "$html")
    [ "$sections" -gt 0 ] && [ "$rendered" -eq "$sections" ] ||
        problems+=("$rendered sections, the guide has $sections")
    tables=$(grep -cE '^ *\|? *:?-{3,}' "$guide")
    rendered=$(grep -c '<table>' "$html")
    [ "$rendered" -eq "$tables" ] || problems+=("$rendered tables, the guide has $tables")
    grep -qE '^\|? *:?-{3,}|\]\(' "$html" && problems+=("Markdown left unrendered")
    grep -qE '^[[:space:]]*[-*] ' "$html" && problems+=("list items left as text (indentation?)")
    # The title and the names of the download files carry the version being released, which
    # the build fills in: the guide itself names none.
    stale=$( (grep -oE 'VelumarDichte[ -][0-9]+\.[0-9]+\.[0-9]+' "$guide"
        grep -oE 'VelumarDichte[ -][0-9]+\.[0-9]+\.[0-9]+' "$html" | grep -vE "[ -]$version\$"
        grep -o '@VERSION@' "$html") | sort -u | tr '\n' ' ')
    [ -z "$stale" ] || problems+=("names another version than $version: $stale")
    grep -qF "VelumarDichte $version" "$html" || problems+=("does not name version $version")
    pictures=$(grep -o '<img [^>]*src="[^"]*"' "$html" | sed 's/.*src="//; s/"$//')
    [ -n "$pictures" ] || problems+=("no picture")
    for picture in $pictures; do
        [ -f "$unpacked/$picture" ] || problems+=("picture $picture is not in the archive")
    done
    if ((${#problems[@]})); then
        fault "$page (from $guide): $(printf '%s; ' "${problems[@]}")"
    else
        ok "$page: a UTF-8 page \"$title\" with $sections sections, $tables tables, pictures $(tr '\n' ' ' <<<"$pictures")"
    fi
done

# The checksums beside the archive.
sums="$(dirname "$archive")/SHA256SUMS"
if [ ! -f "$sums" ]; then
    fault "no $sums beside the archive"
else
    listed=$(awk '{print $2}' "$sums" | sed 's/^\*//' | LC_ALL=C sort | tr '\n' ' ')
    want=$(printf '%s\n' "$(basename "$archive")" "$(basename "$msi")" | LC_ALL=C sort | tr '\n' ' ')
    if [ "$listed" != "$want" ]; then
        fault "$sums lists $listed, not $want"
    elif (cd "$(dirname "$sums")" && sha256sum --quiet -c SHA256SUMS) >"$work/sums.log" 2>&1; then
        ok "SHA256SUMS lists $listed and sha256sum -c accepts it"
    else
        fault "sha256sum -c $sums: $(cat "$work/sums.log")"
    fi
fi

exe="$unpacked/VelumarDichte.exe"
if [ ! -f "$exe" ]; then
    fault "no VelumarDichte.exe in the archive"
    finish
fi
# What scripts/package demands of the program before it packs it (packaging/release.py
# check-program), read again from the archive's copy: Windows' DLLs only, hardened, no link
# time, small.
if checked=$(/usr/bin/python3 packaging/release.py check-program "$exe" 2>&1); then
    ok "VelumarDichte.exe: $(paste -sd ';' <<<"$checked" | sed 's/;/; /g')"
else
    fault "VelumarDichte.exe: $(paste -sd ';' <<<"$checked" | sed 's/;/; /g')"
fi
# wWinMain keeps a DLL planted beside the program from being loaded by name; no code of the
# program may load one from anywhere but System32 either.
loads=$(grep -rnE 'LoadLibrary|LoadPackagedLibrary' src/ | grep -vF 'LOAD_LIBRARY_SEARCH_SYSTEM32')
first=$(awk '/wWinMain\(/ { body = 1; next } body && !/^[[:space:]]*(\/\/|$)/ { print; exit }' \
    src/win32/main.cpp | sed 's/^[[:space:]]*//')
if [ -n "$loads" ]; then
    fault "src/ loads DLLs by name from anywhere: $loads"
elif [ "$first" != "::SetDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32);" ]; then
    fault "wWinMain does not first limit the DLL search to System32; its first statement: $first"
else
    ok "wWinMain first limits the DLL search to System32; src/ loads no DLL by name"
fi

# ---------------------------------------------------------------------------------------
# The MSI as a file
# ---------------------------------------------------------------------------------------
# msi_property <msi> <name>: a row of the package's Property table.
msi_property() {
    msiinfo export "$1" Property 2>/dev/null | tr -d '\r' | awk -F'\t' -v name="$2" '$1 == name {print $2}'
}
msi_ready=1
if [ ! -f "$msi" ]; then
    fault "no MSI $msi (run scripts/package first)"
    msi_ready=0
elif ! msiinfo suminfo "$msi" >"$work/suminfo.txt" 2>&1; then
    fault "$msi is no Windows Installer package: $(cat "$work/suminfo.txt")"
    msi_ready=0
else
    msi_path=$(realpath "$msi")
    template=$(sed -n 's/^Template: //p' "$work/suminfo.txt")
    word_count=$(sed -n 's/^Source: \([0-9]*\).*/\1/p' "$work/suminfo.txt")
    problems=()
    [[ "$template" == x64\;* ]] || problems+=("platform \"$template\", not x64")
    # Bit 3 of the word count: no elevated rights needed (unless asked to install per machine).
    ((${word_count:-0} & 8)) || problems+=("it asks for administrator rights (word count ${word_count:-none})")
    # Per user unless the command line asks for all users.
    [ -z "$(msi_property "$msi" ALLUSERS)" ] || problems+=("ALLUSERS=$(msi_property "$msi" ALLUSERS) installs for all users")
    [ "$(msi_property "$msi" ProductVersion)" == "$version" ] ||
        problems+=("version \"$(msi_property "$msi" ProductVersion)\", not $version")
    [ "$(msi_property "$msi" Manufacturer)" == Velumar ] ||
        problems+=("publisher \"$(msi_property "$msi" Manufacturer)\", not Velumar")
    [ -n "$(msi_property "$msi" UpgradeCode)" ] || problems+=("no upgrade code")
    if ((${#problems[@]})); then
        fault "$msi: $(printf '%s; ' "${problems[@]}")"
    else
        ok "$(basename "$msi"): 64-bit, per user without administrator rights unless asked, version $version by Velumar"
    fi
fi

# ---------------------------------------------------------------------------------------
# The program under Wine
# ---------------------------------------------------------------------------------------
wine_prefix_ready
xvfb_start

# Reads the program's boxes and lists: built here for Windows from tests/package/window_text.cpp.
window_text="$work/window_text.exe"
window_text_ready=1
if ! x86_64-w64-mingw32-g++ -std=c++20 -municode -Os -s -static -I src -I tests/win32 \
        -o "$window_text" tests/package/window_text.cpp tests/win32/testing/windows_found.cpp \
        >"$work/window_text.log" 2>&1; then
    fault "cannot build tests/package/window_text.cpp: $(cat "$work/window_text.log")"
    window_text_ready=0
fi

# The lists the samples give the main window, tab-separated in UTF-8: the materials, and the
# targets of each language ("Anwenden auf").
# A file that is valid UTF-8 is read as UTF-8, any other in Windows-1252, as the program does.
entries() {
    local encoding=WINDOWS-1252
    iconv -f UTF-8 -t UTF-8 "$2" >/dev/null 2>&1 && encoding=UTF-8
    grep -a "^$1" "$2" | cut -d= -f2- | iconv -f "$encoding" -t UTF-8 | tr -d '\r' | paste -sd '\t'
}
catalogue=$(entries Name examples/velu.ini)
german_targets=$(entries AddItem examples/default.ini)
english_targets=$(entries AddItem examples/default-en.ini)
brief() { awk -F'\t' '{ printf "[%s ... %s (%d)] ", $1, $NF, NF }' <<<"$1"; }

# lists_hold <label> <lists> <list>...: the window's lists (one a line, as window_text prints
# them) hold each of these lists exactly.
lists_hold() {
    local label=$1 lists=$2 list
    shift 2
    for list in "$@"; do
        grep -qxF -- "$list" <<<"$lists" || { fault "$label: no list holds $(brief "$list"); its lists: $(brief "$lists")"; return; }
    done
    ok "$label: its lists hold $(for list in "$@"; do brief "$list"; done)"
}

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
    # -k only asks the server to end; -w waits until it has, so that the next wine command
    # starts a server of its own instead of meeting the one going down.
    wineserver -k >/dev/null 2>&1
    wineserver -w >/dev/null 2>&1
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

# expect_main_window <label> <folder> <locale> <screenshot|""> [list]...: the main window is
# shown, no message box comes up, 3 s later the program still runs with the window shown, and
# its lists hold these.
expect_main_window() {
    local label=$1 folder=$2 locale=$3 shot=$4
    shift 4
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
        if (($#)) && ((window_text_ready)); then
            lists_hold "$label" "$(LANG=$locale LC_ALL=$locale wine "$window_text" lists "Velumar - Density" 10 2>>"$work/wine.log" | tr -d '\r')" "$@"
        fi
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

# 1. As unpacked: the sample catalogue and the German texts beside the program.
mkdir -p "$(dirname "$screenshot")"
rm -f "$screenshot"
expect_main_window "as unpacked" "$unpacked" de_DE.UTF-8 "$screenshot" "$catalogue" "$german_targets"

# 2. The same under an English locale: the sample's whole numbers read the same there, so it
#    loads without a box as well.
expect_main_window "as unpacked, English locale" "$unpacked" en_US.UTF-8 "" "$catalogue"

# 3. Beispiele/default-en.ini copied over default.ini: English texts.
english="$work/with-default-en"
cp -r "$unpacked" "$english"
cp "$english/Beispiele/default-en.ini" "$english/default.ini"
expect_main_window "with Beispiele/default-en.ini over default.ini" "$english" de_DE.UTF-8 \
    build/package-test-en.png "$english_targets"

# ---------------------------------------------------------------------------------------
# The MSI under Wine: install, start, remove, install again, upgrade
# ---------------------------------------------------------------------------------------
# Everything below is one Wine session under one locale.
stop
export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8

((window_text_ready)) || msi_ready=0

if ((msi_ready)); then
    local_appdata=$(wine cmd /c echo %LOCALAPPDATA% 2>/dev/null | tr -d '\r')
    roaming=$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')
    install_windows="$local_appdata\\Programs\\VelumarDichte"
    shortcut_windows="$roaming\\Microsoft\\Windows\\Start Menu\\Programs\\Velumar - Dichte.lnk"
    install_dir=$(winepath -u "$install_windows" 2>/dev/null)
    shortcut=$(winepath -u "$shortcut_windows" 2>/dev/null)
    user_windows=$(wine cmd /c echo %USERPROFILE% 2>/dev/null | tr -d '\r')
    user_profile=$(winepath -u "$user_windows" 2>/dev/null)
    machine_windows="$(wine cmd /c echo %ProgramFiles% 2>/dev/null | tr -d '\r')\\VelumarDichte"
    machine_dir=$(winepath -u "$machine_windows" 2>/dev/null)
    if [ -z "$local_appdata" ] || [ -z "$roaming" ] || [ -z "$install_dir" ] || [ -z "$shortcut" ] ||
       [ -z "$user_profile" ] || [ -z "$machine_dir" ]; then
        fault "cannot find the user's folders in the Wine prefix (LOCALAPPDATA \"$local_appdata\", APPDATA \"$roaming\", USERPROFILE \"$user_windows\", $machine_windows)"
        msi_ready=0
    fi
fi

# Entries "Velumar - Dichte" among the installed programs, one "key|version|publisher" line
# each. Windows keeps those of per-user packages under HKCU, Wine under HKLM.
uninstall_entries() {
    local hive
    for hive in HKCU HKLM; do
        wine reg query "$hive\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall" /s 2>/dev/null
    done | tr -d '\r' | awk '
        function flush() { if (name == "Velumar - Dichte") print key "|" version "|" publisher }
        /^HKEY_/ { flush(); key = $0; name = version = publisher = ""; next }
        { value = $0; sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]*/, "", value) }
        $1 == "DisplayName" { name = value }
        $1 == "DisplayVersion" { version = value }
        $1 == "Publisher" { publisher = value }
        END { flush() }'
}

# The package's files, as in the zip; the user's own files beside the program.
package_files=$(cd "$unpacked" && find . -type f | sed 's|^\./||' | LC_ALL=C sort)
user_files=(velu.ini default.ini)

# run_msiexec <label> <expected exit> <arguments...>: runs Windows Installer quietly, with its
# log. A run that ends otherwise than expected is shown with the end of that log and of Wine's
# errors, then run once more after the Wine server has gone down: a fault of the package ends
# the same way twice, and only that is a fault; a first run that Wine itself broke off is
# reported beside the verdict.
msiexec_runs=0
run_msiexec() {
    local label=$1 want=$2 attempt status log_file
    shift 2
    for attempt in 1 2; do
        msiexec_runs=$((msiexec_runs + 1))
        log_file="$work/msiexec-$msiexec_runs.log"
        WINEDEBUG=err+all wine msiexec "$@" /qn /l*v "$(winepath -w "$log_file")" \
            >"$work/msiexec-$msiexec_runs.out" 2>&1
        status=$?
        [ "$status" -eq "$want" ] && break
        echo "package test: $label: msiexec $* ended with $status (run $attempt), expected $want"
        echo "  the end of Windows Installer's log:"
        tail -n 8 "$log_file" 2>/dev/null | tr -d '\r' | sed 's/^/    /'
        echo "  the end of Wine's output:"
        tail -n 8 "$work/msiexec-$msiexec_runs.out" | sed 's/^/    /'
        echo "  free space: $(df -h --output=avail "$WINEPREFIX" | tail -n1 | tr -d ' ') in $WINEPREFIX"
        stop
    done
    if [ "$status" -ne "$want" ]; then
        fault "$label: msiexec $* ended with $status twice, expected $want"
        return 1
    fi
    ok "$label: msiexec $* ended with $status$([ "$attempt" -eq 1 ] || echo ' (on the second run)')"
}

# user_files_unchanged <label>: the user's files beside the program are as they were put there.
user_files_unchanged() {
    local name changed=()
    for name in "${user_files[@]}"; do
        cmp -s "$install_dir/$name" "$work/user-$name" || changed+=("$name")
    done
    if ((${#changed[@]})); then
        fault "$1: the user's ${changed[*]} beside the program changed or went away"
    else
        ok "$1: the user's ${user_files[*]} unchanged byte for byte"
    fi
}

# expect_installed <label> <version> [default.ini's sample]: the package's files, the shortcut
# and one entry. velu.ini and default.ini may be the user's; given the sample, they must be the
# sample catalogue and those texts, and are the user's from here on.
expect_installed() {
    local label=$1 want_version=$2 texts=${3:-} name missing=() differing=() extra link_text
    if [ -n "$texts" ] && ! { cmp -s "$install_dir/velu.ini" examples/velu.ini && cmp -s "$install_dir/default.ini" "$texts"; }; then
        fault "$label: velu.ini and default.ini beside the program are not examples/velu.ini and $texts"
    elif [ -n "$texts" ]; then
        ok "$label: velu.ini beside the program is examples/velu.ini, default.ini is $texts"
        for name in "${user_files[@]}"; do cp "$install_dir/$name" "$work/user-$name"; done
    fi
    for name in $package_files; do
        if [ ! -f "$install_dir/$name" ]; then
            missing+=("$name")
        elif [[ " ${user_files[*]} " != *" $name "* ]] && ! cmp -s "$install_dir/$name" "$unpacked/$name"; then
            differing+=("$name")
        fi
    done
    extra=$(cd "$install_dir" 2>/dev/null && find . -type f | sed 's|^\./||' | LC_ALL=C sort |
        grep -vxF -f <(printf '%s\n' $package_files "${user_files[@]}"))
    if ((${#missing[@]} + ${#differing[@]})) || [ -n "$extra" ]; then
        fault "$label: in $install_windows missing: ${missing[*]:-none}; differing from the zip: ${differing[*]:-none}; unexpected: ${extra:-none}"
    else
        ok "$label: the zip's $(wc -l <<<"$package_files") files are in $install_windows, byte for byte but for ${user_files[*]}"
    fi
    # The link holds its target as ANSI and as UTF-16 text.
    link_text=$( { strings -a "$shortcut"; strings -a -el "$shortcut"; } 2>/dev/null)
    if [ ! -f "$shortcut" ]; then
        fault "$label: no Start-menu shortcut $shortcut_windows"
    elif grep -qiF "$install_windows\\VelumarDichte.exe" <<<"$link_text"; then
        ok "$label: Start-menu shortcut \"Velumar - Dichte\" to $install_windows\\VelumarDichte.exe"
    else
        fault "$label: the shortcut $shortcut_windows does not lead to $install_windows\\VelumarDichte.exe"
    fi
    local entries
    entries=$(uninstall_entries)
    if [ "$(grep -c . <<<"$entries")" -ne 1 ]; then
        fault "$label: $(grep -c . <<<"$entries") entries \"Velumar - Dichte\" among the installed programs, not 1: $entries"
    elif [ "$(cut -d'|' -f2,3 <<<"$entries")" != "$want_version|Velumar" ]; then
        fault "$label: the installed programs list \"Velumar - Dichte\" as $(cut -d'|' -f2,3 <<<"$entries"), not $want_version|Velumar"
    else
        ok "$label: one entry \"Velumar - Dichte\" $want_version by Velumar among the installed programs"
    fi
}

# expect_removed <label>: nothing of the package is left; the user's files stay.
expect_removed() {
    local label=$1 left
    left=$(cd "$install_dir" 2>/dev/null && find . -mindepth 1 | sed 's|^\./||' | LC_ALL=C sort |
        grep -vxF -f <(printf '%s\n' "${user_files[@]}"))
    if [ -n "$left" ]; then
        fault "$label: left in $install_windows: $(tr '\n' ' ' <<<"$left")"
    else
        ok "$label: $install_windows holds only the user's ${user_files[*]}"
    fi
    if [ -e "$shortcut" ]; then
        fault "$label: the Start-menu shortcut is still there"
    else
        ok "$label: the Start-menu shortcut is gone"
    fi
    if [ -n "$(uninstall_entries)" ]; then
        fault "$label: still among the installed programs: $(uninstall_entries)"
    else
        ok "$label: no longer among the installed programs"
    fi
    local hive
    for hive in HKCU HKLM; do
        if wine reg query "$hive\\Software\\Velumar" >/dev/null 2>&1; then
            fault "$label: $hive\\Software\\Velumar is still in the registry"
        fi
    done
    user_files_unchanged "$label"
}

# Waits up to 10 s for the main window; 0 when it is shown and no box is up.
shown_without_box() {
    local id
    for _ in $(seq 1 50); do
        id=$(main_window)
        [ -n "$id" ] && viewable "$id" && break
        sleep 0.2
    done
    [ -n "$id" ] && viewable "$id" && [ -z "$(other_windows)" ]
}

# start_warned <label>: started from the shortcut, the program reads the user's velu.ini
# beside it and warns about its value in a box "velu" that names the file; after OK its main
# window is shown.
start_warned() {
    local label=$1 text
    wine start "$shortcut_windows" >>"$work/wine.log" 2>&1
    text=$(wine "$window_text" box velu 60 2>>"$work/wine.log")
    if [ -z "$text" ]; then
        fault "$label: no box \"velu\" about the user's velu.ini within 60 s"
    elif grep -qiF "$install_windows\\velu.ini" <<<"$text"; then
        ok "$label: box \"velu\" names $install_windows\\velu.ini: $(head -n1 <<<"$text")"
    else
        fault "$label: box \"velu\" does not name $install_windows\\velu.ini: $text"
    fi
    if shown_without_box; then
        ok "$label: then the main window \"Velumar - Density\" is shown, no further box"
    else
        fault "$label: after the box no main window, or another box: $(other_windows | sed 's/^ *//')"
    fi
    wineserver -k >/dev/null 2>&1
}

# start_listing <label> <Windows path> <list>...: started from that shortcut or program, the
# program shows its main window without a box, and its lists hold these (tab-separated).
start_listing() {
    local label=$1 lists
    wine start "$2" >>"$work/wine.log" 2>&1
    shift 2
    lists=$(wine "$window_text" lists "Velumar - Density" 60 2>>"$work/wine.log" | tr -d '\r')
    if [ -z "$lists" ]; then
        fault "$label: no main window \"Velumar - Density\" with lists within 60 s: $(other_windows | sed 's/^ *//')"
    elif ! shown_without_box; then
        fault "$label: a box came up beside the main window: $(other_windows | sed 's/^ *//')"
    else
        lists_hold "$label: main window without a box" "$lists" "$@"
    fi
    wineserver -k >/dev/null 2>&1
}

# The user's own files: a catalogue of three materials (in the ANSI code page, CRLF) and English
# texts with a comment of their own; later a catalogue whose value is no number.
user_catalogue=$'; Eigener Katalog \xfc\r\n[Dichtewerte]\r\nAnzahl=2\r\ndefault=1\r\nName0=Probe\r\nWert0=1234\r\nName1=Wei\xdfblech\r\nWert1=7280\r\nName2=Wasser\r\nWert2=1000\r\n'
user_materials=$(printf 'Probe\tWeißblech\tWasser')
broken_catalogue=$'; Eigener Katalog \xfc\r\n[Dichtewerte]\r\nAnzahl=1\r\ndefault=1\r\nName0=Probe\r\nWert0=keine Zahl\r\nName1=Wasser\r\nWert1=1000\r\n'
# put_user_files: the user's velu.ini (the text given) and default.ini beside the program.
put_user_files() {
    printf '%s' "$1" >"$work/user-velu.ini"
    { cat "$unpacked/Beispiele/default-en.ini"; printf '; my own texts\r\n'; } >"$work/user-default.ini"
    for name in "${user_files[@]}"; do cp "$work/user-$name" "$install_dir/$name"; done
}

if ((msi_ready)); then
    # A prefix used before may still hold the program: remove it and its folders.
    for code in $(uninstall_entries | cut -d'|' -f1 | sed 's/.*\\//'); do
        wine msiexec /x "$code" /qn >>"$work/msiexec.log" 2>&1
    done
    rm -rf "$install_dir" "$machine_dir"
    for hive in HKCU HKLM; do wine reg delete "$hive\\Software\\Velumar" /f >/dev/null 2>&1; done

    # The same files with a higher version, made the way scripts/package makes the MSI.
    IFS=. read -r major minor patch <<<"$version"
    newer="$major.$minor.$((patch + 1))"
    upgrade="$work/VelumarDichte-$newer-win64.msi"
    if SOURCE_DATE_EPOCH=$(date +%s) packaging/make-msi "$unpacked" build/package/setup/velu_setup.dll \
            "$newer" "$upgrade" >"$work/make-msi.log" 2>&1; then
        if [ "$(msi_property "$upgrade" UpgradeCode)" == "$(msi_property "$msi" UpgradeCode)" ] &&
           [ "$(msi_property "$upgrade" ProductCode)" != "$(msi_property "$msi" ProductCode)" ]; then
            ok "upgrade: $newer has the same upgrade code and its own product code"
        else
            fault "upgrade: $newer must share the upgrade code and have another product code"
        fi
    else
        fault "cannot build the $newer package: $(cat "$work/make-msi.log")"
        upgrade=""
    fi

    # Per user, in German: the first start, the user's files, removal, reinstallation, upgrade.
    if run_msiexec "install" 0 /i "$(winepath -w "$msi_path")"; then
        expect_installed "install" "$version" examples/default.ini
        start_listing "installed, first start" "$shortcut_windows" "$catalogue" "$german_targets"
        put_user_files "$user_catalogue"
        start_listing "installed" "$shortcut_windows" "$user_materials"

        run_msiexec "remove" 0 /x "$(winepath -w "$msi_path")" && expect_removed "remove"

        if run_msiexec "install again" 0 /i "$(winepath -w "$msi_path")"; then
            expect_installed "install again" "$version"
            user_files_unchanged "install again"
        fi
        # From here the user's catalogue has a value that is no number.
        put_user_files "$broken_catalogue"

        if [ -n "$upgrade" ] && run_msiexec "upgrade to $newer" 0 /i "$(winepath -w "$upgrade")"; then
            expect_installed "upgrade to $newer" "$newer"
            user_files_unchanged "upgrade to $newer"
            start_warned "upgraded"
            # The older package must not replace the newer one.
            wine msiexec /i "$(winepath -w "$msi_path")" /qn >>"$work/msiexec.log" 2>&1
            status=$?
            if [ "$status" -ne 0 ] && [ "$(uninstall_entries | cut -d'|' -f2)" == "$newer" ]; then
                ok "downgrade: msiexec /i of $version over $newer refused (exit $status), $newer stays"
            else
                fault "downgrade: $version over $newer ended with $status; installed: $(uninstall_entries)"
            fi
            run_msiexec "remove $newer" 0 /x "$(winepath -w "$upgrade")" && expect_removed "remove $newer"
        fi
    fi
    rm -rf "$install_dir"
    stop

    # Per user, in English: the English texts beside the program, kept after removal.
    export LANG=en_US.UTF-8 LC_ALL=en_US.UTF-8
    if run_msiexec "English: install" 0 /i "$(winepath -w "$msi_path")"; then
        expect_installed "English: install" "$version" examples/default-en.ini
        start_listing "English: installed" "$shortcut_windows" "$catalogue" "$english_targets"
        run_msiexec "English: remove" 0 /x "$(winepath -w "$msi_path")" && expect_removed "English: remove"
    fi
    rm -rf "$install_dir"

    # Per machine: Program Files, HKLM, nothing in the user's profile; an upgrade keeps the
    # company's catalogue; removal.
    per_user=("$install_windows" "$install_dir")
    install_windows=$machine_windows install_dir=$machine_dir
    touch "$work/before-machine"
    if run_msiexec "per machine: install" 0 /i "$(winepath -w "$msi_path")" ALLUSERS=1; then
        expect_installed "per machine: install" "$version" examples/default-en.ini
        written=$(find "$user_profile" -newer "$work/before-machine" -type f ! -path "$shortcut" \
            ! -path "$user_profile/Temp/*" 2>/dev/null | sed "s|^$user_profile/||")
        if [ -z "$written" ] && wine reg query 'HKLM\Software\Velumar\VelumarDichte' >/dev/null 2>&1 &&
           ! wine reg query 'HKCU\Software\Velumar' >/dev/null 2>&1; then
            ok "per machine: install keeps its values under HKLM alone, nothing in $user_windows but Wine's shortcut"
        else
            fault "per machine: install wrote into the user's profile (${written:-no file}) or not under HKLM alone"
        fi
        start_listing "per machine: installed" "$install_windows\\VelumarDichte.exe" "$catalogue"
        put_user_files "$user_catalogue"
        if [ -n "$upgrade" ] && run_msiexec "per machine: upgrade to $newer" 0 /i "$(winepath -w "$upgrade")" ALLUSERS=1; then
            expect_installed "per machine: upgrade to $newer" "$newer"
            user_files_unchanged "per machine: upgrade to $newer"
            start_listing "per machine: upgraded" "$install_windows\\VelumarDichte.exe" "$user_materials"
            run_msiexec "per machine: remove $newer" 0 /x "$(winepath -w "$upgrade")" ALLUSERS=1 &&
                expect_removed "per machine: remove $newer"
        fi
    fi
    rm -rf "$machine_dir"
    install_windows=${per_user[0]} install_dir=${per_user[1]}
    stop
    export LANG=de_DE.UTF-8 LC_ALL=de_DE.UTF-8
fi

# ---------------------------------------------------------------------------------------
# A signed release: scripts/package with a throwaway certificate
# ---------------------------------------------------------------------------------------
signing="$work/signing"
signed="$signing/release"
mkdir -p "$signing"

# signed_by_test <label> <file>: osslsigncode, trusting the throwaway certificate alone,
# finds the file signed by it over the file's bytes as they are, with SHA-256 and the
# product's name, and no web address, since the test gives none (VELU_SIGN_URL).
signed_by_test() {
    local label=$1 file=$2 report problems=()
    if ! report=$(osslsigncode verify -CAfile "$signing/cert.pem" -in "$file" 2>&1); then
        fault "$label: osslsigncode verify fails: $(grep -iE 'fail|error|digest' <<<"$report" | head -n 5)"
        return
    fi
    grep -q 'Signature verification: ok' <<<"$report" || problems+=("no \"Signature verification: ok\"")
    grep -qF 'Subject: /CN=Velumar Testsignatur' <<<"$report" || problems+=("another signer")
    grep -qE '^[[:space:]]*Message digest algorithm *: SHA256' <<<"$report" || problems+=("not SHA-256")
    grep -qF 'Text description: Velumar - Dichte' <<<"$report" || problems+=("no product name")
    grep -qiE 'URL description: *[a-z]+://' <<<"$report" && problems+=("a web address nobody gave: $(grep -i 'URL description' <<<"$report")")
    if ((${#problems[@]})); then
        fault "$label: $(printf '%s; ' "${problems[@]}")"
    else
        ok "$label: signed by the test's certificate, SHA-256, \"Velumar - Dichte\", no web address"
    fi
}

if ! openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Velumar Testsignatur" \
        -addext "extendedKeyUsage=codeSigning" -keyout "$signing/key.pem" -out "$signing/cert.pem" \
        >"$signing/openssl.log" 2>&1 ||
   ! openssl pkcs12 -export -inkey "$signing/key.pem" -in "$signing/cert.pem" \
        -passout pass:Test-Kennwort -out "$signing/sign.pfx" >>"$signing/openssl.log" 2>&1; then
    fault "cannot make a throwaway certificate: $(cat "$signing/openssl.log")"
elif ! env -u VELU_SIGN_TIMESTAMP -u VELU_SIGN_URL VELU_SIGN_PFX="$signing/sign.pfx" VELU_SIGN_PASSWORD=Test-Kennwort \
        scripts/package "$signed" >"$signing/package.log" 2>&1; then
    fault "scripts/package with VELU_SIGN_PFX failed: $(tail -n 5 "$signing/package.log")"
else
    mkdir -p "$signing/zip"
    (cd "$signing/zip" && cmake -E tar xf "$signed/$(basename "$archive")") >/dev/null 2>&1
    signed_exe="$signing/zip/VelumarDichte.exe"
    signed_by_test "signed zip: VelumarDichte.exe" "$signed_exe"
    # Without its signature it is the program as built, byte for byte (the unsigned release's).
    if osslsigncode remove-signature -in "$signed_exe" -out "$signing/stripped.exe" >/dev/null 2>&1 &&
        cmp -s "$signing/stripped.exe" build/package/VelumarDichte.exe; then
        ok "signed zip: VelumarDichte.exe without its signature is the program as built"
    else
        fault "signed zip: VelumarDichte.exe without its signature differs from the program as built"
    fi
    signed_msi="$signed/$(basename "$msi")"
    signed_by_test "signed MSI" "$signed_msi"
    if ((msi_ready)) && run_msiexec "signed: install" 0 /i "$(winepath -w "$signed_msi")"; then
        signed_by_test "signed MSI: installed VelumarDichte.exe" "$install_dir/VelumarDichte.exe"
        start_listing "signed: installed" "$shortcut_windows" "$catalogue"
        run_msiexec "signed: remove" 0 /x "$(winepath -w "$signed_msi")"
        rm -rf "$install_dir"
    fi
    stop
fi

finish
