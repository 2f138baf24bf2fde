#include "platform/objc/native_class_list.h"

#include <atomic>
#include <mutex>

// One registration function per native class, defined in the class's own file. A class comes
// after its superclass. This list is also what links the class files into every program: a static
// library leaves out object files that nothing refers to.
void register_ns_object_class();
void register_ns_method_signature_class();
void register_ns_invocation_class();
void register_ns_string_class();
void register_ns_number_class();
void register_ns_boolean_class();
void register_ns_array_class();
void register_ns_mutable_array_class();
void register_ns_dictionary_class();
void register_ns_mutable_dictionary_class();
void register_ns_data_class();
void register_ns_date_class();
void register_ns_user_defaults_class();
void register_ns_url_class();
void register_ns_bundle_class();
void register_ns_process_info_class();
void register_ns_locale_class();
void register_ns_autorelease_pool_class();
void register_ns_time_zone_class();
void register_ns_calendar_class();
void register_ns_run_loop_class();
void register_ns_timer_class();
void register_ns_notification_class();
void register_ns_notification_center_class();
void register_ns_responder_class();
void register_ns_view_class();
void register_ns_control_class();
void register_ns_button_class();
void register_ns_pop_up_button_class();
void register_ns_window_class();
void register_ns_screen_class();
void register_ns_color_class();
void register_ns_event_class();
void register_ns_application_class();
void register_ns_image_rep_class();
void register_ns_bitmap_image_rep_class();
void register_ns_image_class();
void register_ns_menu_item_class();
void register_ns_menu_class();
void register_ns_alert_class();
void register_ns_workspace_class();
void register_ns_running_application_class();
void register_ns_status_item_class();
void register_ns_status_bar_class();
void register_ns_font_class();
void register_ns_text_field_class();
void register_ns_box_class();
void register_ns_graphics_context_class();

namespace {

// clang-format off
constexpr void (*k_native_class_registrations[])() = {
    &register_ns_object_class,
    &register_ns_method_signature_class,
    &register_ns_invocation_class,
    &register_ns_string_class,
    &register_ns_number_class,
    &register_ns_boolean_class,
    &register_ns_array_class,
    &register_ns_mutable_array_class,
    &register_ns_dictionary_class,
    &register_ns_mutable_dictionary_class,
    &register_ns_data_class,
    &register_ns_date_class,
    &register_ns_user_defaults_class,
    &register_ns_url_class,
    &register_ns_bundle_class,
    &register_ns_process_info_class,
    &register_ns_locale_class,
    &register_ns_autorelease_pool_class,
    &register_ns_time_zone_class,
    &register_ns_calendar_class,
    &register_ns_run_loop_class,
    &register_ns_timer_class,
    &register_ns_notification_class,
    &register_ns_notification_center_class,
    &register_ns_responder_class,
    &register_ns_view_class,
    &register_ns_control_class,
    &register_ns_button_class,
    &register_ns_pop_up_button_class,
    &register_ns_window_class,
    &register_ns_screen_class,
    &register_ns_color_class,
    &register_ns_event_class,
    &register_ns_application_class,
    &register_ns_image_rep_class,
    &register_ns_bitmap_image_rep_class,
    &register_ns_image_class,
    &register_ns_menu_item_class,
    &register_ns_menu_class,
    &register_ns_alert_class,
    &register_ns_workspace_class,
    &register_ns_running_application_class,
    &register_ns_status_item_class,
    &register_ns_status_bar_class,
    &register_ns_font_class,
    &register_ns_text_field_class,
    &register_ns_box_class,
    &register_ns_graphics_context_class,
};
// clang-format on

thread_local bool t_registering = false;

} // namespace

void ensure_native_classes() {
    // Asked at every retain and release: once done, one load answers.
    static std::atomic<bool> done = false;
    static std::once_flag once;
    if (done.load(std::memory_order_acquire) || t_registering) return;
    std::call_once(once, [] {
        t_registering = true;
        for (auto registration : k_native_class_registrations)
            registration();
        t_registering = false;
        done.store(true, std::memory_order_release);
    });
}
