#pragma once
// The application's own icon: named in the hicolor icon theme that the bundle carries in
// Contents/Resources/icons (and that an installation puts in the system's theme).

inline constexpr const char* k_app_icon_name = "org.zerarazi.Zerarazi";

// Adds the bundle's icon folder to the icon theme's search path and makes the icon every
// window's default. Call once GTK is initialised.
void use_bundle_app_icon();
