#include "runtime/core/argument_split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace rt {
namespace {

struct Split {
    int64_t result;
    std::vector<std::string> words;
};

Split split(const std::string& text, int64_t capacity = 8) {
    std::string buffer = text;
    std::vector<char*> vector(static_cast<size_t>(capacity) + 2, nullptr);
    char sentinel = 0;
    vector.back() = &sentinel;
    Split result{SplitArguments(buffer.data(), vector.data(), capacity), {}};
    for (size_t i = 0; vector[i]; ++i) {
        if (vector[i] == &sentinel) {
            ADD_FAILURE() << "the vector for \"" << text << "\" has no null within its capacity";
            break;
        }
        result.words.emplace_back(vector[i]);
    }
    EXPECT_EQ(vector.back(), &sentinel) << "written past the vector for \"" << text << "\"";
    return result;
}

// A row's result is its word count unless it says otherwise; its vector holds 8 words unless it
// says otherwise.
TEST(ArgumentSplit, CutsWordsByTheQuoteAndSeparatorRules) {
    struct Row {
        std::string text;
        std::vector<std::string> words;
        int64_t result = -2;
        int64_t capacity = 8;
    };
    const Row rows[] = {{"", {}},
                        {" \t\n ", {}},
                        {"load \"/Users/a b/Library/My Agents/x.plist\"",
                         {"load", "/Users/a b/Library/My Agents/x.plist"}},
                        {"  a \t\t b\n\nc  ", {"a", "b", "c"}},
                        {"\"\"", {""}},
                        {"\"abc\"def", {"abc", "def"}},
                        {"a\"b c\"", {"a\"b", "c\""}},
                        {"\"tab\tinside\"", {"tab\tinside"}},
                        {"\"left open runs to the end", {"left open runs to the end"}},
                        {"a \"", {"a", ""}},
                        {"\"first line\nsecond\"", {"first line", "second\""}},
                        {"\"ends at newline\n\"next\"", {"ends at newline", "next"}},
                        {"a\rb", {"a\rb"}},
                        {"a b c", {"a", "b", "c"}, 3, 3},
                        {"a b c d", {"a", "b", "c"}, -1, 3},
                        {"a b c   ", {"a", "b", "c"}, 3, 3},
                        {"a b c \"\"", {"a", "b", "c"}, -1, 3},
                        {"", {}, 0, 0},
                        {"a", {}, -1, 0}};
    for (const Row& row : rows) {
        SCOPED_TRACE("text: " + row.text + ", capacity " + std::to_string(row.capacity));
        const Split result = split(row.text, row.capacity);
        EXPECT_EQ(result.result,
                  row.result == -2 ? static_cast<int64_t>(row.words.size()) : row.result);
        EXPECT_EQ(result.words, row.words);
    }
    char* vector[2] = {nullptr, reinterpret_cast<char*>(&vector)};
    EXPECT_EQ(SplitArguments(nullptr, vector, 1), 0);
    EXPECT_EQ(vector[0], nullptr);
}

} // namespace
} // namespace rt
