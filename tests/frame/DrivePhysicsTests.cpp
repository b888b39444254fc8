// The end of a disc on drives as users have them: drives that seek for up to
// a second, report wobbling positions or positions past the disc, hold data
// tracks, notify late. Counted from the journal: a drive is never restarted
// more often than its disc ends.
#include "FrameTestSupport.h"

#include <map>
#include <vector>

namespace
{
// 1500, 1200 and 1800 ms: the disc's audio ends at 6500 ms.
const std::vector<uint32_t> kShortDisc = { 1500, 1200, 1800 };
const DWORD kDiscMs = 4500;

struct Sent
{
    uint64_t timeUs;
    uint32_t command, from;
};

// What each drive was sent, in order: plays, pauses and stops.
std::map<char, std::vector<Sent>> Transport(simcd::SimController& ctl)
{
    std::map<char, std::vector<Sent>> sent;
    for (const simcd::SimJournalEntry& e : ctl.GetJournal())
        if (e.command == MCI_PLAY || e.command == MCI_PAUSE || e.command == MCI_STOP)
            sent[e.drive].push_back({ e.timeUs, e.command, e.from });
    return sent;
}

std::string Describe(const std::vector<Sent>& sent)
{
    std::string text;
    for (const Sent& s : sent)
        text += (s.command == MCI_PLAY   ? " play@" + std::to_string(s.from)
                 : s.command == MCI_STOP ? " stop"
                                         : " pause") +
                "(" + std::to_string((s.timeUs - sent.front().timeUs) / 1000) + " ms)";
    return text;
}
}  // namespace

// Every profile, with and without a second's seek, five frames of wobble and
// positions reported past the disc: 24 drives played together, repeat on,
// then off. Between two automatic plays each drive has played its whole disc;
// a drive whose end can be found repeats; at the end every drive stands
// stopped at its start, except the one whose position and mode tell nothing
// (said to play at a position past the disc).
TEST_F(FrameTest, NoDriveIsRestartedMoreOftenThanItsDiscEnds)
{
    const double kFactor = 9.0;  // the disc lasts half a second
    DestroyFrame();
    ASSERT_TRUE(m_ctl.RemoveAllDrives() && m_ctl.SetTimeFactor(kFactor));
    struct Physics
    {
        simcd::SimProfile profile;
        uint32_t seekMs, wobble;
        bool pastEnd;
    };
    std::map<char, Physics> drives;
    const std::string letters = "ABDEFGHIJKLMNOPQRSTUVWXY";
    for (size_t i = 0; i < letters.size(); i++)
    {
        const Physics p{ static_cast<simcd::SimProfile>(i % 3), i / 3 % 2 ? 1000u : 0u, i / 6 % 2 ? 5u : 0u,
                         i / 12 % 2 != 0 };
        const char letter = letters[i];
        ASSERT_TRUE(m_ctl.DefineDrive(letter) && m_ctl.InsertDisc(letter, kShortDisc) &&
                    m_ctl.SetProfile(letter, p.profile) && m_ctl.SetSeekTime(letter, p.seekMs) &&
                    m_ctl.SetWobble(letter, p.wobble) &&
                    m_ctl.SetFaults(letter, p.pastEnd ? static_cast<uint32_t>(simcd::kFaultPositionPastEnd) : 0u))
            << m_ctl.GetLastError();
        drives[letter] = p;
    }
    CreateFrame();
    ASSERT_EQ(24, List().GetItemCount());
    auto name = [&](char letter) {
        const Physics& p = drives[letter];
        return std::string(1, letter) + ": profile " + std::to_string(p.profile) + ", seek " +
               std::to_string(p.seekMs) + ", wobble " + std::to_string(p.wobble) + (p.pastEnd ? ", past end" : "");
    };

    for (int i = 0; i < 24; i++)
        List().SetItemState(i, LVIS_SELECTED, LVIS_SELECTED);
    Command(ID_CD_REPEAT);
    Command(ID_CD_PLAY);
    Pump(8000);
    Command(ID_CD_REPEAT);
    const uint64_t repeatOffUs = simcd::SimController::NowUs();
    auto allStopped = [&] {
        for (const auto& d : drives)
        {
            const int nRow = static_cast<int>(letters.find(d.first));
            const bool bSilentAtEnd = d.second.pastEnd && d.second.profile == simcd::kProfileStuckPlaying;
            if (!bSilentAtEnd && (List().GetItemText(nRow, 1) != CString("停止") ||
                                  List().GetDriveItem(nRow)->m_pDevice->GetPosition() != 2000))
                return false;
        }
        return true;
    };
    EXPECT_TRUE(PumpUntil(allStopped, 6000));
    Pump(1000);

    for (auto& d : Transport(m_ctl))
    {
        const Physics& p = drives[d.first];
        const std::vector<Sent>& sent = d.second;
        ASSERT_GE(sent.size(), 3u) << name(d.first);
        // Then automatic: a stop before a play on a drive that says it plays
        // at its end, and plays from the disc's start, each after a whole
        // disc's play.
        int nPlays = 0, nAfterRepeat = 0;
        bool bExpected = true;
        uint64_t lastPlayUs = sent[2].timeUs;
        for (size_t i = 3; i < sent.size(); i++)
        {
            const Sent& s = sent[i];
            if (s.timeUs > repeatOffUs)
                nAfterRepeat++;
            if (s.command == MCI_STOP)
            {
                bExpected = bExpected && p.profile == simcd::kProfileStuckPlaying;
                continue;
            }
            bExpected = bExpected && s.command == MCI_PLAY && s.from == 2000 &&
                        s.timeUs - lastPlayUs >= (p.seekMs + kDiscMs / kFactor - 50) * 1000;
            lastPlayUs = s.timeUs;
            nPlays++;
        }
        EXPECT_TRUE(bExpected) << name(d.first) << ": not one automatic play per end" << Describe(sent);
        if (p.pastEnd && p.profile == simcd::kProfileStuckPlaying)
            EXPECT_EQ(0, nPlays) << name(d.first) << Describe(sent);
        else
            EXPECT_GE(nPlays, 2) << name(d.first) << ": ends not found" << Describe(sent);
        EXPECT_LE(nAfterRepeat, 1) << name(d.first) << ": more than one command after repeat went off"
                                   << Describe(sent);
    }
}

// A notification of a play that the user's seek replaced comes after it: it
// ends nothing, the user's play stands.
TEST_F(FrameTest, ALateNotificationOfAReplacedPlayLeavesTheUsersPlayAlone)
{
    // A refresh on such a slow drive would outlast its timer's period.
    ::KillTimer(List().m_hWnd, CCDDriveListWnd::IDT_STATUS);
    Device('D')->Seek(181400);
    ASSERT_TRUE(Device('D')->Play() && m_ctl.SetTimeFactor(1.0));
    ASSERT_TRUE(m_ctl.SetFaults('D', simcd::kFaultDelay, 400));  // the play ends between mode and pause
    m_ctl.ClearJournal();
    Slider('D').SetPos(100000);
    Scroll(Slider('D').m_hWnd, TB_ENDTRACK);
    Pump(1500);
    EXPECT_EQ("D:pause D:play@100000", Log());
}

// An Enhanced CD (audio, then data) and a mixed-mode one (data first)
// repeat their audio and step over their data; a CD-ROM is no disc to play.
TEST_F(FrameTest, DiscsWithDataTracksRepeatTheirAudioAndADataDiscIsEmpty)
{
    DestroyFrame();
    ASSERT_TRUE(m_ctl.RemoveAllDrives() && m_ctl.SetTimeFactor(3.0));
    const std::vector<simcd::SimTrack> enhanced = {
        { 1500, false }, { 1200, false }, { 1800, false }, { 60000, true }
    };
    const std::vector<simcd::SimTrack> mixed = { { 60000, true }, { 1500, false }, { 1200, false } };
    ASSERT_TRUE(m_ctl.DefineDrive('D') && m_ctl.InsertTracks('D', enhanced) && m_ctl.DefineDrive('E') &&
                m_ctl.InsertTracks('E', enhanced) && m_ctl.SetProfile('E', simcd::kProfileSilentStop) &&
                m_ctl.DefineDrive('F') && m_ctl.InsertTracks('F', mixed) && m_ctl.DefineDrive('G') &&
                m_ctl.InsertTracks('G', { { 60000, true } }))
        << m_ctl.GetLastError();
    CreateFrame();
    Pump(200);
    EXPECT_EQ(CString("空"), List().GetItemText(Row('G'), 1));
    EXPECT_EQ(0, Device('G')->GetTrackCount());

    // Next and previous over the audio tracks alone, wrapping around.
    const struct
    {
        char drive;
        UINT nID;
        DWORD from, to;
    } steps[] = {
        { 'D', ID_CD_NEXT_TRACK, 6000, 2000 },   { 'D', ID_CD_PREV_TRACK, 2000, 4700 },
        { 'F', ID_CD_NEXT_TRACK, 63500, 62000 }, { 'F', ID_CD_PREV_TRACK, 62000, 63500 },
        { 'F', ID_CD_PREV_TRACK, 63600, 62000 },
    };
    for (const auto& s : steps)
    {
        Device(s.drive)->Seek(s.from);
        EXPECT_EQ("", Run(s.nID, std::string(1, s.drive)));
        EXPECT_EQ(s.to, Device(s.drive)->GetPosition()) << s.drive << " from " << s.from;
    }

    // Repeat: the failed end of D's play (classic) and the silent one of E's
    // both count; F repeats from its first audio track; G gets nothing.
    Device('D')->Seek(2000);
    Device('E')->Seek(2000);
    Command(ID_CD_REPEAT);
    Run(ID_CD_PLAY, "DEFG");
    m_ctl.ClearJournal();
    EXPECT_TRUE(PumpUntil(
        [&] { return Times("D:play@2000") >= 2 && Times("E:play@2000") >= 2 && Times("F:play@62000") >= 2; }, 8000))
        << Log();
    for (const simcd::SimJournalEntry& e : m_ctl.GetJournal())
        EXPECT_FALSE(e.command == MCI_PLAY &&
                     (e.drive == 'G' || (e.drive != 'F' && e.from >= 6500) || (e.drive == 'F' && e.from < 62000)))
            << e.drive << ": play from " << e.from;
}
