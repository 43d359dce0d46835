// The dialogs' key filter: Enter, Escape, Space and Alt+F4 do nothing.
#include "ui/common/dialog_key_filter.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

namespace {

class DialogKeyFilterTest : public ::testing::Test
{
protected:
    DialogKeyFilterTest()
    {
        m_pEdit = new QLineEdit(&m_Dialog);
        m_pButton = new QPushButton(QStringLiteral("OK"), &m_Dialog);
        m_pButton->setDefault(true);
        m_pButton->move(0, 40);
        QObject::connect(m_pButton, &QPushButton::clicked, &m_Dialog, &QDialog::accept);
        m_Dialog.show();
        m_Dialog.activateWindow();
    }

    QDialog m_Dialog;
    QLineEdit* m_pEdit;
    QPushButton* m_pButton;
};

TEST_F(DialogKeyFilterTest, SwallowsEnterEscapeSpaceAndAltF4)
{
    auto* pFilter = new CDialogKeyFilter(&m_Dialog);
    int nEnter = 0;
    pFilter->SetEnterHandler([&] { ++nEnter; });
    QSignalSpy finished(&m_Dialog, &QDialog::finished);
    QSignalSpy clicked(m_pButton, &QPushButton::clicked);
    m_pEdit->setFocus();
    QTest::keyClick(m_pEdit, Qt::Key_Return);
    QTest::keyClick(m_pEdit, Qt::Key_Enter);
    QTest::keyClick(m_pEdit, Qt::Key_Escape);
    QTest::keyClick(m_pEdit, Qt::Key_F4, Qt::AltModifier);
    QTest::keyClick(m_pEdit, Qt::Key_Space);
    QTest::keyClick(m_pEdit, Qt::Key_A);
    m_pButton->setFocus();
    QTest::keyClick(m_pButton, Qt::Key_Space);
    EXPECT_EQ(finished.count(), 0);
    EXPECT_EQ(clicked.count(), 0);
    EXPECT_TRUE(m_Dialog.isVisible());
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("a"));
    EXPECT_EQ(nEnter, 2);
    // A close from code still closes.
    m_Dialog.close();
    EXPECT_FALSE(m_Dialog.isVisible());
}

// Alt+F4 reaches a Linux program as the window manager's close request: a
// close event on the dialog's window, which Qt hands to the dialog as a
// spontaneous close. It is refused; a close from code still closes.
TEST_F(DialogKeyFilterTest, WindowManagerCloseIsRefused)
{
    new CDialogKeyFilter(&m_Dialog);
    QSignalSpy finished(&m_Dialog, &QDialog::finished);
    ASSERT_NE(m_Dialog.windowHandle(), nullptr);
    QCloseEvent request;
    QApplication::sendEvent(m_Dialog.windowHandle(), &request);
    EXPECT_FALSE(request.isAccepted());
    EXPECT_TRUE(m_Dialog.isVisible());
    EXPECT_EQ(finished.count(), 0);
    m_Dialog.close();
    EXPECT_FALSE(m_Dialog.isVisible());
}

TEST_F(DialogKeyFilterTest, SpaceCanBeLeftToTheFields)
{
    new CDialogKeyFilter(&m_Dialog, false);
    QSignalSpy finished(&m_Dialog, &QDialog::finished);
    m_pEdit->setFocus();
    QTest::keyClicks(m_pEdit, QStringLiteral("a b"));
    QTest::keyClick(m_pEdit, Qt::Key_Escape);
    EXPECT_EQ(m_pEdit->text(), QStringLiteral("a b"));
    EXPECT_EQ(finished.count(), 0);
}

TEST(DialogKeyFilterOtherWindowTest, KeysOfOtherWindowsPass)
{
    QDialog filtered;
    new CDialogKeyFilter(&filtered);
    QDialog other;
    QSignalSpy finished(&other, &QDialog::finished);
    other.show();
    QTest::keyClick(&other, Qt::Key_Escape);
    EXPECT_EQ(finished.count(), 1);
}

} // namespace
