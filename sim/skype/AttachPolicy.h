// How the simulated client answers discover requests: the attach status sequence a program
// sees (success, pending authorisation, refused, not available then available) and which
// programs are attached, i.e. may send commands.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <set>
#include <string>

namespace skypesim {

// The attach statuses of the API.
constexpr unsigned kAttachSuccess = 0;
constexpr unsigned kAttachPending = 1;
constexpr unsigned kAttachRefused = 2;
constexpr unsigned kAttachNotAvailable = 3;
constexpr unsigned kAttachApiAvailable = 0x8001;

// A program is known by its window handle, kept as a number here.
using ClientId = uintptr_t;

class AttachHost {
public:
    virtual ~AttachHost() = default;
    virtual void SendAttach(ClientId client, unsigned status) = 0;
    virtual void After(unsigned ms, std::function<void()> action) = 0;
};

enum class AttachMode { Success, Pending, Refused, Unavailable };

struct AttachSetting {
    AttachMode mode = AttachMode::Success;
    // For Pending and Unavailable: when the user allows / the API becomes available;
    // nothing means only on the control command ("authorize", "available").
    std::optional<unsigned> delayMs;
};

// "success", "pending [ms]", "refused", "unavailable [ms]"; nothing when malformed.
std::optional<AttachSetting> ParseAttachSetting(const std::string& text);
std::string DescribeAttachSetting(const AttachSetting& setting);

class AttachPolicy {
public:
    explicit AttachPolicy(AttachHost& host) : host_(host) {}

    // Starts the sequence afresh: nobody authorised, the API not yet available again.
    void Configure(const AttachSetting& setting);
    const AttachSetting& Setting() const { return setting_; }

    void OnDiscover(ClientId client);
    // The user allows every program waiting for authorisation.
    void Authorize();
    // The API is available again: 0x8001 to every program told "not available".
    void MakeAvailable();
    // Signing out ends every attachment; signing in announces the API to those programs.
    void LogOut();
    void LogIn();
    bool LoggedOut() const { return loggedOut_; }

    bool IsAttached(ClientId client) const { return attached_.count(client) != 0; }
    void Detach(ClientId client) { attached_.erase(client); }
    const std::set<ClientId>& Attached() const { return attached_; }

private:
    void Attach(ClientId client);
    void AuthorizeClient(ClientId client);

    AttachHost& host_;
    AttachSetting setting_;
    unsigned generation_ = 0;  // timers of an earlier setting do nothing
    bool loggedOut_ = false;
    bool available_ = false;
    bool availableScheduled_ = false;
    std::set<ClientId> attached_;
    std::set<ClientId> pending_;
    std::set<ClientId> authorised_;
    std::set<ClientId> waitingForApi_;
};

}  // namespace skypesim
