#pragma once
// Text for a terminal: the few character attributes the terminal display uses, how many columns
// a UTF-8 text takes, and cutting a line to the terminal's width so that it never wraps.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// `marked` sets apart what a chart marks (the battery charging).
enum class TextStyle : uint8_t { plain, bold, dim, warning, alarm, marked };

// `text` wrapped in the style's attribute sequence and a reset; `text` itself when `colour` is
// off or the style is plain.
std::string styled(std::string_view text, TextStyle style, bool colour);
// The attribute sequence that starts the style, and the one that ends it; both empty when
// `colour` is off or the style is plain. styled() is `text` between them.
std::string_view style_start(TextStyle style, bool colour);
std::string_view style_end(TextStyle style, bool colour);

// Columns that `text` takes on screen: attribute sequences take none, East Asian wide characters
// and pictographs take two, everything else one.
size_t display_width(std::string_view text);

// `line` cut to at most `columns` columns, ending in "…" when something was cut; attribute
// sequences are kept and a reset is added after a cut.
std::string fit_to_width(std::string_view line, size_t columns);
// The same, cutting `line` itself.
void fit_in_place(std::string& line, size_t columns);

// `text` with every control character other than line breaks replaced by a blank, so that no text
// from the model can move the cursor or change the terminal.
std::string printable(std::string_view text);

// `text` on one line: control characters and line breaks become blanks.
std::string one_line(std::string_view text);
// Appends one_line(text) to `out`.
void append_one_line(std::string& out, std::string_view text);

// `text` broken at blanks into lines of at most `columns` columns; a word longer than that is cut
// by fit_to_width(). Empty for a blank `text`.
std::vector<std::string> wrap_words(std::string_view text, size_t columns);

// `text` split at line breaks: "\r\n", "\n\r", a lone "\n" and a lone "\r" each end a line.
std::vector<std::string> split_lines(std::string_view text);

// `text` followed by blanks up to `columns` columns.
std::string pad_right(std::string_view text, size_t columns);
