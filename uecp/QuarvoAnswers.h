#pragma once

#include "base/UECP_IO_Error.h"

#include <array>
#include <cstdint>
#include <string>

// Decoders of the Zelta module's answers, as plain functions of the answer's bytes (the
// message field of a UECP answer, or the payload of a loader answer). Each checks the size
// first and returns 12 (IDS_ERR_UNEXPECTED_SIZE) without writing its output on a mismatch;
// the version decoders empty their text in every case. A null data pointer counts as size 0.

// 2D 04 4E 53 02 s: s is the module status (1 application, 2 update loader).
UECP_IO_Error DecodeModuleStatus(const uint8_t* data, int size, int& status);

// 2D ?? 4E 53 04 m0..m5: the MAC address in transmission order.
UECP_IO_Error DecodeMacAddress(const uint8_t* data, int size, std::array<uint8_t, 6>& mac);

// 2D ?? 4E 53 09 c0..c4: the bridge version text. c0 is dropped when it is '0'; c1 to c3
// follow; a further '.' when c1 is '.'; then c4. So "01.23" reads 1.23, "1.234" reads 1.23.4.
UECP_IO_Error DecodeBridgeVersion(const uint8_t* data, int size, std::string& text);

// 06 s: done when s is 0.
UECP_IO_Error DecodeLoaderFlashStatus(const uint8_t* data, int size, bool& done);

// 09 c0..c4: the loader version text; c0 is dropped when it is '0', c1 to c4 follow.
UECP_IO_Error DecodeLoaderVersion(const uint8_t* data, int size, std::string& text);
