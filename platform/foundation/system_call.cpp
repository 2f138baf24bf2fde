#include "platform/foundation/system_call.h"

#include <cerrno>
#include <system_error>

std::string SystemCall::message() const {
    return std::string(name) + ": " + std::generic_category().message(error);
}

SystemCall failed_call(const char* name) {
    return {name, errno};
}

SystemCall system_call(const char* name, long result) {
    return result < 0 ? failed_call(name) : SystemCall{};
}

int result_of(const SystemCall& call) {
    if (call.ok()) return 1;
    errno = call.error;
    return 0;
}
