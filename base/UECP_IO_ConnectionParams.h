#pragma once

#include <cstdint>
#include <memory>

class UECP_IO;

// Called when an asynchronous open has finished: event is always 1, code is the open result.
using UECP_IO_OpenCallback = void (*)(UECP_IO* transport, int event, int code, void* context);

// Connection parameters common to every transport. Each transport keeps its own copy, made with
// Clone.
class UECP_IO_ConnectionParams {
public:
    static constexpr int32_t kKindBase = 0;
    static constexpr int32_t kKindTcp = 1;

    virtual ~UECP_IO_ConnectionParams() = default;

    // Copies the time-outs, asyncOpen and the callback with its context; a subclass also copies
    // its own fields when other is of the same kind.
    virtual void CopyFrom(const UECP_IO_ConnectionParams& other);

    // A new object of the same concrete kind, default-constructed, then CopyFrom(*this).
    virtual std::unique_ptr<UECP_IO_ConnectionParams> Clone() const = 0;

    int32_t kind = kKindBase;
    uint32_t connectTimeout = 1000; // ms
    uint32_t readTimeout = 1000;    // ms; also bounds the drain at a graceful close
    uint32_t sendTimeout = 1000;    // ms
    bool asyncOpen = false;
    UECP_IO_OpenCallback openCallback = nullptr;
    void* callbackContext = nullptr;

protected:
    UECP_IO_ConnectionParams() = default;
    UECP_IO_ConnectionParams(const UECP_IO_ConnectionParams&) = default;
    UECP_IO_ConnectionParams& operator=(const UECP_IO_ConnectionParams&) = default;
};
