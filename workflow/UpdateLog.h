#pragma once

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

// Local time of day as the log stamps it.
struct LogTime {
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;

    static LogTime Now();
};

enum class FrameDirection : int {
    Received = 0, // " <- "
    Sent = 1,     // " -> "
};

// The diagnostic log of one run, "ZeltaUpdaterLog.txt". Every line ends with CR LF and is
// flushed at once. Lines may come from several threads; each is written whole. While the log is
// closed, or when its file could not be created, lines are dropped.
class UpdateLog {
public:
    static constexpr const char* kFileName = "ZeltaUpdaterLog.txt";

    UpdateLog() = default;
    ~UpdateLog();
    UpdateLog(const UpdateLog&) = delete;
    UpdateLog& operator=(const UpdateLog&) = delete;

    // Closes the log if open and starts it empty in directory. False when the file cannot be
    // created; the path is set either way.
    bool OpenLog(const std::string& directory);
    void Close();
    bool IsOpen() const;

    // Full path of the file of the last OpenLog; empty before the first.
    std::string Path() const;

    // Closes the log and deletes its file. A file that was never created is no error.
    void RemoveFile();

    // A progress line: the text as it stands.
    void WriteLine(std::string_view text);

    // An error line: "[hh:mm:ss.mmm] " followed by the text.
    void WriteErrorLine(std::string_view text, const LogTime& time = LogTime::Now());

    // A frame line: "[hh:mm:ss.mmm]", " -> " or " <- ", then every byte as two upper-case hex
    // digits, separated by ",".
    void WriteFrameLine(const std::uint8_t* bytes, std::size_t length, FrameDirection direction,
                        const LogTime& time = LogTime::Now());

    static std::string FormatTime(const LogTime& time);

private:
    void WriteRaw(const std::string& line);

    mutable std::mutex mutex_;
    std::ofstream stream_;
    std::string path_;
};

// Where the log goes: programDirectory when a file can be created there, else
// fallbackDirectory (created when missing).
std::string ChooseLogDirectory(const std::string& programDirectory,
                               const std::string& fallbackDirectory);

// The per-user data directory of the program (organisation and application name as the
// application object sets them).
std::string PerUserDataDirectory();
