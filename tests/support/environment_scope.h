#pragma once
// Sets or unsets one environment variable for the life of the scope, and puts it back after.

#include <cstdlib>
#include <optional>
#include <string>

class EnvironmentScope {
  public:
    // A null value unsets the variable.
    EnvironmentScope(const char* name, const char* value) : m_name(name) {
        if (const char* old = std::getenv(name)) m_old = old;
        value ? setenv(name, value, 1) : unsetenv(name);
    }
    EnvironmentScope(const char* name, const std::optional<std::string>& value)
        : EnvironmentScope(name, value ? value->c_str() : nullptr) {}
    ~EnvironmentScope() {
        m_old ? setenv(m_name.c_str(), m_old->c_str(), 1) : unsetenv(m_name.c_str());
    }
    EnvironmentScope(const EnvironmentScope&) = delete;
    EnvironmentScope& operator=(const EnvironmentScope&) = delete;

  private:
    std::string m_name;
    std::optional<std::string> m_old;
};
