#include "runtime/core/program_search.h"

#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace rt {
namespace {

char* copy_text(const char* text) {
    const size_t length = std::strlen(text);
    auto* copy = static_cast<char*>(std::malloc(length + 1));
    if (copy) std::memcpy(copy, text, length + 1);
    return copy;
}

size_t longest_element(const char* search_path) {
    size_t longest = 0;
    for (const char* element = search_path; *element != 0;) {
        const size_t length = std::strcspn(element, ":");
        if (length > longest) longest = length;
        element += length;
        if (*element == ':') ++element;
    }
    return longest;
}

// Writes element + "/" (unless the element already ends in one) + program into `buffer`.
void compose_candidate(char* buffer, const char* element, size_t length, const char* program) {
    std::memcpy(buffer, element, length);
    if (element[length - 1] != '/') buffer[length++] = '/';
    std::strcpy(buffer + length, program);
}

// Tries each non-empty element in turn; `buffer` holds the longest element, a "/", the program
// and a terminator.
bool search_elements(const char* search_path, const char* program, char* buffer) {
    for (const char* element = search_path; *element != 0;) {
        const size_t length = std::strcspn(element, ":");
        if (length > 0) {
            compose_candidate(buffer, element, length, program);
            if (is_runnable_file(buffer)) return true;
        }
        element += length;
        if (*element == ':') ++element;
    }
    return false;
}

} // namespace

bool is_runnable_file(const char* path) {
    struct stat status;
    if (stat(path, &status) != 0) return false;
    if (S_ISDIR(status.st_mode) || status.st_size <= 0) return false;
    return access(path, X_OK) == 0;
}

char* find_program(const char* program, const char* search_path) {
    if (!program || *program == 0) return nullptr;
    if (std::strchr(program, '/')) return is_runnable_file(program) ? copy_text(program) : nullptr;
    if (!search_path) return nullptr;
    const size_t size = longest_element(search_path) + 1 + std::strlen(program) + 1;
    auto* buffer = static_cast<char*>(std::malloc(size));
    if (!buffer) return nullptr;
    if (search_elements(search_path, program, buffer)) return buffer;
    std::free(buffer);
    return nullptr;
}

} // namespace rt
