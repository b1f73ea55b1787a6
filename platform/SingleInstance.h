#pragma once

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Quill::Platform {

// One running copy per product: an advisory lock file (flock) named from the product in
// $XDG_RUNTIME_DIR (or /tmp), plus a Unix-domain datagram socket beside it for the notify word.
// The lock is the product name + "Mutex" (".lock"), the socket "Notify" + the product name
// (".sock"); in /tmp both names also carry the user id. The kernel drops the lock when the
// process ends, however it ends; a socket file left by a crashed copy is replaced.
class SingleInstance {
    // Only Acquire makes instances.
    struct Token {};

public:
    explicit SingleInstance(Token) {}
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    // The lock if this is the first copy; none if another copy holds it. When no lock can be
    // made at all (no writable runtime folder) the copy is let run: the result then holds no
    // lock (HoldsLock is false) rather than shutting out every copy.
    [[nodiscard]] static std::unique_ptr<SingleInstance> Acquire(std::string_view productName);
    // Second copy: connect to the running copy and send the word; false if none answers.
    [[nodiscard]] static bool NotifyRunningCopy(std::string_view productName, std::uint32_t word);

    // First copy, polled from the main loop: the words received since the last poll
    // (non-blocking; at most kMaxWordsPerPoll per call, the rest wait for the next poll).
    [[nodiscard]] std::vector<std::uint32_t> PollNotifications();

    // Whether this copy holds the product's lock.
    [[nodiscard]] bool HoldsLock() const { return mLockFd >= 0; }
    // Whether notify words can reach this copy.
    [[nodiscard]] bool IsListening() const { return mSocketFd >= 0; }

    // Words taken per poll, so a flood cannot stall the main loop.
    static constexpr std::size_t kMaxWordsPerPoll = 64;

private:
    int mLockFd = -1;
    int mSocketFd = -1;
    // Socket file to remove when this copy ends (empty when not listening).
    std::filesystem::path mSocketPath;
};

} // namespace Quill::Platform
