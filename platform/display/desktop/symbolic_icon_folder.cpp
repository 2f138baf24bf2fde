#include "platform/display/desktop/symbolic_icon_folder.h"

#include <glib.h>
#include <glib/gstdio.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <map>
#include <unistd.h>

namespace {

constexpr size_t k_files_kept = 4;
constexpr int k_alpha_levels = 16;
constexpr const char* k_icon_folder = "/hicolor/scalable/status/";

// FNV-1a over the size and the pixels.
uint64_t picture_hash(const StatusPixmap& picture) {
    uint64_t hash = 14695981039346656037ull;
    auto add = [&hash](uint8_t byte) { hash = (hash ^ byte) * 1099511628211ull; };
    for (int extent : {picture.width, picture.height}) {
        for (int shift = 0; shift < 32; shift += 8)
            add(static_cast<uint8_t>(extent >> shift));
    }
    for (uint8_t byte : picture.argb)
        add(byte);
    return hash;
}

int alpha_level(uint8_t alpha) {
    return (alpha * (k_alpha_levels - 1) + 127) / 255;
}

// One path for each level of alpha, of runs of pixels along each row.
std::map<int, std::string> runs_by_level(const StatusPixmap& picture) {
    std::map<int, std::string> paths;
    for (int y = 0; y < picture.height; ++y) {
        int x = 0;
        while (x < picture.width) {
            const size_t row = static_cast<size_t>(y) * picture.width;
            const int level = alpha_level(picture.argb[(row + x) * 4]);
            int end = x + 1;
            while (end < picture.width && alpha_level(picture.argb[(row + end) * 4]) == level)
                ++end;
            if (level > 0)
                paths[level] += "M" + std::to_string(x) + " " + std::to_string(y) + "h" +
                                std::to_string(end - x) + "v1h-" + std::to_string(end - x) + "z";
            x = end;
        }
    }
    return paths;
}

bool write_file(const std::string& path, const std::string& text) {
    const std::string partial = path + ".partial";
    const int file = ::open(partial.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (file < 0) return false;
    const bool written =
        ::write(file, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    const bool closed = ::close(file) == 0;
    if (written && closed && std::rename(partial.c_str(), path.c_str()) == 0) return true;
    ::unlink(partial.c_str());
    return false;
}

// Read at each call: GLib keeps the first answer it gives for the life of the process.
std::string private_folder(const std::string& program) {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const std::string parent = runtime && *runtime ? runtime : g_get_user_cache_dir();
    return parent + "/" + program + "-" + std::to_string(::getpid()) + "-icons";
}

} // namespace

std::string symbolic_svg(const StatusPixmap& picture, int width, int height,
                         const std::string& colour) {
    std::string svg = "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" + std::to_string(width) +
                      "\" height=\"" + std::to_string(height) + "\" viewBox=\"0 0 " +
                      std::to_string(picture.width) + " " + std::to_string(picture.height) +
                      "\">\n<style id=\"current-color-scheme\" type=\"text/css\">"
                      ".ColorScheme-Text{color:" +
                      colour + ";}</style>\n";
    svg += "<g class=\"ColorScheme-Text\" fill=\"currentColor\" shape-rendering=\"crispEdges\">\n";
    for (const auto& [level, path] : runs_by_level(picture)) {
        char opacity[16];
        std::snprintf(opacity, sizeof opacity, "%.3g", double(level) / (k_alpha_levels - 1));
        svg += "<path class=\"ColorScheme-Text\" fill-opacity=\"" + std::string(opacity) +
               "\" d=\"" + path + "\"/>\n";
    }
    return svg + "</g>\n</svg>\n";
}

std::unique_ptr<SymbolicIconFolder> SymbolicIconFolder::make(const std::string& program) {
    const std::string path = private_folder(program);
    if (g_mkdir_with_parents((path + k_icon_folder).c_str(), 0700) != 0) return nullptr;
    return std::unique_ptr<SymbolicIconFolder>(new SymbolicIconFolder(path, program));
}

SymbolicIconFolder::SymbolicIconFolder(std::string path, std::string program)
    : m_path(std::move(path)), m_program(std::move(program)) {}

SymbolicIconFolder::~SymbolicIconFolder() {
    for (const std::string& name : m_names)
        ::unlink(file_of(name).c_str());
    for (const char* folder : {"/hicolor/scalable/status", "/hicolor/scalable", "/hicolor", ""})
        ::rmdir((m_path + folder).c_str());
}

std::string SymbolicIconFolder::file_of(const std::string& name) const {
    return m_path + k_icon_folder + name + ".svg";
}

std::string SymbolicIconFolder::name_for(const StatusPixmap& picture, int width, int height) {
    char hash[17];
    std::snprintf(hash, sizeof hash, "%016llx",
                  static_cast<unsigned long long>(picture_hash(picture)));
    const std::string name = m_program + "-status-" + hash + "-symbolic";
    auto known = std::find(m_names.begin(), m_names.end(), name);
    if (known != m_names.end()) {
        m_names.erase(known);
        m_names.push_back(name);
        return name;
    }
    if (!write_file(file_of(name), symbolic_svg(picture, width, height, "#bebebe"))) return {};
    m_names.push_back(name);
    while (m_names.size() > k_files_kept) {
        ::unlink(file_of(m_names.front()).c_str());
        m_names.pop_front();
    }
    return name;
}
