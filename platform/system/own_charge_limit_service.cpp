#include "platform/system/own_charge_limit_service.h"

#include "platform/system/bus_call.h"

#include <gio/gio.h>

namespace {

constexpr const char* k_name = "org.zerarazi.ChargeLimit1";
constexpr const char* k_path = "/org/zerarazi/ChargeLimit1";
constexpr const char* k_interface = "org.zerarazi.ChargeLimit1";

GVariant* call(BusCall& bus, const char* method, GVariant* parameters, const GVariantType* reply) {
    return bus.call(k_name, k_path, k_interface, method, parameters, reply);
}

bool send(BusCall& bus, const ChargeLimitRequest& request) {
    GVariant* done = nullptr;
    switch (request.ask) {
    case ChargeLimitAsk::state:
        return true;
    case ChargeLimitAsk::set_limit:
        done = call(bus, "SetLimit", g_variant_new("(u)", static_cast<guint32>(request.percent)),
                    G_VARIANT_TYPE_UNIT);
        break;
    case ChargeLimitAsk::charge_fully_once:
        done = call(bus, "ChargeFullyOnce", nullptr, G_VARIANT_TYPE_UNIT);
        break;
    }
    if (done) g_variant_unref(done);
    return done != nullptr;
}

} // namespace

void answer_through_own_service(BusCall& bus, const ChargeLimitRequest& request,
                                ChargeLimitAnswer& answer) {
    GVariant* state =
        send(bus, request) ? call(bus, "GetState", nullptr, G_VARIANT_TYPE("(uasb)")) : nullptr;
    if (!state) {
        answer.outcome = bus.failure.outcome;
        answer.message = bus.failure.message;
        return;
    }
    guint32 limit = 100;
    gboolean once = FALSE;
    g_variant_get(state, "(u@asb)", &limit, nullptr, &once);
    g_variant_unref(state);
    answer.outcome = ChargeLimitOutcome::done;
    answer.limit = static_cast<int>(limit);
    answer.charging_once = once;
}
