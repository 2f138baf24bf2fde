#include "privileged/authority.h"

#include <cstdio>

namespace {

// A person typing a password takes a while; a polkit that never answers must not hold the
// service forever.
constexpr int k_answer_timeout_ms = 5 * 60 * 1000;
constexpr guint32 k_allow_user_interaction = 1;

GVariant* check_parameters(const std::string& caller) {
    GVariantBuilder subject_details;
    g_variant_builder_init(&subject_details, G_VARIANT_TYPE("a{sv}"));
    g_variant_builder_add(&subject_details, "{sv}", "name", g_variant_new_string(caller.c_str()));
    GVariantBuilder details;
    g_variant_builder_init(&details, G_VARIANT_TYPE("a{ss}"));
    return g_variant_new("((sa{sv})sa{ss}us)", "system-bus-name", &subject_details,
                         k_set_limit_action, &details, k_allow_user_interaction, "");
}

Outcome outcome_of(GVariant* reply) {
    gboolean authorized = FALSE;
    gboolean challenge = FALSE;
    g_variant_get(reply, "((bb@a{ss}))", &authorized, &challenge, nullptr);
    return authorized ? Outcome::Done : Outcome::NotAuthorized;
}

} // namespace

struct Authority::Check {
    Authority* authority;
    std::string caller;
    Answer answer;
};

void Authority::check(const std::string& caller, Answer answer) {
    std::size_t& waiting = m_waiting[caller];
    if (waiting >= m_limits.per_caller || m_waiting_in_all >= m_limits.in_all) {
        if (waiting == 0) m_waiting.erase(caller);
        answer(Outcome::Busy);
        return;
    }
    ++waiting;
    ++m_waiting_in_all;
    g_dbus_connection_call(
        m_connection, "org.freedesktop.PolicyKit1", "/org/freedesktop/PolicyKit1/Authority",
        "org.freedesktop.PolicyKit1.Authority", "CheckAuthorization", check_parameters(caller),
        G_VARIANT_TYPE("((bba{ss}))"), G_DBUS_CALL_FLAGS_NONE, k_answer_timeout_ms, nullptr,
        &Authority::answered, new Check{this, caller, std::move(answer)});
}

void Authority::answered(GObject* source, GAsyncResult* result, gpointer data) {
    auto* check = static_cast<Check*>(data);
    GError* error = nullptr;
    GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(source), result, &error);
    if (!reply) {
        std::fprintf(stderr, "the authority could not be asked: %s\n", error->message);
        g_error_free(error);
        check->authority->finish(check, Outcome::NotAuthorized);
        return;
    }
    const Outcome outcome = outcome_of(reply);
    g_variant_unref(reply);
    check->authority->finish(check, outcome);
}

void Authority::finish(Check* check, Outcome outcome) {
    auto waiting = m_waiting.find(check->caller);
    if (--waiting->second == 0) m_waiting.erase(waiting);
    --m_waiting_in_all;
    const Answer answer = std::move(check->answer);
    delete check;
    answer(outcome);
}
