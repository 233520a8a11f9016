#include "workflow/FirmwareImage.h"

#include "workflow/Utf8Path.h"

#include <cstring>
#include <filesystem>
#include <fstream>
#include <new>
#include <stdexcept>
#include <string_view>
#include <system_error>
#include <vector>

namespace {

// Markers as stored in the images, without their terminating zero.
constexpr std::string_view kNetWorksBanner = "NET+WORKS Version %s";
constexpr std::string_view kNetOsBanner = "NetOS:    %s";
constexpr std::string_view kDeviceMarker = "DEVICE: ";
constexpr std::string_view kOldDeviceMarker = "Device:";
constexpr std::string_view kVersionMarker = "Version: ";
constexpr std::string_view kVersionFormat = "%c.%c%c.%c";

// Distances from a marker to the text that follows it in the accepted images. They belong to the
// image format and are not derived from the marker lengths.
constexpr std::size_t kNetWorksVersionOffset = 26;
constexpr std::size_t kNetWorksMinimumTail = 30;
constexpr std::size_t kNetOsVersionOffset = 16;
constexpr std::size_t kNetOsMinimumTail = 20;
constexpr std::size_t kDeviceCodeOffset = 12;
constexpr std::size_t kVersionTextOffset = 12;
constexpr std::size_t kFormatVersionOffset = 12;

// Bounds-checked view of the image: every read beyond the end counts as not matching.
class ImageView {
public:
    ImageView(const std::uint8_t* bytes, std::size_t length) : bytes_(bytes), length_(length) {}

    std::size_t Length() const { return length_; }

    std::optional<std::size_t> Find(std::string_view marker, std::size_t from = 0) const {
        if (from > length_) {
            return std::nullopt;
        }
        const auto found =
            FindBytes(bytes_ + from, length_ - from,
                      reinterpret_cast<const std::uint8_t*>(marker.data()), marker.size());
        if (!found) {
            return std::nullopt;
        }
        return from + *found;
    }

    bool IsByte(std::size_t pos, std::uint8_t value) const {
        return pos < length_ && bytes_[pos] == value;
    }

    bool IsDigit(std::size_t pos) const {
        return pos < length_ && bytes_[pos] >= '0' && bytes_[pos] <= '9';
    }

    bool HasAt(std::size_t pos, std::string_view text) const {
        return pos <= length_ && length_ - pos >= text.size() &&
               std::memcmp(bytes_ + pos, text.data(), text.size()) == 0;
    }

    // The text from pos up to the next zero byte or the end of the image.
    std::string TextAt(std::size_t pos) const {
        if (pos >= length_) {
            return {};
        }
        const auto* begin = reinterpret_cast<const char*>(bytes_ + pos);
        const void* zero = std::memchr(begin, 0, length_ - pos);
        const std::size_t size = zero ? static_cast<const char*>(zero) - begin : length_ - pos;
        return std::string(begin, size);
    }

    std::string Slice(std::size_t pos, std::size_t size) const {
        return std::string(reinterpret_cast<const char*>(bytes_ + pos), size);
    }

private:
    const std::uint8_t* bytes_;
    std::size_t length_;
};

std::string DropLeadingZero(std::string version) {
    if (!version.empty() && version.front() == '0') {
        version.erase(0, 1);
    }
    return version;
}

// A version text is taken only where its first and fifth characters are digits.
bool VersionDigitsAt(const ImageView& image, std::size_t pos) {
    return image.IsDigit(pos) && image.IsDigit(pos + 4);
}

// "04.10", three zero bytes, CR LF, then the banner at p.
bool BannerVersionBefore(const ImageView& image, std::size_t p) {
    return p > 10 && image.IsDigit(p - 10) && image.IsDigit(p - 6) && image.IsByte(p - 5, 0) &&
           image.IsByte(p - 4, 0) && image.IsByte(p - 3, 0) && image.IsByte(p - 2, '\r') &&
           image.IsByte(p - 1, '\n');
}

} // namespace

std::optional<std::size_t> FindBytes(const std::uint8_t* buffer, std::size_t length,
                                     const std::uint8_t* pattern, std::size_t patternLength) {
    if (patternLength == 0 || length <= patternLength) {
        return std::nullopt;
    }
    for (std::size_t pos = 0; pos < length - patternLength; ++pos) {
        if (std::memcmp(buffer + pos, pattern, patternLength) == 0) {
            return pos;
        }
    }
    return std::nullopt;
}

bool InspectFirmwareBytes(const std::uint8_t* bytes, std::size_t length, FirmwareFileInfo& info) {
    const ImageView image(bytes, length);
    bool found = false;

    if (const auto p = image.Find(kNetWorksBanner)) {
        if (BannerVersionBefore(image, *p)) {
            info.version = DropLeadingZero(image.Slice(*p - 10, 5));
            found = true;
        }
        if (*p + kNetWorksMinimumTail <= length) {
            info.netOsVersion = image.TextAt(*p + kNetWorksVersionOffset);
        }
    } else if (const auto q = image.Find(kNetOsBanner)) {
        if (*q + kNetOsMinimumTail <= length) {
            info.netOsVersion = image.TextAt(*q + kNetOsVersionOffset);
        }
    }

    if (const auto d = image.Find(kDeviceMarker)) {
        const std::size_t code = *d + kDeviceCodeOffset;
        if (image.HasAt(code, "PLM")) {
            info.deviceType = kFirmwareFamilyWenlo;
        } else if (image.HasAt(code, "BRN")) {
            info.deviceType = kFirmwareFamilyBRN;
        }
        if (!found) {
            if (const auto v = image.Find(kVersionMarker, *d)) {
                const std::size_t t = *v + kVersionTextOffset;
                if (VersionDigitsAt(image, t)) {
                    info.version = DropLeadingZero(image.TextAt(t));
                    found = true;
                } else if (image.TextAt(t) == kVersionFormat &&
                           VersionDigitsAt(image, t + kFormatVersionOffset)) {
                    info.version = DropLeadingZero(image.TextAt(t + kFormatVersionOffset));
                    found = true;
                }
            }
        }
    } else if (const auto d = image.Find(kOldDeviceMarker)) {
        std::size_t code = *d + kOldDeviceMarker.size();
        while (code < length && (image.IsByte(code, ' ') || image.IsByte(code, 0))) {
            ++code;
        }
        if (image.HasAt(code, "PLM")) {
            info.deviceType = kFirmwareFamilyWenlo;
        } else if (image.HasAt(code, "BRN")) {
            info.deviceType = kFirmwareFamilyBRN;
        } else if (image.HasAt(code, "FND")) {
            info.deviceType = kFirmwareFamilyFND;
        }
        if (!found) {
            if (const auto f = image.Find(kVersionFormat, *d)) {
                const std::size_t t = *f + kFormatVersionOffset;
                if (VersionDigitsAt(image, t)) {
                    info.version = DropLeadingZero(image.TextAt(t));
                    found = true;
                }
            }
        }
    }
    return found;
}

bool InspectFirmwareImage(FirmwareFileInfo& info) {
    const std::filesystem::path path = PathFromUtf8(info.path);
    std::error_code error;
    // Only regular files are read: a device or a pipe given as the firmware could block forever.
    if (info.path.empty() || !std::filesystem::is_regular_file(path, error)) {
        return false;
    }
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        return false;
    }
    std::vector<std::uint8_t> bytes;
    try {
        const auto size = std::filesystem::file_size(path, error);
        if (!error) {
            bytes.resize(static_cast<std::size_t>(size));
        }
    } catch (const std::bad_alloc&) {
        return false;
    } catch (const std::length_error&) {
        return false;
    }
    file.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    // The inspected length is what was actually read.
    bytes.resize(static_cast<std::size_t>(file.gcount()));
    return InspectFirmwareBytes(bytes.data(), bytes.size(), info);
}
