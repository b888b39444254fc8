// End-of-play notifications reaching a real window, with MCI's rules for
// aborted and superseded notifications.
#include "SimTestSupport.h"

using simtest::MciDevice;
using simtest::NotifyWindow;
using simtest::SimFixture;

namespace {

class NotifyTest : public SimFixture {
protected:
    void SetUp() override
    {
        SimFixture::SetUp();
        DriveWithDisc('P', {60000, 60000});
        DriveWithDisc('Q', {60000});
        ASSERT_NE(nullptr, m_window.Handle());
    }
    NotifyWindow m_window;
};

TEST_F(NotifyTest, EndOfPlayIsNotifiedWithoutAnyCallInProgress)
{
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    // The whole two-minute disc at factor 600: 200 ms.
    ASSERT_TRUE(m_sim.SetTimeFactor(600.0));
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, m_window.Handle()));
    NotifyWindow::Notice notice = {};
    ASSERT_TRUE(m_window.Wait(notice, 3000));
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notice.code);
    EXPECT_EQ(static_cast<LPARAM>(device.Id()), notice.deviceId);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
    EXPECT_EQ(122000u, device.Position());
    EXPECT_TRUE(m_window.Collect(100).empty());
}

TEST_F(NotifyTest, EachDeviceIsNotifiedWithItsOwnId)
{
    MciDevice first('P');
    MciDevice second('Q');
    ASSERT_NE(first.Id(), second.Id());
    ASSERT_EQ(0u, first.SetMilliseconds());
    ASSERT_EQ(0u, second.SetMilliseconds());
    ASSERT_EQ(0u, first.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2300, m_window.Handle()));
    ASSERT_EQ(0u, second.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2100, m_window.Handle()));
    std::vector<NotifyWindow::Notice> notices = m_window.Collect(700);
    ASSERT_EQ(2u, notices.size());
    EXPECT_EQ(static_cast<LPARAM>(second.Id()), notices[0].deviceId);
    EXPECT_EQ(static_cast<LPARAM>(first.Id()), notices[1].deviceId);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notices[0].code);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notices[1].code);
}

TEST_F(NotifyTest, StopPauseSeekAndANewPlayAbortThePendingNotification)
{
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    MCI_SEEK_PARMS seek = {};
    seek.dwTo = 30000;
    const struct {
        const char* name;
        UINT command;
        DWORD flags;
        void* params;
    } enders[] = {
        {"stop", MCI_STOP, MCI_WAIT, nullptr},
        {"pause", MCI_PAUSE, MCI_WAIT, nullptr},
        {"seek", MCI_SEEK, MCI_TO | MCI_WAIT, &seek},
    };
    for (const auto& ender : enders) {
        ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, m_window.Handle()));
        ASSERT_EQ(0u, device.Send(ender.command, ender.flags, ender.params));
        std::vector<NotifyWindow::Notice> notices = m_window.Collect(150);
        ASSERT_EQ(1u, notices.size()) << ender.name;
        EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_ABORTED), notices[0].code) << ender.name;
        EXPECT_EQ(static_cast<LPARAM>(device.Id()), notices[0].deviceId) << ender.name;
    }

    // A play replaced by another: the first is aborted, the second goes on.
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, m_window.Handle()));
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2200, m_window.Handle()));
    std::vector<NotifyWindow::Notice> notices = m_window.Collect(500);
    ASSERT_EQ(2u, notices.size());
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_ABORTED), notices[0].code);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notices[1].code);
}

TEST_F(NotifyTest, ANotifyingStatusSupersedesThePlaysNotification)
{
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, m_window.Handle()));
    MCI_STATUS_PARMS status = {};
    status.dwCallback = reinterpret_cast<DWORD_PTR>(m_window.Handle());
    status.dwItem = MCI_STATUS_MODE;
    ASSERT_EQ(0u, device.Send(MCI_STATUS, MCI_STATUS_ITEM | MCI_NOTIFY, &status));
    std::vector<NotifyWindow::Notice> notices = m_window.Collect(150);
    ASSERT_EQ(2u, notices.size());
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUPERSEDED), notices[0].code);
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_SUCCESSFUL), notices[1].code);
    // The drive still plays; only the notification is gone.
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_PLAY), device.Mode());
}

TEST_F(NotifyTest, AnotherProcessOpeningTheDoorAbortsThePlay)
{
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_NOTIFY, 2000, 0, m_window.Handle()));
    ASSERT_EQ(0, simtest::RunSimcd("open P:"));
    NotifyWindow::Notice notice = {};
    ASSERT_TRUE(m_window.Wait(notice, 1000));
    EXPECT_EQ(static_cast<WPARAM>(MCI_NOTIFY_ABORTED), notice.code);
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_OPEN), device.Mode());
}

TEST_F(NotifyTest, WithheldNotificationFault)
{
    ASSERT_TRUE(m_sim.SetFaults('P', simcd::kFaultNoNotify));
    MciDevice device('P');
    ASSERT_EQ(0u, device.SetMilliseconds());
    ASSERT_EQ(0u, device.Play(MCI_FROM | MCI_TO | MCI_NOTIFY, 2000, 2100, m_window.Handle()));
    EXPECT_TRUE(m_window.Collect(400).empty());
    EXPECT_EQ(static_cast<DWORD>(MCI_MODE_STOP), device.Mode());
}

} // namespace
