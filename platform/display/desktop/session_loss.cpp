#include "platform/display/desktop/session_loss.h"

#include <gdk/gdkwayland.h>
#include <gdk/gdkx.h>
#include <glib-unix.h>

#include <unistd.h>

namespace {

// Xlib's handler takes no data of its own.
ProblemSayer g_say = nullptr;

[[noreturn]] void end_for(SessionLoss loss) {
    g_say({session_loss_facts(loss).line});
    _exit(session_loss_facts(loss).exit_status);
}

// Xlib calls this once the connection to the X server breaks, and ends the process itself if it
// returns; nothing of Xlib or GDK may be touched any more, so the process ends here.
int on_x_connection_lost(::Display*) {
    end_for(SessionLoss::display_closed);
}

// Runs before GDK's own source, which would end the process with status 1 when it reads from
// the dead socket.
gboolean on_wayland_hangup(int, GIOCondition, gpointer) {
    end_for(SessionLoss::display_closed);
}

} // namespace

const SessionLossFacts& session_loss_facts(SessionLoss loss) {
    for (const SessionLossFacts& facts : k_session_losses) {
        if (facts.loss == loss) return facts;
    }
    return k_session_losses[0];
}

void end_process_when_display_lost(ProblemSayer say) {
    g_say = say;
    GdkDisplay* display = gdk_display_get_default();
    if (GDK_IS_X11_DISPLAY(display)) {
        XSetIOErrorHandler(on_x_connection_lost);
        return;
    }
    if (GDK_IS_WAYLAND_DISPLAY(display)) {
        const int socket = wl_display_get_fd(gdk_wayland_display_get_wl_display(display));
        g_unix_fd_add_full(G_PRIORITY_HIGH, socket, static_cast<GIOCondition>(G_IO_HUP | G_IO_ERR),
                           on_wayland_hangup, nullptr, nullptr);
    }
}
