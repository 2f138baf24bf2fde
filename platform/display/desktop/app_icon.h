#pragma once
// The application's own icon: named by the program's identifier in the hicolor icon theme that
// the bundle carries in Contents/Resources/icons (and that an installation puts in the system's
// theme).

#include <string>

// Adds the bundle's icon folder to the icon theme's search path and makes the icon `name` every
// window's default. Call once GTK is initialised.
void use_bundle_app_icon(const std::string& name);
