#pragma once
// The seam between the AppKit model and what a person sees. The model keeps all state and tells
// a display about every visible change as plain snapshots, so a display never touches model
// objects; input comes back from wait_for_input() as display-neutral values. A display owns the
// clock that all waiting goes through: real time, or a driver's virtual time.

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

// A rectangle in top-left screen coordinates (y grows downwards), in points.
struct ScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
    bool operator==(const ScreenRect&) const = default;
};

struct ScreenPoint {
    double x = 0;
    double y = 0;
    bool operator==(const ScreenPoint&) const = default;
};

// An image's picture as 8-bit RGBA samples with straight alpha, rows from the top, at its size in
// points (`width` × `height`) and in pixels (`pixels_wide` × `pixels_high`).
struct ImagePixels {
    double width = 0;
    double height = 0;
    int pixels_wide = 0;
    int pixels_high = 0;
    std::vector<uint8_t> rgba;
};

struct StatusSnapshot {
    // File name of the picture the shown image was drawn from; null when there is no image or
    // it was not drawn from a file.
    std::optional<std::string> image;
    bool is_template = false;
    std::string title;
    std::optional<std::string> tooltip;
    // The shown image's pixels; null when there is no image or its pixels cannot be read. They
    // are never changed once made, so snapshots compare them by identity and stay cheap to
    // compare at every refresh.
    std::shared_ptr<const ImagePixels> pixels = nullptr;
    bool operator==(const StatusSnapshot&) const = default;
};

enum class KeyModifier : uint8_t { command = 1, shift = 2, alternate = 4, control = 8 };

struct KeyModifierName {
    KeyModifier modifier;
    std::string_view name;
};
// The names a script and the output use for the modifiers, in the order they are written.
inline constexpr std::array<KeyModifierName, 4> key_modifier_names = {
    KeyModifierName{KeyModifier::command, "cmd"},
    KeyModifierName{KeyModifier::shift, "shift"},
    KeyModifierName{KeyModifier::alternate, "alt"},
    KeyModifierName{KeyModifier::control, "ctrl"},
};

struct MenuItemSnapshot {
    bool separator = false;
    int number = 0;
    std::string title;
    std::string key;       // key equivalent, empty when none
    uint8_t modifiers = 0; // KeyModifier bits
    bool enabled = true;
    bool operator==(const MenuItemSnapshot&) const = default;
};

enum class ControlKind : uint8_t { checkbox, text, frame };

struct ControlSnapshot {
    int number = 0;
    ControlKind kind = ControlKind::text;
    std::string text;
    int state = 0;
    ScreenRect frame; // in top-left screen coordinates
    bool operator==(const ControlSnapshot&) const = default;
};

enum class WindowLevel : uint8_t { normal, floating };

struct WindowSnapshot {
    int number = 0;
    std::string title;
    ScreenRect content;
    bool visible = false;
    bool key = false;
    bool closable = true; // has a close button that `close` may press
    WindowLevel level = WindowLevel::normal;
    std::vector<ControlSnapshot> controls; // in creation order
    bool operator==(const WindowSnapshot&) const = default;
};

enum class AlertIcon : uint8_t { caution, stop, note, app };

struct AlertSnapshot {
    std::string title; // message text
    std::string text;  // informative text
    AlertIcon icon = AlertIcon::app;
    std::vector<std::string> buttons; // titles, in order; button 1 is the first
    bool operator==(const AlertSnapshot&) const = default;
};

// A key press as a person typed it: modifier bits and one key, either one character
// ("i", "Z", ",") or a key name from the driver's key table ("f5", "escape").
struct KeyPress {
    uint8_t modifiers = 0;
    std::string key;
    bool operator==(const KeyPress&) const = default;
};

enum class PropertyTarget : uint8_t { battery, power };
enum class PropertyAction : uint8_t { set, unset, remove };

// A property value of a recorded battery: exactly one of the members is meaningful, by `kind`.
struct PropertyValue {
    enum class Kind : uint8_t { integer, boolean, string } kind = Kind::integer;
    int64_t integer = 0;
    bool boolean = false;
    std::string string;
    bool operator==(const PropertyValue&) const = default;
};

struct PropertyChange {
    PropertyTarget target = PropertyTarget::battery;
    PropertyAction action = PropertyAction::set;
    std::string key; // empty for remove
    PropertyValue value;
    bool operator==(const PropertyChange&) const = default;
};

// What a display hands the model: one small value per kind of input.
struct Timeout { // the deadline was reached
    bool operator==(const Timeout&) const = default;
};
struct EndOfInput { // no more input will come
    bool operator==(const EndOfInput&) const = default;
};
struct MenuChoice { // an enabled item of the status menu
    int item = 0;
    bool operator==(const MenuChoice&) const = default;
};
struct KeyInput { // a key pressed in a window
    int window = 0;
    KeyPress key;
    bool operator==(const KeyInput&) const = default;
};
struct ControlClick { // a control of a visible window
    int window = 0;
    int control = 0;
    bool operator==(const ControlClick&) const = default;
};
struct CloseRequest { // a window's close button was pressed
    int window = 0;
    bool operator==(const CloseRequest&) const = default;
};
struct SystemSleep { // the system is about to sleep
    bool operator==(const SystemSleep&) const = default;
};
struct SystemWake { // the system woke
    bool operator==(const SystemWake&) const = default;
};
struct TerminateRequest { // the system asks the application to terminate
    bool operator==(const TerminateRequest&) const = default;
};
struct ScreensChanged { // screens() has new contents
    bool operator==(const ScreensChanged&) const = default;
};
struct BatteryEdit { // a change to the recorded battery (driver only)
    PropertyChange change;
    bool operator==(const BatteryEdit&) const = default;
};
struct AlertAnswer { // the button pressed; seen only inside Display::run_alert()
    int button = 0;
    bool operator==(const AlertAnswer&) const = default;
};

using Input =
    std::variant<Timeout, EndOfInput, MenuChoice, KeyInput, ControlClick, CloseRequest, SystemSleep,
                 SystemWake, TerminateRequest, ScreensChanged, BatteryEdit, AlertAnswer>;

class Display {
  public:
    virtual ~Display() = default;

    // The display's clock in milliseconds; every deadline is on this clock.
    virtual int64_t now_ms() const = 0;

    // Null: there is no status item.
    virtual void set_status(const std::optional<StatusSnapshot>& status) = 0;
    // Whether the display draws the status item's own picture, and so wants its pixels in the
    // snapshots; the others are spared reading them out whenever the picture changes.
    virtual bool shows_status_pixels() const { return false; }
    // Null: the status item has no menu.
    virtual void set_status_menu(const std::optional<std::vector<MenuItemSnapshot>>& items) = 0;
    // Adds or replaces the window of that number.
    virtual void set_window(const WindowSnapshot& window) = 0;
    virtual void window_closed(int number) = 0;

    // Shows `alert` and waits until one of its buttons is pressed. `modal_pass` runs before every
    // wait: it fires what is due in the modal mode and returns the next deadline (null: none).
    // Returns the button (1-based), or 0 when input ends with the alert still on screen.
    class ModalPass {
      public:
        virtual ~ModalPass() = default;
        virtual std::optional<int64_t> run_due() = 0;
    };
    virtual int run_alert(const AlertSnapshot& alert, ModalPass& modal_pass) = 0;

    virtual void play_sound(int id) = 0;
    // Returns false when the URL could not be handed on.
    virtual bool open_url(const std::string& url) = 0;
    virtual void will_exit(int status) = 0;
    // The status the process is to end with in place of `status`: a failure once what the
    // display had to show could not be written (output_failure.h).
    virtual int exit_status(int status) const { return status; }

    // The first screen holds the menu bar and has its corner at 0,0; never empty.
    virtual std::vector<ScreenRect> screens() const = 0;
    virtual ScreenPoint pointer() const = 0;

    // Shows what changed, then waits until input arrives or the clock reaches `deadline_ms`
    // (null: no deadline). A deadline not after now_ms() returns a timeout at once.
    virtual Input wait_for_input(std::optional<int64_t> deadline_ms) = 0;
    // Thread-safe: the wait_for_input in progress, or else the next one, returns a timeout soon,
    // so that the model looks at what another thread handed it. A display with a virtual clock
    // never waits for other threads and ignores it.
    virtual void interrupt_wait() {}
    // Tells the person that `input`, the last one this display gave, could not be carried out;
    // it changed nothing.
    virtual void reject_input(const Input& input, const std::string& message) = 0;
};
