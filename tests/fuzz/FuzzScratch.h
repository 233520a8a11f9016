#pragma once

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

// Aborts the fuzz run (which libFuzzer reports as a crash with its input) when a property fails.
inline void Require(bool condition) {
    if (!condition) {
        std::abort();
    }
}

// A private directory for the files one fuzz process writes, removed when the process ends.
class FuzzScratch {
public:
    static FuzzScratch& Instance() {
        static FuzzScratch scratch;
        return scratch;
    }

    const std::filesystem::path& Path() const { return path_; }

    // Writes size bytes to the file name in the directory, replacing what was there.
    std::filesystem::path Write(const std::string& name, const void* bytes, std::size_t size) {
        const auto file = path_ / name;
        std::ofstream out(file, std::ios::binary | std::ios::trunc);
        out.write(static_cast<const char*>(bytes), static_cast<std::streamsize>(size));
        Require(static_cast<bool>(out));
        return file;
    }

private:
    FuzzScratch() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "zelta-fuzz-XXXXXX").string();
        Require(mkdtemp(pattern.data()) != nullptr);
        path_ = pattern;
    }
    ~FuzzScratch() {
        std::error_code error;
        std::filesystem::remove_all(path_, error);
    }

    std::filesystem::path path_;
};
