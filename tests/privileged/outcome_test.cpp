#include "privileged/outcome.h"

#include <gio/gio.h>

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace {

TEST(Outcome, EachRefusalHasAnErrorOfItsOwnAndSuccessNone) {
    EXPECT_EQ(outcome_error(Outcome::Done), nullptr);
    std::set<std::string> names;
    for (Outcome refusal : {Outcome::NotAuthorized, Outcome::InvalidLimit, Outcome::NotSupported,
                            Outcome::WriteFailed, Outcome::Busy}) {
        const OutcomeError* error = outcome_error(refusal);
        ASSERT_NE(error, nullptr);
        EXPECT_EQ(error->outcome, refusal);
        EXPECT_TRUE(std::string(error->name).starts_with("org.zerarazi.ChargeLimit1.Error."));
        EXPECT_TRUE(g_dbus_is_interface_name(error->name)) << error->name;
        names.insert(error->name);
    }
    EXPECT_EQ(names.size(), 5u);
    EXPECT_STREQ(outcome_error(Outcome::NotAuthorized)->name,
                 "org.zerarazi.ChargeLimit1.Error.NotAuthorized");
    EXPECT_STREQ(outcome_error(Outcome::InvalidLimit)->name,
                 "org.zerarazi.ChargeLimit1.Error.InvalidLimit");
}

} // namespace
