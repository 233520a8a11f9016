#include "workflow/UpdateLog.h"

#include "TestFiles.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(UpdateLog, WritesTheThreeLineKindsByteForByte) {
    TempDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.OpenLog(dir.Path()));
    EXPECT_EQ(log.Path(), dir.File("ZeltaUpdaterLog.txt"));

    const std::uint8_t frame[] = {0xFE, 0x01, 0x0A, 0x2D, 0xFF};
    const std::uint8_t single[] = {0x0F};
    log.WriteLine("Connection opened successfully!");
    log.WriteErrorLine("Update operation failed!", {9, 5, 7, 42});
    log.WriteLine("Gr\xC3\xBC\xC3\x9F"
                  "e");
    log.WriteFrameLine(frame, sizeof frame, FrameDirection::Sent, {23, 59, 59, 999});
    log.WriteFrameLine(single, sizeof single, FrameDirection::Received, {0, 0, 0, 0});

    // Each line is flushed as it is written: the file holds them while the log is still open.
    EXPECT_EQ(ReadAll(log.Path()), "Connection opened successfully!\r\n"
                                   "[09:05:07.042] Update operation failed!\r\n"
                                   "Gr\xC3\xBC\xC3\x9F"
                                   "e\r\n"
                                   "[23:59:59.999] -> FE,01,0A,2D,FF\r\n"
                                   "[00:00:00.000] <- 0F\r\n");
}

TEST(UpdateLog, LifeOfTheFile) {
    TempDir dir;
    UpdateLog log;
    log.RemoveFile(); // nothing opened yet: no effect
    log.WriteLine("dropped before the first open");

    ASSERT_TRUE(log.OpenLog(dir.Path()));
    log.WriteLine("first run");
    ASSERT_TRUE(log.OpenLog(dir.Path())); // a new run starts the file empty
    log.WriteLine("second run");
    log.Close();
    log.WriteLine("dropped while closed");
    EXPECT_FALSE(log.IsOpen());
    EXPECT_EQ(ReadAll(log.Path()), "second run\r\n");

    log.RemoveFile();
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
    log.RemoveFile(); // already gone: no effect

    // A directory that does not exist: the log stays unusable and drops every line.
    EXPECT_FALSE(log.OpenLog(dir.File("missing")));
    EXPECT_FALSE(log.IsOpen());
    log.WriteErrorLine("dropped");
    EXPECT_FALSE(std::filesystem::exists(log.Path()));
}

TEST(UpdateLog, LinesFromTwoThreadsStayWhole) {
    TempDir dir;
    UpdateLog log;
    ASSERT_TRUE(log.OpenLog(dir.Path()));

    const std::string progress(300, 'p');
    const std::vector<std::uint8_t> frame(100, 0xAB);
    const LogTime stamp{12, 34, 56, 789};
    std::string frameLine = "[12:34:56.789] <- AB";
    for (std::size_t i = 1; i < frame.size(); ++i) {
        frameLine += ",AB";
    }
    constexpr int kLines = 2000;

    std::thread worker([&] {
        for (int i = 0; i < kLines; ++i) {
            log.WriteLine(progress);
        }
    });
    for (int i = 0; i < kLines; ++i) {
        log.WriteFrameLine(frame.data(), frame.size(), FrameDirection::Received, stamp);
    }
    worker.join();
    log.Close();

    const std::string text = ReadAll(log.Path());
    int progressLines = 0;
    int frameLines = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t end = text.find("\r\n", pos);
        ASSERT_NE(end, std::string::npos) << "unterminated line at " << pos;
        const std::string line = text.substr(pos, end - pos);
        if (line == progress) {
            ++progressLines;
        } else if (line == frameLine) {
            ++frameLines;
        } else {
            FAIL() << "mixed line: " << line.substr(0, 60);
        }
        pos = end + 2;
    }
    EXPECT_EQ(progressLines, kLines);
    EXPECT_EQ(frameLines, kLines);
}

TEST(ChooseLogDirectory, BesideTheProgramElseThePerUserDirectory) {
    TempDir program;
    TempDir user;
    EXPECT_EQ(ChooseLogDirectory(program.Path(), user.File("fallback")), program.Path());

    // A program "directory" that is a file cannot take the log.
    const std::string notADirectory = program.Write("file", "x");
    const std::string fallback = user.File("Orbel/ZeltaUpdater");
    EXPECT_EQ(ChooseLogDirectory(notADirectory, fallback), fallback);
    EXPECT_TRUE(std::filesystem::is_directory(fallback));

    UpdateLog log;
    EXPECT_TRUE(log.OpenLog(fallback));
}

} // namespace
