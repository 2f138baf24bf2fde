#pragma once
// The status picture as a symbolic icon that the panel paints in the colour of its own text.
// Panels that read an icon by name from the item's IconThemePath repaint an icon named
// *-symbolic (GNOME Shell, Xfce) or an SVG whose colour comes from a "current-color-scheme"
// style sheet (Plasma); either way the icon follows the bar, which no pixmap can. Each picture is
// written once, as an SVG named after a hash of its pixels, in a folder of this process's own
// that is removed at the end. Panels keep icons by name, so a new picture gets a new name; the
// few newest files stay, since a panel may still be reading one.

#include "platform/display/desktop/status_pixmap.h"

#include <deque>
#include <memory>
#include <string>

class SymbolicIconFolder {
  public:
    // A folder in the user's runtime folder (else the cache folder), readable by the user alone,
    // whose folder and icon names start with `program` (a lower-case program name); null when
    // none can be made.
    static std::unique_ptr<SymbolicIconFolder> make(const std::string& program);
    ~SymbolicIconFolder();
    SymbolicIconFolder(const SymbolicIconFolder&) = delete;
    SymbolicIconFolder& operator=(const SymbolicIconFolder&) = delete;

    // The item's IconThemePath.
    const std::string& path() const { return m_path; }
    // The icon name of `picture`, written if it is new; empty when it cannot be written.
    // The picture is drawn `width` × `height` in size.
    std::string name_for(const StatusPixmap& picture, int width, int height);

  private:
    SymbolicIconFolder(std::string path, std::string program);
    std::string file_of(const std::string& name) const;

    std::string m_path;
    std::string m_program;
    std::deque<std::string> m_names; // the files written, oldest first
};

// `picture` as an SVG `width` × `height` in size, its pixels' alpha kept and their colour given
// by the style sheet's ColorScheme-Text class (`colour`, "#rrggbb", where nothing repaints it).
std::string symbolic_svg(const StatusPixmap& picture, int width, int height,
                         const std::string& colour);
