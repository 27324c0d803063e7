#include "shared/platform_widgets/error_reporting_application.h"

#include "tests/support/scratch_fixture.h"

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

namespace {

using error_reporting_test = scratch_fixture;

TEST_F(error_reporting_test, escaped_error_is_shown_and_event_counts_as_unhandled) {
    struct case_ {
        const char* name;
        std::function<bool()> deliver;
        bool expected;
        QStringList shown;
    };
    const std::vector<case_> cases = {
        {"handled", [] { return true; }, true, {}},
        {"ignored", [] { return false; }, false, {}},
        {"std::exception in UTF-8",
         []() -> bool { throw std::runtime_error("Datei \xc3\xa4rger.bin fehlt"); },
         false,
         {QStringLiteral("Datei \u00e4rger.bin fehlt")}},
        {"anything else", []() -> bool { throw 42; }, false, {QStringLiteral("Unknown error.")}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ui().messages.clear();
        EXPECT_EQ(platform::deliver_reporting_errors(c.deliver), c.expected);
        EXPECT_EQ(ui().messages, c.shown);
    }
}

// Its message box runs an event loop in which the failing handler fails again.
class failing_again_operator final : public platform::log_operator {
public:
    void show_message(const QString& text) override {
        shown << text;
        EXPECT_FALSE(platform::deliver_reporting_errors(
            []() -> bool { throw std::runtime_error("again"); }));
    }

    QStringList shown;
};

TEST_F(error_reporting_test, error_while_report_is_on_screen_does_not_open_another) {
    auto own = std::make_unique<failing_again_operator>();
    auto& failing = *own;
    auto scripted = platform::install_operator(std::move(own));
    EXPECT_FALSE(
        platform::deliver_reporting_errors([]() -> bool { throw std::runtime_error("first"); }));
    EXPECT_EQ(failing.shown, QStringList{QStringLiteral("first")});

    // The next error after the report is closed is shown again.
    EXPECT_FALSE(
        platform::deliver_reporting_errors([]() -> bool { throw std::runtime_error("later"); }));
    EXPECT_EQ(failing.shown, (QStringList{QStringLiteral("first"), QStringLiteral("later")}));
    platform::install_operator(std::move(scripted));
}

} // namespace
