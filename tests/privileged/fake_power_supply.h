#pragma once
// A hand-made /sys for the charge limit's tests: each supply's folder under devices, reached by
// a link from class/power_supply as on a real machine.

#include "privileged/system_paths.h"
#include "tests/support/file_bytes.h"
#include "tests/support/temporary_folder.h"

#include <filesystem>
#include <string>

class FakePowerSupply {
  public:
    FakePowerSupply() {
        std::filesystem::create_directories(m_folder / "sys/class/power_supply");
        std::filesystem::create_directories(m_folder / "sys/devices");
        m_paths.sysfs = m_folder / "sys";
        m_paths.state = m_folder / "state";
    }

    const SystemPaths& paths() const { return m_paths; }
    const TemporaryFolder& folder() const { return m_folder; }

    // A battery of the machine's with both thresholds at 100 and 0 (start), as after boot;
    // `start` false leaves out the start threshold.
    void add_battery(const std::string& name, bool start = true) {
        add_supply(name, "Battery");
        set(name, "charge_control_end_threshold", "100");
        if (start) set(name, "charge_control_start_threshold", "0");
        set(name, "status", "Not charging");
        set(name, "capacity", "80");
    }

    // A supply folder with `type`, linked from the class folder.
    void add_supply(const std::string& name, const std::string& type) {
        m_folder.write(device_of(name) + "/type", type + "\n");
        std::filesystem::create_directory_symlink("../../devices/platform/" + name +
                                                      "/power_supply/" + name,
                                                  m_folder / ("sys/class/power_supply/" + name));
    }

    // Writes an attribute as the kernel shows it, with a line end.
    void set(const std::string& name, const std::string& attribute, const std::string& text) const {
        m_folder.write(device_of(name) + "/" + attribute, text + "\n");
    }

    // The attribute's text without its line end; "missing" when there is none.
    std::string get(const std::string& name, const std::string& attribute) const {
        const std::string path = m_folder / (device_of(name) + "/" + attribute);
        if (!std::filesystem::exists(path)) return "missing";
        std::string value = file_bytes(path);
        if (value.ends_with('\n')) value.pop_back();
        return value;
    }

    std::string end_threshold(const std::string& name) const {
        return get(name, "charge_control_end_threshold");
    }
    std::string start_threshold(const std::string& name) const {
        return get(name, "charge_control_start_threshold");
    }

  private:
    static std::string device_of(const std::string& name) {
        return "sys/devices/platform/" + name + "/power_supply/" + name;
    }

    TemporaryFolder m_folder{"zerarazi-charge-limit-"};
    SystemPaths m_paths;
};
