#pragma once
// NSAlert: a modal alert with a message, an informative text, an icon and buttons. runModal shows
// it on the display and holds everything until a button is pressed: while it runs, only timers
// of the modal panel mode (and of the common modes) fire, default-mode timers wait.

#include "platform/display/display_snapshots.h"
#include "platform/foundation/ns_string.h"
#include "platform/objc/native_class.h"

#include <optional>
#include <vector>

class NSArray;
class NSButton;
class NSImage;
class NSWindow;

enum : NSUInteger {
    NSAlertStyleWarning = 0,
    NSAlertStyleInformational = 1,
    NSAlertStyleCritical = 2
};
inline constexpr NSInteger NSAlertFirstButtonReturn = 1000;
inline constexpr NSInteger NSAlertSecondButtonReturn = 1001;
inline constexpr NSInteger NSAlertThirdButtonReturn = 1002;
inline constexpr NSInteger NSModalResponseAbort = -1001;

class NSAlert : public NSObject {
  public:
    NSAlert() = default;

    void setMessageText(NSString* text);
    void setInformativeText(NSString* text);
    // Accepted and ignored: the model has no help button.
    void setShowsHelp(BOOL) {}
    // Whether the battery's history (platform/display/history_source.h) is shown below the
    // informative text; the program's own addition to the panel.
    void setShowsHistory(BOOL shows) { m_shows_history = shows; }
    void setAlertStyle(NSUInteger style) { m_style = style; }
    NSImage* icon() const { return m_icon.get(); }
    // Retained.
    void setIcon(NSImage* icon);

    // A new button, tagged 1000, 1001, ... in the order added; the alert owns it.
    NSButton* addButtonWithTitle(NSString* title);
    // Autoreleased, in the order added.
    NSArray* buttons() const;
    // The alert's panel, made on first use; it is never shown as a window of its own.
    NSWindow* window();

    // Adds an "OK" button when there is none, shows the alert on the display and returns the
    // tag of the pressed button. NSModalResponseAbort when the display's input ends first (after
    // the application's end-of-input path); without a display, the first button's tag at once,
    // since nobody can answer and the default button is taken.
    NSInteger runModal();

    // The buttons' action: records the pressed button's tag.
    void buttonPressed(id sender);

  private:
    // What the display shows of the alert.
    AlertSnapshot snapshot() const;
    AlertIcon display_icon() const;

    ObjcRef<NSString> m_message_text;
    ObjcRef<NSString> m_informative_text;
    NSUInteger m_style = NSAlertStyleWarning;
    ObjcRef<NSImage> m_icon;
    std::vector<ObjcRef<NSButton>> m_buttons;
    ObjcRef<NSWindow> m_window;
    std::optional<NSInteger> m_response; // set by the pressed button's action
    BOOL m_shows_history = NO;
};

void register_ns_alert_class();
