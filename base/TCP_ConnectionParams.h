#pragma once

#include "base/UECP_IO_ConnectionParams.h"

#include <cstdint>

// Parameters of a TCP connection (kind 1).
class TCP_ConnectionParams : public UECP_IO_ConnectionParams {
public:
    static constexpr int kHostSize = 512;
    static constexpr const char* kDefaultHost = "127.0.0.1";
    static constexpr uint16_t kDefaultPort = 6666;

    // Time-outs 5000 / 3000 / 3000 ms, address 0; host is copied up to 511 characters (a null
    // host counts as empty).
    TCP_ConnectionParams(const char* host = kDefaultHost, uint16_t port = kDefaultPort);
    TCP_ConnectionParams(const TCP_ConnectionParams&) = default;
    TCP_ConnectionParams& operator=(const TCP_ConnectionParams&) = default;

    void CopyFrom(const UECP_IO_ConnectionParams& other) override;
    std::unique_ptr<UECP_IO_ConnectionParams> Clone() const override;

    // Replaces host, truncated to 511 characters.
    void SetHost(const char* text);

    char host[kHostSize] = {};
    // IPv4 address in network byte order; 0 and 0xFFFFFFFF mean "resolve host at open".
    uint32_t address = 0;
    uint16_t port = 0;
};
