#include "io/SocketApi.h"

#ifndef _WIN32

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace {

bool SetNonBlocking(int fd) {
    const int flags = fcntl(fd, F_GETFL, 0);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

bool SetCloseOnExec(int fd) {
    const int flags = fcntl(fd, F_GETFD, 0);
    return flags >= 0 && fcntl(fd, F_SETFD, flags | FD_CLOEXEC) == 0;
}

// Sets the options that every stream socket of the program carries.
bool PrepareStream(int fd) {
    const int one = 1;
    if (!SetNonBlocking(fd) || !SetCloseOnExec(fd))
        return false;
    // Every request is one small frame; it must not wait for the previous one's ACK.
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
#ifdef SO_NOSIGPIPE
    setsockopt(fd, SOL_SOCKET, SO_NOSIGPIPE, &one, sizeof one);
#endif
    return true;
}

#ifdef MSG_NOSIGNAL
constexpr int kSendFlags = MSG_NOSIGNAL;
#else
constexpr int kSendFlags = 0;
#endif

bool WouldBlock(int err) {
    return err == EAGAIN || err == EWOULDBLOCK || err == EINTR;
}

sockaddr_in MakeAddress(std::uint32_t address, std::uint16_t port) {
    sockaddr_in sa{};
    sa.sin_family = AF_INET;
    sa.sin_addr.s_addr = address;
    sa.sin_port = htons(port);
    return sa;
}

// poll() on the socket and, when given, the wake-up's read end. Returns the socket's events,
// -1 when the wake-up fired, -2 on time-out and -3 when poll itself failed. A poll that a
// signal interrupts goes on for what is left of timeoutMs (negative: no limit).
int PollWith(int fd, short events, int wakeFd, int timeoutMs) {
    pollfd fds[2] = {{fd, events, 0}, {wakeFd, POLLIN, 0}};
    const nfds_t n = wakeFd >= 0 ? 2 : 1;
    const auto deadline =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(std::max(timeoutMs, 0));
    int left = timeoutMs;
    int r;
    for (;;) {
        r = poll(fds, n, left);
        if (r >= 0 || errno != EINTR)
            break;
        if (timeoutMs >= 0) {
            const auto rest = std::chrono::ceil<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            left = static_cast<int>(std::max<std::chrono::milliseconds::rep>(rest.count(), 0));
        }
    }
    if (r < 0)
        return -3;
    if (r == 0)
        return -2;
    if (n == 2 && (fds[1].revents & POLLIN))
        return -1;
    return fds[0].revents;
}

} // namespace

SocketApi::Wakeup::Wakeup() {
    int fds[2];
    if (pipe(fds) != 0)
        return;
    for (int fd : fds) {
        SetNonBlocking(fd);
        SetCloseOnExec(fd);
    }
    readFd_ = fds[0];
    writeFd_ = fds[1];
}

SocketApi::Wakeup::~Wakeup() {
    if (readFd_ >= 0)
        close(readFd_);
    if (writeFd_ >= 0)
        close(writeFd_);
}

bool SocketApi::Wakeup::IsValid() const {
    return readFd_ >= 0;
}

void SocketApi::Wakeup::Signal() {
    if (writeFd_ < 0)
        return;
    const char one = 1;
    // A full pipe is already signalled; nothing else can go wrong here.
    [[maybe_unused]] ssize_t n = write(writeFd_, &one, 1);
}

void SocketApi::Wakeup::Reset() {
    if (readFd_ < 0)
        return;
    char buf[64];
    while (read(readFd_, buf, sizeof buf) > 0) {
    }
}

void SocketApi::Startup() {}

void SocketApi::Cleanup() {}

bool SocketApi::ResolveIPv4(const char* host, std::uint32_t& address) {
    if (host == nullptr || *host == '\0')
        return false;
    addrinfo hints{};
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* list = nullptr;
    if (getaddrinfo(host, nullptr, &hints, &list) != 0 || list == nullptr)
        return false;
    bool found = false;
    for (const addrinfo* ai = list; ai != nullptr; ai = ai->ai_next) {
        if (ai->ai_family == AF_INET && ai->ai_addr != nullptr) {
            address = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr;
            found = true;
            break;
        }
    }
    freeaddrinfo(list);
    return found;
}

std::uint32_t SocketApi::ParseDottedIPv4(const char* text) {
    in_addr a{};
    if (text == nullptr || inet_aton(text, &a) == 0)
        return 0xFFFFFFFFu;
    return a.s_addr;
}

SocketApi::Handle SocketApi::OpenStream() {
    const int fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd < 0)
        return kInvalid;
    if (!PrepareStream(fd)) {
        close(fd);
        return kInvalid;
    }
    return fd;
}

SocketApi::Result SocketApi::StartConnect(Handle s, std::uint32_t address, std::uint16_t port) {
    const sockaddr_in sa = MakeAddress(address, port);
    if (connect(s, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) == 0)
        return Result::Ready;
    if (errno == EINPROGRESS || errno == EINTR)
        return Result::Pending;
    return Result::Failed;
}

SocketApi::Result SocketApi::WaitConnected(Handle s, Wakeup* wake, std::uint32_t timeoutMs) {
    const int timeout = timeoutMs > 0x7FFFFFFFu ? 0x7FFFFFFF : static_cast<int>(timeoutMs);
    const int ev = PollWith(s, POLLOUT, wake != nullptr ? wake->readFd_ : -1, timeout);
    if (ev == -1)
        return Result::Woken;
    if (ev == -2)
        return Result::TimedOut;
    if (ev < 0)
        return Result::Failed;
    int err = 255;
    socklen_t len = sizeof err;
    if (getsockopt(s, SOL_SOCKET, SO_ERROR, &err, &len) != 0 || err != 0)
        return Result::Failed;
    return Result::Ready;
}

int SocketApi::Send(Handle s, const std::uint8_t* data, int len) {
    if (len <= 0)
        return 0;
    const ssize_t n = send(s, data, static_cast<size_t>(len), kSendFlags);
    if (n > 0)
        return static_cast<int>(n);
    if (n < 0 && WouldBlock(errno))
        return kWouldBlock;
    return kFailed;
}

int SocketApi::Recv(Handle s, std::uint8_t* buf, int size) {
    if (size <= 0)
        return kWouldBlock;
    const ssize_t n = recv(s, buf, static_cast<size_t>(size), 0);
    if (n >= 0)
        return static_cast<int>(n);
    return WouldBlock(errno) ? kWouldBlock : kFailed;
}

SocketApi::Result SocketApi::WaitReadable(Handle s, Wakeup* wake, int timeoutMs) {
    const int ev =
        PollWith(s, POLLIN, wake != nullptr ? wake->readFd_ : -1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ev == -1)
        return Result::Woken;
    if (ev == -2)
        return Result::TimedOut;
    if (ev < 0 || (ev & POLLNVAL))
        return Result::Failed;
    // Hang-up and error also mean that a receive returns at once.
    return Result::Ready;
}

SocketApi::Result SocketApi::WaitWritable(Handle s, int timeoutMs) {
    const int ev = PollWith(s, POLLOUT, -1, timeoutMs < 0 ? -1 : timeoutMs);
    if (ev == -2)
        return Result::TimedOut;
    if (ev < 0 || (ev & (POLLERR | POLLHUP | POLLNVAL)))
        return Result::Failed;
    return Result::Ready;
}

void SocketApi::ShutdownSend(Handle s) {
    shutdown(s, SHUT_WR);
}

void SocketApi::ShutdownBoth(Handle s) {
    shutdown(s, SHUT_RDWR);
}

void SocketApi::Close(Handle s) {
    if (s != kInvalid)
        close(s);
}

void SocketApi::CloseWithReset(Handle s) {
    if (s == kInvalid)
        return;
    linger lg{};
    lg.l_onoff = 1;
    lg.l_linger = 0;
    setsockopt(s, SOL_SOCKET, SO_LINGER, &lg, sizeof lg);
    close(s);
}

SocketApi::Handle SocketApi::Listen(std::uint32_t address, std::uint16_t port, int backlog) {
    const int fd = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (fd < 0)
        return kInvalid;
    const int one = 1;
    setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in sa = MakeAddress(address, port);
    if (!SetNonBlocking(fd) || !SetCloseOnExec(fd) ||
        bind(fd, reinterpret_cast<const sockaddr*>(&sa), sizeof sa) != 0 ||
        listen(fd, backlog < 0 ? 0 : backlog) != 0) {
        close(fd);
        return kInvalid;
    }
    return fd;
}

std::uint16_t SocketApi::LocalPort(Handle s) {
    sockaddr_in sa{};
    socklen_t len = sizeof sa;
    if (getsockname(s, reinterpret_cast<sockaddr*>(&sa), &len) != 0)
        return 0;
    return ntohs(sa.sin_port);
}

SocketApi::Handle SocketApi::Accept(Handle listener) {
    int fd;
    do {
        fd = accept(listener, nullptr, nullptr);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return kInvalid;
    if (!PrepareStream(fd)) {
        close(fd);
        return kInvalid;
    }
    return fd;
}

std::uint32_t SocketApi::LoopbackAddress() {
    return htonl(INADDR_LOOPBACK);
}

#endif // !_WIN32
