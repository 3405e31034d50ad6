#pragma once
// Fakes of the platform services for the portable tests.

#include <map>
#include <string>
#include <vector>

#include "common/services.h"
#include "windows1252.h"

namespace velu::testing {

class RecordingBoxes final : public MessageBoxes {
  public:
    void show(const std::wstring& text, const std::wstring& title, BoxStyle style) override {
        shown.push_back({text, title, style});
    }
    std::vector<Notice> shown;
};

// Files in memory, keyed by full path; every write gives the file a new stamp.
class MemoryFiles final : public FileSystem {
  public:
    std::wstring directory = L"C:\\Programme\\Velumar";

    void write(const std::wstring& path, std::string bytes) {
        files_[path] = {std::move(bytes), ++clock_};
    }
    void writeBeside(const std::wstring& name, std::string bytes) {
        write(directory + L"\\" + name, std::move(bytes));
    }
    void remove(const std::wstring& path) { files_.erase(path); }
    void makeHidden(const std::wstring& path) { hidden_.push_back(path); }

    std::wstring executableDirectory() const override { return directory; }
    std::optional<FileStamp> stamp(const std::wstring& path) const override {
        const auto f = files_.find(path);
        if (f == files_.end()) return std::nullopt;
        return FileStamp{f->second.bytes.size(), f->second.modified};
    }
    std::optional<std::string> readAll(const std::wstring& path) const override {
        const auto f = files_.find(path);
        if (f == files_.end()) return std::nullopt;
        return f->second.bytes;
    }
    bool isOrdinaryFile(const std::wstring& path) const override {
        for (const auto& h : hidden_) {
            if (h == path) return false;
        }
        return files_.count(path) > 0;
    }

  private:
    struct File {
        std::string bytes;
        std::int64_t modified;
    };
    std::map<std::wstring, File> files_;
    std::vector<std::wstring> hidden_;
    std::int64_t clock_ = 0;
};

class FixedLocale final : public Locale {
  public:
    explicit FixedLocale(wchar_t separator = L',') : separator(separator) {}
    wchar_t decimalSeparator() const override { return separator; }
    wchar_t separator;
};

class RecordingProcess final : public Process {
  public:
    void endNow() override { ++ended; }
    int ended = 0;
};

}  // namespace velu::testing
