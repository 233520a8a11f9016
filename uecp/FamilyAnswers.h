#pragma once

#include "base/UECP_IO_Error.h"

#include <cstdint>
#include <string>

// Decoders of the host devices' answers, as plain functions of the answer's message field
// (2D <n> s0 s1 code data...). Each checks the size first and returns 12
// (IDS_ERR_UNEXPECTED_SIZE) without writing its output on a mismatch. A null data pointer
// counts as size 0.

// The bytes up to the first zero byte (all of them when there is none).
std::string TextUpToZero(const uint8_t* bytes, int count);

// BRN parameter answer 2D .. 51 42 55 idH idL count data...: exactly count + 8 bytes; copies
// count bytes from index 8 into buffer.
UECP_IO_Error DecodeBrnParameter(const uint8_t* data, int size, int count, uint8_t* buffer);

// The BRN firmware version number as text: up to 999 "%d.%02d" of v / 100 and v % 100
// (205 reads 2.05), above that "%d.%02d.%d" of v / 1000, (v % 1000) / 10 and v % 10
// (1234 reads 1.23.4).
std::string BrnFirmwareVersionText(uint16_t v);

// BRN word answer 2D .. 51 42 B1 hi lo ...: exactly requiredSize bytes; value := hi << 8 | lo.
UECP_IO_Error DecodeBrnWord(const uint8_t* data, int size, int requiredSize, uint16_t& value);

// The answer code a Wenlo request waits for: 0x46 for code 0x48 with a length of 2, otherwise
// the request's own code.
uint8_t WenloAnswerCode(uint8_t code, int length);

// A Wenlo answer's data: the bytes from index 5 (from index 6 for code 0xCE). On entry length
// is the room in buffer; when the data fit they are copied and length becomes their number,
// otherwise the result is 12 and neither buffer nor length changes.
UECP_IO_Error DecodeWenloAnswer(uint8_t code, const uint8_t* data, int size, uint8_t* buffer,
                                int& length);

// A Wenlo text of length bytes: it must hold exactly expected bytes (any number when expected
// is -1); text := the bytes up to the first zero byte.
UECP_IO_Error DecodeWenloText(const uint8_t* bytes, int length, int expected, std::string& text);

// An FND text answer 2D .. 4D 49 code c0..: exactly chars + 5 bytes; text := the chars bytes
// from index 5, zero bytes included.
UECP_IO_Error DecodeFndText(const uint8_t* data, int size, int chars, std::string& text);
