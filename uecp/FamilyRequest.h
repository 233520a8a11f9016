#pragma once

#include "uecp/UECPMessage.h"

#include <cstdint>

// Fills a manufacturer-specific request of a host device family: 2D <n> s0 s1 code params...,
// where n counts the bytes after it. count is at most UECPMessage::kDataSize - 5. The
// acknowledgement is awaited (ackMode -1) and no answer is expected until the caller says so.
void FillFamilyRequest(UECPMessage& message, uint8_t set0, uint8_t set1, uint8_t code,
                       const uint8_t* params, int count, uint16_t address);

// The same, waiting also for the answer with MEC 0x2D and the given answer code.
void FillFamilyQuery(UECPMessage& message, uint8_t set0, uint8_t set1, uint8_t code,
                     uint8_t answerCode, const uint8_t* params, int count, uint16_t address);
