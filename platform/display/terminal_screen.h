#pragma once
// The lines at the bottom of the terminal that the display rewrites in place. It remembers what
// it last drew and answers the bytes that turn that into new lines: back to the first line
// (carriage return, cursor up), erase to the end of the screen, write. The cursor always rests
// at the end of the last line. Lines must fit the terminal's width, or the count of lines to go
// back up would be wrong.

#include <string>
#include <vector>

class LiveRegion {
  public:
    // Bytes that replace the region with `lines`; empty when they are the lines on screen.
    std::string redraw(const std::vector<std::string>& lines);
    // Bytes that write `lines` for good above the region and draw the region again below them.
    std::string print_above(const std::vector<std::string>& lines);
    // Bytes that leave the region as it is and move below it, so that what follows starts on a
    // fresh line; the region is forgotten.
    std::string release();

    const std::vector<std::string>& lines() const { return m_lines; }

  private:
    std::string erase() const;

    std::vector<std::string> m_lines;
};
