#include "support/Testenv.h"

#include <QApplication>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testsupport::PrepareEnvironment();
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    QApplication::setApplicationName("Vantrel Orrery");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
