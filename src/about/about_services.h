#pragma once
// The services the About box works with: the common ones, and the registry and program
// start it needs beyond them.

#include <cstdint>
#include <functional>
#include <string>

#include "common/services.h"
#include "config/ini_file.h"

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

struct AboutServices {
    MessageBoxes& boxes;  // boxes that belong to the About box
    const FileSystem& files;
    const AnsiCodePage& ansi;
    config::ProfileReader& profiles;
    Registry& registry;
    Programs& programs;
    std::function<void()> show;    // shows the box, non-modal and without owner
    std::function<void()> unload;  // closes the box and discards it
};

}  // namespace velu::about
