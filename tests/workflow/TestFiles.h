#pragma once

#include <QTemporaryDir>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

// A fresh temporary directory for one test, removed afterwards.
class TempDir {
public:
    std::string Path() const { return dir_.path().toStdString(); }
    std::string File(const std::string& name) const {
        return (std::filesystem::path(Path()) / name).string();
    }

    std::string Write(const std::string& name, const std::string& bytes) const {
        const std::string path = File(name);
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // A directory under a file's name: a path that exists but cannot be read as a file, even by
    // a user whom file modes do not stop.
    std::string MakeDirectory(const std::string& name) const {
        const std::string path = File(name);
        std::filesystem::create_directory(path);
        return path;
    }

private:
    QTemporaryDir dir_;
};

inline std::string ReadAll(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
