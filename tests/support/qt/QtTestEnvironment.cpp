#include "tests/support/qt/QtTestEnvironment.h"

#include "framework/gui/Application.h"
#include "framework/gui/Fonts.h"
#include "framework/gui/MessageBox.h"

#include <gtest/gtest.h>

#include <memory>

namespace qv::test {

namespace {

class QtEnvironment : public ::testing::Environment {
public:
    void SetUp() override {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static int argc = 1;
        static char name[] = "quorvane-tests";
        static char* argv[] = {name, nullptr};
        app_ = std::make_unique<framework::TApplication>(argc, argv);
        framework::SetApplicationTitle("Quorvane");
        framework::InitializeFonts();
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<framework::TApplication> app_;
};

} // namespace

bool RegisterQtTestEnvironment() {
    static const bool registered = (::testing::AddGlobalTestEnvironment(new QtEnvironment), true);
    return registered;
}

} // namespace qv::test
