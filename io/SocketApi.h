#pragma once

#include <cstdint>

// The one place that talks to the operating system's socket interface. Everything above it
// (the TCP transport, the simulator, the tests' servers) uses only these calls, so that another
// platform needs only another SocketApi.cpp. IPv4 TCP only; addresses are in network byte
// order, ports in host byte order. All stream sockets made here are non-blocking, send without
// delay (TCP_NODELAY) and never raise a signal on a broken connection.
class SocketApi {
public:
#ifdef _WIN32
    using Handle = std::uintptr_t;
#else
    using Handle = int;
#endif
    static constexpr Handle kInvalid = static_cast<Handle>(-1);

    // Results of Send and Recv besides a byte count.
    static constexpr int kWouldBlock = -1;
    static constexpr int kFailed = -2;

    enum class Result {
        Ready,    // done, or the awaited condition holds
        Pending,  // under way (a connect)
        Woken,    // the wake-up was signalled
        TimedOut, // the time passed first
        Failed    // the socket (or the wait itself) failed
    };

    // An object that another thread signals to end a wait early. It stays signalled until
    // Reset.
    class Wakeup {
    public:
        Wakeup();
        ~Wakeup();
        Wakeup(const Wakeup&) = delete;
        Wakeup& operator=(const Wakeup&) = delete;

        bool IsValid() const;
        void Signal();
        void Reset();

    private:
        friend class SocketApi;
#ifdef _WIN32
        void* event_ = nullptr;
#else
        int readFd_ = -1;
        int writeFd_ = -1;
#endif
    };

    // Process-wide start-up and clean-up of the socket layer (nothing to do on POSIX).
    static void Startup();
    static void Cleanup();

    // Asks the resolver for host and takes its first IPv4 address.
    static bool ResolveIPv4(const char* host, std::uint32_t& address);
    // Parses a dotted IPv4 address; 255.255.255.255 when the text is not one.
    static std::uint32_t ParseDottedIPv4(const char* text);

    // A new IPv4 stream socket, or kInvalid.
    static Handle OpenStream();
    // Starts a connect: Ready when it completed at once, Pending when it is under way (finish
    // with WaitConnected), Failed otherwise.
    static Result StartConnect(Handle s, std::uint32_t address, std::uint16_t port);
    // Waits for a started connect for at most timeoutMs; Woken when wake (may be null) fired.
    static Result WaitConnected(Handle s, Wakeup* wake, std::uint32_t timeoutMs);

    // Bytes handed to the socket (at least 1), kWouldBlock or kFailed.
    static int Send(Handle s, const std::uint8_t* data, int len);
    // Bytes received (at least 1), 0 when the peer has closed, kWouldBlock or kFailed.
    static int Recv(Handle s, std::uint8_t* buf, int size);

    // Waits until Recv would not block (data, end of stream or an error is pending) or wake
    // (may be null) is signalled. timeoutMs < 0 waits without limit.
    static Result WaitReadable(Handle s, Wakeup* wake, int timeoutMs);
    // Waits until the socket can take more bytes; Failed when the connection is broken.
    static Result WaitWritable(Handle s, int timeoutMs);

    static void ShutdownSend(Handle s);
    static void ShutdownBoth(Handle s);
    static void Close(Handle s);
    // Closes so that the peer sees a reset instead of an orderly end.
    static void CloseWithReset(Handle s);

    // Server side (simulator and tests): a non-blocking listener on address:port (port 0
    // picks a free one), the port it got, and the next pending connection or kInvalid.
    static Handle Listen(std::uint32_t address, std::uint16_t port, int backlog);
    static std::uint16_t LocalPort(Handle s);
    static Handle Accept(Handle listener);

    // 127.0.0.1 in network byte order.
    static std::uint32_t LoopbackAddress();
};
