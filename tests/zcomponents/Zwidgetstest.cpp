// The named controls every window makes: a line edit, a push button that Enter does not press,
// and a plain tool button.

#include "Zwait.h"

#include "zcomponents/Zwidgets.h"

#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>
#include <gtest/gtest.h>

TEST(Zwidgets, NamedEditHasItsTextAndAWidthOnlyWhereGiven)
{
    QWidget parent;
    QLineEdit* narrow = NewNamedEdit(&parent, "StepEdit", "1.00", 56);
    EXPECT_EQ(narrow->parent(), &parent);
    EXPECT_EQ(narrow->objectName(), "StepEdit");
    EXPECT_EQ(narrow->text(), "1.00");
    EXPECT_EQ(narrow->maximumWidth(), 56);

    QLineEdit* plain = NewNamedEdit(&parent, "PathEdit");
    EXPECT_EQ(plain->objectName(), "PathEdit");
    EXPECT_TRUE(plain->text().isEmpty());
    EXPECT_EQ(plain->maximumWidth(), QWIDGETSIZE_MAX);
}

TEST(Zwidgets, NamedPushButtonIsNotPressedByEnterInADialog)
{
    QDialog dialog;
    auto* edit = NewNamedEdit(&dialog, "NameEdit");
    QPushButton* button = NewNamedButton(&dialog, "AddBtn", "&Add", "Add the name");
    EXPECT_EQ(button->objectName(), "AddBtn");
    EXPECT_EQ(button->text(), "&Add");
    EXPECT_EQ(button->toolTip(), "Add the name");
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&clicks] { ++clicks; });

    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(zwait::Until([&] { return dialog.isActiveWindow(); }));
    // A dialog makes its first push button that Enter may press its default button.
    EXPECT_FALSE(button->isDefault());

    edit->setFocus();
    ASSERT_TRUE(zwait::Until([&] { return edit->hasFocus(); }));
    QTest::keyClick(edit, Qt::Key_Return);
    button->setFocus();
    ASSERT_TRUE(zwait::Until([&] { return button->hasFocus(); }));
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_EQ(clicks, 0);

    QTest::keyClick(button, Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
    dialog.close();
}

TEST(Zwidgets, NamedToolButtonStaysPlain)
{
    QWidget parent;
    auto* button = NewNamedButton<QToolButton>(&parent, "RemoteBtn", "Connect", "Connect to network");
    EXPECT_EQ(button->objectName(), "RemoteBtn");
    EXPECT_EQ(button->text(), "Connect");
    EXPECT_EQ(button->toolTip(), "Connect to network");
    EXPECT_FALSE(button->isCheckable());
    EXPECT_FALSE(button->autoRaise());

    auto* bare = NewNamedButton<QToolButton>(&parent, "SelectBtn", QString());
    EXPECT_TRUE(bare->text().isEmpty());
    EXPECT_TRUE(bare->toolTip().isEmpty());
}
