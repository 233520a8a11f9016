#pragma once

#include "workflow/FirmwareImage.h"

#include <functional>
#include <optional>
#include <string>

// Asks the operator for a firmware file, starting in initialDirectory. Returns the chosen full
// path, or nothing when the operator cancelled.
using FirmwarePathPrompt =
    std::function<std::optional<std::string>(const std::string& initialDirectory)>;

enum class FirmwareChoice {
    Inspected, // info.path names a file and the other fields describe it
    Cancelled, // the operator cancelled the prompt: the program ends without an update
};

// The one "*.bin" file (extension in any case, regular files only) in directory, as a full path;
// empty when there is none or more than one.
std::string FindSingleFirmwareFile(const std::string& directory);

// Version and family from the file name (without directory and extension), for images that do
// not carry their version: the text after the last "V" or "v" with a leading "0" dropped and at
// most two "_" turned into ".", or "???" without a "V"; the family from "BRN" or "FND" written
// in capitals, else Wenlo.
void ApplyFileNameFallback(const std::string& baseName, FirmwareFileInfo& info);

// Chooses the firmware file and inspects it. Keeps info.path when it is set; otherwise takes the
// single "*.bin" in programDirectory, or asks through prompt. Then fills version ("???" when
// unknown, followed by " (<file name>)"), netOsVersion ("???" when unknown) and deviceType.
FirmwareChoice ChooseFirmwareFile(FirmwareFileInfo& info, const std::string& programDirectory,
                                  const FirmwarePathPrompt& prompt);
