#pragma once
// The lines at the bottom of the terminal that the display rewrites in place. It remembers what
// it last drew and answers the bytes that turn that into new lines: back to the first line
// (carriage return, cursor up), erase to the end of the screen, write. The cursor always rests
// at the end of the last line. Lines must fit the terminal's width, or the count of lines to go
// back up would be wrong; when the width shrinks, rewrap() counts the rows anew.

#include <string>
#include <vector>

class LiveRegion {
  public:
    // Bytes that replace the region with `lines`; empty when they are the lines on screen. They
    // are kept in the region's own buffer, valid until its next call.
    const std::string& redraw(const std::vector<std::string>& lines);
    // Bytes that write `lines` for good above the region and draw the region again below them.
    std::string print_above(const std::vector<std::string>& lines);
    // Bytes that leave the region as it is and move below it, so that what follows starts on a
    // fresh line; the region is forgotten.
    std::string release();
    // The terminal is now `columns` wide. A terminal that rewraps its contents on a resize has
    // spread each line wider than that over several rows, and the next erase goes back over all
    // of them. (One that cuts lines instead loses as many rows above the region, which is the
    // lesser harm than copies of the region left on screen.)
    void rewrap(size_t columns);

    const std::vector<std::string>& lines() const { return m_lines; }

  private:
    void append_erase(std::string& bytes) const;

    std::vector<std::string> m_lines;
    size_t m_rows = 0; // on screen: one per line, unless rewrapped
    std::string m_bytes;
};
