#include "workflow/UpdateLog.h"

#include "workflow/Utf8Path.h"

#include <QDir>
#include <QStandardPaths>
#include <QTemporaryFile>
#include <QTime>

#include <cstdio>
#include <filesystem>
#include <system_error>

LogTime LogTime::Now() {
    const QTime now = QTime::currentTime();
    return {now.hour(), now.minute(), now.second(), now.msec()};
}

UpdateLog::~UpdateLog() {
    Close();
}

bool UpdateLog::OpenLog(const std::string& directory) {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) {
        stream_.close();
    }
    stream_.clear();
    const std::filesystem::path path = PathFromUtf8(directory) / kFileName;
    path_ = Utf8FromPath(path);
    stream_.open(path, std::ios::binary | std::ios::out | std::ios::trunc);
    return stream_.is_open();
}

void UpdateLog::Close() {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) {
        stream_.close();
    }
}

bool UpdateLog::IsOpen() const {
    std::lock_guard lock(mutex_);
    return stream_.is_open();
}

std::string UpdateLog::Path() const {
    std::lock_guard lock(mutex_);
    return path_;
}

void UpdateLog::RemoveFile() {
    std::lock_guard lock(mutex_);
    if (stream_.is_open()) {
        stream_.close();
    }
    if (!path_.empty()) {
        std::error_code error;
        std::filesystem::remove(PathFromUtf8(path_), error);
    }
}

void UpdateLog::WriteLine(std::string_view text) {
    WriteRaw(std::string(text));
}

void UpdateLog::WriteErrorLine(std::string_view text, const LogTime& time) {
    WriteRaw(FormatTime(time) + " " + std::string(text));
}

void UpdateLog::WriteFrameLine(const std::uint8_t* bytes, std::size_t length,
                               FrameDirection direction, const LogTime& time) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string line = FormatTime(time);
    line += direction == FrameDirection::Sent ? " -> " : " <- ";
    line.reserve(line.size() + length * 3);
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0) {
            line += ',';
        }
        line += kHex[bytes[i] >> 4];
        line += kHex[bytes[i] & 0x0F];
    }
    WriteRaw(line);
}

std::string UpdateLog::FormatTime(const LogTime& time) {
    char text[32];
    std::snprintf(text, sizeof text, "[%02d:%02d:%02d.%03d]", time.hour, time.minute, time.second,
                  time.millisecond);
    return text;
}

void UpdateLog::WriteRaw(const std::string& line) {
    std::lock_guard lock(mutex_);
    if (!stream_.is_open() || !stream_.good()) {
        return;
    }
    stream_.write(line.data(), static_cast<std::streamsize>(line.size()));
    stream_.write("\r\n", 2);
    stream_.flush();
}

std::string ChooseLogDirectory(const std::string& programDirectory,
                               const std::string& fallbackDirectory) {
    // Probing with a real file is the only check that holds for every platform's permissions.
    QTemporaryFile probe(
        QDir(QString::fromStdString(programDirectory)).filePath("logprobe-XXXXXX"));
    if (!programDirectory.empty() && probe.open()) {
        return programDirectory;
    }
    QDir().mkpath(QString::fromStdString(fallbackDirectory));
    return fallbackDirectory;
}

std::string PerUserDataDirectory() {
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation).toStdString();
}
