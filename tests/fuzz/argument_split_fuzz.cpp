// The process runner's argument splitter on any text: the first input byte gives the vector's
// room, the rest the text. The words are checked against a plain reading of the rules.

#include "runtime/core/argument_split.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace {

// The words as the splitter's rules describe them: a word that starts with a double quote runs
// to the next double quote (removed), a newline or the end; any other to the next separator.
std::vector<std::string> expected_words(std::string_view text) {
    text = text.substr(0, text.find('\0'));
    std::vector<std::string> words;
    std::size_t at = 0;
    for (;;) {
        at = text.find_first_not_of(" \t\n", at);
        if (at == std::string_view::npos) return words;
        const bool quoted = text[at] == '"';
        if (quoted) ++at;
        const std::size_t end =
            std::min(text.find_first_of(quoted ? "\"\n" : " \t\n", at), text.size());
        words.emplace_back(text.substr(at, end - at));
        at = end == text.size() ? end : end + 1;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const std::int64_t capacity = data[0] % 16;
    std::string_view input(reinterpret_cast<const char*>(data + 1), size - 1);
    // Buffers of their exact sizes, so that a write past either is caught.
    std::vector<char> text(input.begin(), input.end());
    text.push_back('\0');
    std::vector<char*> vector(static_cast<std::size_t>(capacity) + 1, text.data());
    const std::int64_t count = rt::SplitArguments(text.data(), vector.data(), capacity);

    const std::vector<std::string> words = expected_words(input);
    const auto fits = static_cast<std::int64_t>(words.size()) <= capacity;
    if (count != (fits ? static_cast<std::int64_t>(words.size()) : -1)) std::abort();
    const std::size_t kept = fits ? words.size() : static_cast<std::size_t>(capacity);
    if (vector[kept] != nullptr) std::abort();
    for (std::size_t i = 0; i < kept; ++i) {
        if (vector[i] < text.data() || vector[i] >= text.data() + text.size()) std::abort();
        if (words[i] != vector[i]) std::abort();
    }
    return 0;
}
