// Arbitrary bytes as a profile file, read through the profile reader: string and integer
// lookups of the sections and keys the file names and of the program's own ones.
//
// Invariants: no crash or sanitizer report; a string is at most 255 characters; an integer
// lookup is readInteger32 narrowed to 16 bits, where a value outside -32768..32767 is reported
// as an overflow and gives 0; names are found regardless of the case of ASCII letters and of
// blanks around them; a lookup of an absent file gives the default; the same bytes written
// again (a new stamp) give the same answers; a view keeps the file as it was opened.

#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "config/ini_file.h"
#include "config/profile_decoding.h"
#include "fakes.h"
#include "fuzz_check.h"
#include "windows1252.h"

namespace {

using velu::config::ProfileFile;
using velu::config::ProfileReader;

const std::wstring kPath = L"C:\\Programme\\Velumar\\velu.ini";
const std::wstring kMissing = L"C:\\Programme\\Velumar\\fehlt.ini";
constexpr std::size_t kMaxLookups = 48;

struct Lookup {
    std::wstring section;
    std::wstring key;
};

std::wstring_view trimmed(std::wstring_view text) {
    while (!text.empty() && (text.front() == L' ' || text.front() == L'\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == L' ' || text.back() == L'\t')) text.remove_suffix(1);
    return text;
}

// The section and key names the text itself uses, paired with each other, plus the program's.
std::vector<Lookup> lookupsOf(std::wstring_view text) {
    std::vector<Lookup> lookups = {
        {L"Dichtewerte", L"Anzahl"},
        {L"Dichtewerte", L"default"},
        {L"Dichtewerte", L"Name0"},
        {L"Dichtewerte", L"Wert0"},
        {L"messages", L"AnzahlInfo"},
        {L"", L""},
        {L"", L"key"},
        {L"frmVelumarDichte.cmbAuswahl", L"AnzahlListe"},
    };
    std::wstring section;
    std::size_t pos = 0;
    while (pos < text.size() && lookups.size() < kMaxLookups) {
        std::size_t end = text.find_first_of(L"\r\n", pos);
        if (end == std::wstring_view::npos) end = text.size();
        const std::wstring_view line = trimmed(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty()) continue;
        if (line.front() == L'[') {
            const std::size_t close = line.rfind(L']');
            section = std::wstring(line.substr(
                1, close == std::wstring_view::npos ? std::wstring_view::npos : close - 1));
            lookups.push_back({section, L"Anzahl"});
            continue;
        }
        const std::wstring_view key = line.substr(0, line.find(L'='));
        lookups.push_back({section, std::wstring(key)});
    }
    return lookups;
}

std::wstring upperAscii(std::wstring text) {
    for (auto& c : text) {
        if (c >= L'a' && c <= L'z') c = static_cast<wchar_t>(c - L'a' + L'A');
    }
    return text;
}

bool hasZero(std::wstring_view text) {
    return text.find(L'\0') != std::wstring_view::npos;
}

struct Answers {
    std::vector<std::wstring> strings;
    std::vector<std::int32_t> integers;
};

// The lookups on a view of the file, and on a view of a file that is absent.
Answers ask(const ProfileFile& file, const ProfileFile& missing,
            const std::vector<Lookup>& lookups) {
    Answers answers;
    for (const auto& l : lookups) {
        const std::wstring value = file.INIGetSettingString(l.section, l.key, L"\x1F-");
        FUZZ_CHECK(value.size() <= ProfileFile::kMaxValueLength);
        answers.strings.push_back(value);

        const std::int32_t wide = file.readInteger32(l.section, l.key, 12345);
        answers.integers.push_back(wide);
        const auto narrow = file.INIGetSettingInteger(l.section, l.key, -7);
        const std::int32_t wideDefault = file.readInteger32(l.section, l.key, -7);
        const bool overflow = wideDefault < std::numeric_limits<std::int16_t>::min() ||
                              wideDefault > std::numeric_limits<std::int16_t>::max();
        if (overflow) {
            FUZZ_CHECK(narrow.value == 0);
            FUZZ_CHECK(narrow.overflow == wideDefault);
        } else {
            FUZZ_CHECK(narrow.value == wideDefault);
            FUZZ_CHECK(!narrow.overflow);
        }
        // The default comes back only when there is no value: then both defaults show.
        if (wide == 12345 && wideDefault == -7) FUZZ_CHECK(value == L"\x1F-" || value.empty());

        // Names are compared without regard to ASCII case and blanks around them; a name
        // with a zero character cannot be in the index as it is, so leave those out.
        if (!hasZero(l.section) && !hasZero(l.key)) {
            const std::wstring other = file.INIGetSettingString(
                L" " + upperAscii(l.section) + L"\t", L"\t" + upperAscii(l.key) + L" ", L"\x1F-");
            FUZZ_CHECK(other == value);
        }

        // An absent file gives the default, unchanged (cut to 255 characters).
        FUZZ_CHECK(missing.INIGetSettingString(l.section, l.key, l.key) ==
                   l.key.substr(0, ProfileFile::kMaxValueLength));
        FUZZ_CHECK(missing.readInteger32(l.section, l.key, -99) == -99);
    }
    return answers;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    velu::testing::MemoryFiles files;
    velu::Windows1252 ansi;
    ProfileReader ini(files, ansi);
    files.write(kPath, bytes);

    const std::vector<Lookup> lookups =
        lookupsOf(velu::config::decodeProfileBytes(bytes, ansi).text);
    const ProfileFile first = ini.open(kPath);
    const Answers firstAnswers = ask(first, ini.open(kMissing), lookups);
    FUZZ_CHECK(ini.parseCount() == 1);
    FUZZ_CHECK(first.encoding().has_value());

    // The same bytes with a new stamp: parsed again, the same answers.
    files.write(kPath, bytes);
    const Answers second = ask(ini.open(kPath), ini.open(kMissing), lookups);
    FUZZ_CHECK(ini.parseCount() == 2);
    FUZZ_CHECK(firstAnswers.strings == second.strings);
    FUZZ_CHECK(firstAnswers.integers == second.integers);

    // A view keeps the file as it was opened, even when the file changes meanwhile.
    files.write(kPath, "[x]\r\ny=1\r\n");
    const Answers pinned = ask(first, ini.open(kMissing), lookups);
    FUZZ_CHECK(pinned.strings == firstAnswers.strings);
    FUZZ_CHECK(ini.parseCount() == 2);
    return 0;
}
