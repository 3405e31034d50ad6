#pragma once
// The platform services the About box needs beyond the common ones.

#include <cstdint>
#include <string>

namespace velu::about {

// The root key HKEY_LOCAL_MACHINE, as its handle value.
inline constexpr std::uint32_t kLocalMachine = 0x80000002;

// Reading one registry value, the way RegOpenKeyExA and RegQueryValueExA deliver it.
class Registry {
  public:
    enum class Status { Read, KeyNotOpened, ValueNotRead };
    struct Value {
        std::uint32_t type = 0;  // 1 REG_SZ, 4 REG_DWORD, ...
        std::string bytes;       // as many bytes as were delivered
    };
    virtual ~Registry() = default;
    // Opens the key below the root for reading only and reads the value into a buffer of
    // `bufferSize` bytes; a larger value cannot be read.
    virtual Status read(std::uint32_t root, const std::wstring& key, const std::wstring& value,
                        std::size_t bufferSize, Value& delivered) = 0;
};

class Programs {
  public:
    virtual ~Programs() = default;
    // Starts the program file in a normal, activated window without waiting for it; the path
    // is the program file itself, never a command line to be split. False when it fails.
    virtual bool start(const std::wstring& programFile) = 0;
    // The Windows system directory, without a trailing backslash.
    virtual std::wstring systemDirectory() const = 0;
};

}  // namespace velu::about
