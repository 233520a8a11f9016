#include "base/TCP_ConnectionParams.h"

#include <cstring>

TCP_ConnectionParams::TCP_ConnectionParams(const char* hostText, uint16_t portNumber) {
    kind = kKindTcp;
    connectTimeout = 5000;
    readTimeout = 3000;
    sendTimeout = 3000;
    SetHost(hostText);
    port = portNumber;
}

void TCP_ConnectionParams::SetHost(const char* text) {
    std::memset(host, 0, sizeof(host));
    if (text != nullptr) {
        std::strncpy(host, text, kHostSize - 1);
    }
}

void TCP_ConnectionParams::CopyFrom(const UECP_IO_ConnectionParams& other) {
    UECP_IO_ConnectionParams::CopyFrom(other);
    if (other.kind != kind) {
        return;
    }
    if (const auto* tcp = dynamic_cast<const TCP_ConnectionParams*>(&other)) {
        if (tcp != this) {
            std::memcpy(host, tcp->host, sizeof(host));
            host[kHostSize - 1] = '\0';
        }
        address = tcp->address;
        port = tcp->port;
    }
}

std::unique_ptr<UECP_IO_ConnectionParams> TCP_ConnectionParams::Clone() const {
    auto copy = std::make_unique<TCP_ConnectionParams>(kDefaultHost, kDefaultPort);
    copy->CopyFrom(*this);
    return copy;
}
