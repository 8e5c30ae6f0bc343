#pragma once

// The user's OSC configuration and its file "osc_settings.vand" (JSON):
//   { "oscEnabled": true, "oscListenPort": 55037, "version": "1.0" }
//
// Threads: a plain value; Load and Save run on the caller's thread (the GUI
// thread) and do blocking file I/O on a small file.

#include <cstdint>
#include <string>

namespace vand::osc {

struct OscSettings
{
    static constexpr int kDefaultListenPort = 55037;
    // A listen port is a UDP port: a whole number in this range.
    static constexpr int kMinListenPort = 1;
    static constexpr int kMaxListenPort = 65535;

    OscSettings() = default;
    OscSettings(bool enabled, int listenPort)
        : oscEnabled(enabled)
        , oscListenPort(listenPort)
    {
    }

    // Fills the record from the file; never throws. An unreadable file, or
    // one over 1 MiB, leaves the record as it is (with a Qt warning). So do,
    // silently, a file that is not a JSON object and one whose "version" is
    // not "1.0". In a version "1.0" file a missing or non-boolean
    // "oscEnabled" reads as false, and a listen port that is missing or not a
    // whole number from 1 to 65535 gives 55037 (with a Qt warning naming it).
    void Load(const std::string& path);

    // Writes the record, creating the folder when it is missing. Replaces the
    // file atomically: on failure the old file stays as it was and
    // std::runtime_error says what failed.
    void Save(const std::string& path) const;

    bool ListenPortInRange() const { return oscListenPort >= kMinListenPort && oscListenPort <= kMaxListenPort; }
    // The listen port as a UDP port; one out of range gives the default
    // port, as it does in a loaded file, never its low 16 bits.
    std::uint16_t ListenPortOrDefault() const
    {
        return static_cast<std::uint16_t>(ListenPortInRange() ? oscListenPort : kDefaultListenPort);
    }

    bool operator==(const OscSettings&) const = default;

    bool oscEnabled = true;
    int oscListenPort = kDefaultListenPort;
};

} // namespace vand::osc
