#include "platform/SingleInstance.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace Quill::Platform {

namespace {

namespace fs = std::filesystem;

// Where the lock and the socket live, by product.
struct InstancePaths {
    fs::path lock;
    fs::path socket;
};

// The product name as a file name: letters, digits, '.', '_' and '-' kept, anything else '_'.
std::string FileSafeName(std::string_view productName)
{
    std::string name;
    for (char c : productName) {
        const bool keep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                          c == '.' || c == '_' || c == '-';
        name.push_back(keep ? c : '_');
    }
    // No '/' is left, and the file names add to it, so it never names a folder.
    return name;
}

InstancePaths PathsFor(std::string_view productName)
{
    const std::string name = FileSafeName(productName);
    fs::path folder = "/tmp";
    std::string suffix;
    std::error_code ec;
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR");
        runtime != nullptr && runtime[0] == '/' && fs::is_directory(runtime, ec)) {
        folder = runtime;
    } else {
        // /tmp is shared by every user: keep the users apart.
        suffix = "-" + std::to_string(::getuid());
    }
    return {folder / (name + "Mutex" + suffix + ".lock"), folder / ("Notify" + name + suffix + ".sock")};
}

// The socket address of the path; none when the path does not fit.
std::optional<sockaddr_un> AddressOf(const fs::path& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const std::string& text = path.native();
    if (text.size() >= sizeof address.sun_path)
        return std::nullopt;
    std::memcpy(address.sun_path, text.c_str(), text.size() + 1);
    return address;
}

} // namespace

SingleInstance::~SingleInstance()
{
    if (mSocketFd >= 0) {
        ::close(mSocketFd);
        // Still under the lock, so the file is ours to remove.
        ::unlink(mSocketPath.c_str());
    }
    if (mLockFd >= 0)
        ::close(mLockFd);
}

std::unique_ptr<SingleInstance> SingleInstance::Acquire(std::string_view productName)
{
    const InstancePaths paths = PathsFor(productName);
    auto instance = std::make_unique<SingleInstance>(Token{});

    const int fd = ::open(paths.lock.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return instance;
    int locked = 0;
    while ((locked = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (locked != 0) {
        const bool heldByOther = errno == EWOULDBLOCK;
        ::close(fd);
        if (heldByOther)
            return nullptr;
        return instance;
    }
    instance->mLockFd = fd;

    const auto address = AddressOf(paths.socket);
    if (!address)
        return instance;
    const int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    if (sock < 0)
        return instance;
    // Whatever is there was left by a copy that no longer holds the lock.
    ::unlink(paths.socket.c_str());
    if (::bind(sock, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) != 0) {
        ::close(sock);
        return instance;
    }
    ::chmod(paths.socket.c_str(), 0600);
    instance->mSocketFd = sock;
    instance->mSocketPath = paths.socket;
    return instance;
}

bool SingleInstance::NotifyRunningCopy(std::string_view productName, std::uint32_t word)
{
    const auto address = AddressOf(PathsFor(productName).socket);
    if (!address)
        return false;
    const int sock = ::socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (sock < 0)
        return false;
    bool sent = false;
    if (::connect(sock, reinterpret_cast<const sockaddr*>(&*address), sizeof *address) == 0) {
        ssize_t n = 0;
        while ((n = ::send(sock, &word, sizeof word, MSG_DONTWAIT | MSG_NOSIGNAL)) < 0 && errno == EINTR) {
        }
        sent = n == static_cast<ssize_t>(sizeof word);
    }
    ::close(sock);
    return sent;
}

std::vector<std::uint32_t> SingleInstance::PollNotifications()
{
    std::vector<std::uint32_t> words;
    if (mSocketFd < 0)
        return words;
    // Datagrams of the wrong size are dropped, but count against the pass as well.
    for (std::size_t reads = 0; reads < 2 * kMaxWordsPerPoll && words.size() < kMaxWordsPerPoll; ++reads) {
        // One byte more than a word, so that longer datagrams are told apart and dropped.
        std::uint8_t buffer[sizeof(std::uint32_t) + 1];
        const ssize_t n = ::recv(mSocketFd, buffer, sizeof buffer, MSG_DONTWAIT);
        if (n < 0 && errno != EINTR)
            break;
        if (n != static_cast<ssize_t>(sizeof(std::uint32_t)))
            continue;
        std::uint32_t word = 0;
        std::memcpy(&word, buffer, sizeof word);
        words.push_back(word);
    }
    return words;
}

} // namespace Quill::Platform
