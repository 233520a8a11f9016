#pragma once

#include "base/FrameData.h"
#include "base/UECP_IO_Error.h"

#include <cstdint>
#include <memory>
#include <vector>

// A request whose frame carries several message elements, each with its own acknowledgement
// code and, optionally, its own answer (UECPMessageHandler::TransactElements).
struct UECPElementsRequest {
    struct Element {
        bool answered = false;
        uint8_t answerMec = 0;
        uint8_t answerCode = 0;
    };

    uint8_t data[256] = {};
    int32_t length = 0;
    uint16_t address = 0;
    int32_t ackMode = -1;
    int32_t timeout = -1;
    std::vector<Element> elements; // one per message element, in frame order

    // Outputs: one result per acknowledged element, and the answers collected in order.
    std::vector<UECP_IO_Error> results;
    std::vector<std::unique_ptr<FrameData>> answers;
};
