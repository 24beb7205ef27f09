// Registers the simulated receiver as a virtual port: a symbolic link in
// $XDG_RUNTIME_DIR/starvane/ports/ (or /tmp/starvane-<uid>/ports/ when that
// variable is unset) whose name is the device description the program shows
// and whose target is the device path.
#pragma once

#include <string>

namespace sim {

class PortRegistry {
  public:
    PortRegistry() = default;
    ~PortRegistry() { unregister(); }
    PortRegistry(const PortRegistry&) = delete;
    PortRegistry& operator=(const PortRegistry&) = delete;

    static std::string folder();

    // Creates the folder (mode 0700) if needed and the link. A link of the
    // same name whose device is gone is replaced; one that belongs to a live
    // device makes us pick "<name> 2", "<name> 3", ... Returns false and an
    // error text on failure.
    bool registerPort(const std::string& description, const std::string& devicePath,
                      std::string* error);
    void unregister();
    const std::string& linkPath() const { return link_; }

    // The link's name made safe: no '/', no control characters, not empty.
    static std::string safeName(const std::string& description);

  private:
    std::string link_;
    std::string target_;
};

// Async-signal-safe removal for the signal handler: the path is copied here
// when the link is made.
void removeRegisteredLinkFromSignal();

} // namespace sim
