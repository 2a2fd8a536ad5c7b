#include "support/Testenv.h"
#include "qtsupport/Widgets.h"

#include <QApplication>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

// The tests of a program run one after another in this process: a test that leaves the
// application told to quit would make every later modal dialog return at once. Such a test is
// named, the quit taken back, and the program fails.
class QuitLeftBehind : public ::testing::EmptyTestEventListener {
public:
    void OnTestEnd(const ::testing::TestInfo& info) override
    {
        if (!testsupport::ApplicationToldToQuit())
            return;
        std::fprintf(stderr, "%s.%s left the application told to quit\n", info.test_suite_name(), info.name());
        testsupport::TakeBackApplicationQuit();
        failed = true;
    }
    bool failed = false;
};

} // namespace

int main(int argc, char** argv)
{
    testsupport::PrepareEnvironment();
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel Orrery");
    ::testing::InitGoogleTest(&argc, argv);
    auto* quitCheck = new QuitLeftBehind; // owned by the listener list
    ::testing::UnitTest::GetInstance()->listeners().Append(quitCheck);
    const int result = RUN_ALL_TESTS();
    return result != 0 || quitCheck->failed ? 1 : 0;
}
