// The journal: every command the driver receives, in order, with its parameters.
#include "SimTestSupport.h"

#include <mmddk.h>

using simtest::MciDevice;
using simtest::SimFixture;

namespace {

class JournalTest : public SimFixture {};

TEST_F(JournalTest, RecordsTheProgramsOpeningSequenceInOrder)
{
    DriveWithDisc('P', {100000, 200000});
    m_sim.ClearJournal();
    uint64_t before = simcd::SimController::NowUs();
    {
        MciDevice device('P');
        ASSERT_EQ(0u, device.SetMilliseconds());
        MCI_STATUS_PARMS status = {};
        status.dwItem = MCI_STATUS_POSITION;
        device.Send(MCI_STATUS, MCI_STATUS_ITEM | MCI_STATUS_START, &status);
        status.dwItem = MCI_STATUS_NUMBER_OF_TRACKS;
        device.Send(MCI_STATUS, MCI_STATUS_ITEM, &status);
        for (DWORD track = 1; track <= 2; ++track) {
            status.dwTrack = track;
            status.dwItem = MCI_STATUS_POSITION;
            device.Send(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status);
            status.dwItem = MCI_STATUS_LENGTH;
            device.Send(MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, &status);
        }
        device.Play(MCI_FROM | MCI_TO, 2000, 2000);
        device.Send(MCI_STOP, MCI_WAIT);
    }
    uint64_t after = simcd::SimController::NowUs();

    std::vector<simcd::SimJournalEntry> journal = m_sim.GetJournal();
    struct Expected {
        uint32_t command, flags, item, track;
    };
    const Expected expected[] = {
        {MCI_OPEN_DRIVER, MCI_OPEN_TYPE_ID | MCI_OPEN_ELEMENT | MCI_OPEN_SHAREABLE | MCI_WAIT, 0, 0},
        {MCI_SET, MCI_SET_TIME_FORMAT | MCI_WAIT, 0, 0},
        {MCI_STATUS, MCI_STATUS_ITEM | MCI_STATUS_START, MCI_STATUS_POSITION, 0},
        {MCI_STATUS, MCI_STATUS_ITEM, MCI_STATUS_NUMBER_OF_TRACKS, 0},
        {MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_POSITION, 1},
        {MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_LENGTH, 1},
        {MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_POSITION, 2},
        {MCI_STATUS, MCI_STATUS_ITEM | MCI_TRACK, MCI_STATUS_LENGTH, 2},
        {MCI_PLAY, MCI_FROM | MCI_TO, 0, 0},
        {MCI_STOP, MCI_WAIT, 0, 0},
        {MCI_CLOSE_DRIVER, 0, 0, 0},
    };
    ASSERT_EQ(sizeof(expected) / sizeof(expected[0]), journal.size());
    uint64_t previous = before;
    for (size_t i = 0; i < journal.size(); ++i) {
        const simcd::SimJournalEntry& entry = journal[i];
        EXPECT_EQ(expected[i].command, entry.command) << i;
        EXPECT_EQ(expected[i].flags, entry.flags) << i;
        EXPECT_EQ(expected[i].item, entry.item) << i;
        EXPECT_EQ(expected[i].track, entry.track) << i;
        EXPECT_EQ('P', entry.drive) << i;
        EXPECT_EQ(journal[0].deviceId, entry.deviceId) << i;
        EXPECT_EQ(GetCurrentProcessId(), entry.processId) << i;
        EXPECT_GE(entry.timeUs, previous) << i;
        previous = entry.timeUs;
    }
    EXPECT_LE(previous, after);
    EXPECT_NE(0u, journal[0].deviceId);
    EXPECT_EQ(static_cast<uint32_t>(MCI_FORMAT_MSF), journal[0].timeFormat);
    EXPECT_EQ(static_cast<uint32_t>(MCI_FORMAT_MILLISECONDS), journal[1].timeFormat);
    EXPECT_EQ(2000u, journal[2].returned);
    EXPECT_EQ(2u, journal[3].returned);
    EXPECT_EQ(200000u, journal[7].returned);
    EXPECT_EQ(2000u, journal[8].from);
    EXPECT_EQ(2000u, journal[8].to);
    EXPECT_FALSE(journal[9].hasParams);
}

TEST_F(JournalTest, RecordsFailuresAndNotifyWindows)
{
    DriveWithDisc('P', {100000});
    MciDevice device('P');
    simtest::NotifyWindow window;
    m_sim.ClearJournal();
    MCIERROR error = 0;
    device.Status(MCI_STATUS_LENGTH, MCI_STATUS_ITEM | MCI_TRACK, 9, &error);
    device.Play(MCI_FROM | MCI_NOTIFY, MCI_MAKE_MSF(0, 3, 0), 0, window.Handle());
    device.Send(MCI_STOP, 0);

    std::vector<simcd::SimJournalEntry> journal = m_sim.GetJournal();
    ASSERT_EQ(3u, journal.size());
    EXPECT_EQ(static_cast<uint32_t>(MCIERR_OUTOFRANGE), journal[0].result);
    EXPECT_EQ(9u, journal[0].track);
    EXPECT_EQ(static_cast<uint32_t>(MCI_PLAY), journal[1].command);
    EXPECT_EQ(0u, journal[1].result);
    EXPECT_EQ(static_cast<uint32_t>(MCI_MAKE_MSF(0, 3, 0)), journal[1].from);
    EXPECT_EQ(static_cast<uint32_t>(reinterpret_cast<UINT_PTR>(window.Handle())),
              journal[1].callback);
    EXPECT_EQ(static_cast<uint32_t>(MCI_FORMAT_MSF), journal[1].timeFormat);
    EXPECT_EQ(static_cast<uint32_t>(MCI_STOP), journal[2].command);
}

} // namespace
