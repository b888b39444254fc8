#include "SoundPlayer.h"

#include "../DiscImage.h"
#include "../DiscTime.h"
#include "../PhraseGenerator.h"
#include "../SimWorld.h"
#include "../TextCodec.h"

#include <string>
#include <vector>

namespace simcd
{

namespace
{

// How often a playing stream is refilled (a third of a second is queued)
// and the drive's position set.
const DWORD kPumpMs = 20;
// A burst of commands (a play and its pause, the plays of drives started
// together) is let to end first: a play paused at once is never heard, and
// drives started together begin their sound one right after the other.
const DWORD kQuietMs = 3;

}  // namespace

// What a drive asks of this process, read under the world's lock.
struct SoundPlayer::Wanted
{
    bool keep = false;  // the disc has a sound and a device is open on it here
    uint32_t serial = 0;
    // A disc new to this process: what its sound comes from.
    SimSource kind = kSourceNone;
    std::string path;
    uint32_t seed = 0;
    std::vector<uint32_t> trackFrames;
    uint32_t endFrame = 0;
    bool play = false;  // a play of this process to be heard
    uint32_t generation = 0;
    uint32_t from = 0, to = 0;
    uint64_t seekEndUs = 0;  // a play of this process still seeking: starts then
};

SoundPlayer::SoundPlayer(SimWorld& world) : m_world(world)
{
    for (std::atomic<int>& count : m_aDevices)
        count = 0;
}

SoundPlayer::~SoundPlayer()
{
    m_thread.Stop();
}

void SoundPlayer::Acquire(char letter)
{
    if (letter >= 'A' && letter <= 'Z')
        ++m_aDevices[letter - 'A'];
    m_thread.Acquire();
}

void SoundPlayer::Release(char letter)
{
    if (letter >= 'A' && letter <= 'Z' && m_aDevices[letter - 'A'] > 0)
        --m_aDevices[letter - 'A'];
    if (!m_thread.Release())
        Wake();
}

int SoundPlayer::DevicesOn(char letter) const
{
    return letter >= 'A' && letter <= 'Z' ? m_aDevices[letter - 'A'].load() : 0;
}

void SoundPlayer::Wake()
{
    SetEvent(m_wake.Get());
}

DWORD WINAPI SoundPlayer::ThreadProc(LPVOID param)
{
    static_cast<SoundPlayer*>(param)->Run();
    return 0;
}

void SoundPlayer::Run()
{
    const HANDLE events[] = { m_thread.StopEvent(), m_wake.Get() };
    DWORD waitMs = 0;
    for (;;)
    {
        const DWORD which = WaitForMultipleObjects(2, events, FALSE, waitMs);
        if (which == WAIT_OBJECT_0)
            break;
        if (which == WAIT_OBJECT_0 + 1)
        {
            // What a command ended falls silent at once; what it started
            // waits for the burst to end.
            Service(false);
            while (WaitForSingleObject(m_wake.Get(), kQuietMs) == WAIT_OBJECT_0)
                Service(false);
        }
        waitMs = Service(true);
    }
    for (std::unique_ptr<DriveStream>& stream : m_aStreams)
        stream.reset();
}

DWORD SoundPlayer::Service(bool start)
{

    Wanted wanted[26];
    Look(wanted);

    // Outside the lock: opening a device and handing over sound may block.
    std::vector<int> starting;
    for (int i = 0; i < 26; ++i)
    {
        std::unique_ptr<DriveStream>& stream = m_aStreams[i];
        const Wanted& want = wanted[i];
        if (!want.keep)
        {
            stream.reset();
            continue;
        }
        if (!stream || stream->Serial() != want.serial)
            stream.reset(new DriveStream(want.serial, SourceOf(want)));
        stream->Open();
        if (stream->Playing() && (!want.play || stream->Generation() != want.generation))
            stream->Stop();
        if (start && want.play && !stream->Playing() && !stream->Broken())
        {
            stream->Prepare(want.generation, MsToSample(want.from), MsToSample(want.to));
            starting.push_back(i);
        }
    }
    for (int i : starting)
        m_aStreams[i]->Begin(SimWorld::NowUs());

    uint64_t heard[26] = {};
    bool playing = false;
    for (int i = 0; i < 26; ++i)
    {
        if (m_aStreams[i] && m_aStreams[i]->Playing())
        {
            heard[i] = m_aStreams[i]->Pump(SimWorld::NowUs());
            playing = true;
        }
    }
    Report(wanted, heard);

    DWORD waitMs = playing ? kPumpMs : INFINITE;
    const uint64_t now = SimWorld::NowUs();
    for (const Wanted& want : wanted)
    {
        if (want.seekEndUs)
        {
            const DWORD untilMs = want.seekEndUs > now ? static_cast<DWORD>((want.seekEndUs - now) / 1000u) + 1 : 1;
            waitMs = untilMs < waitMs ? untilMs : waitMs;
            waitMs = waitMs < kPumpMs * 10 ? waitMs : kPumpMs * 10;  // and says it is alive meanwhile
        }
    }
    return waitMs;
}

void SoundPlayer::Look(Wanted* wanted)
{
    const uint32_t self = GetCurrentProcessId();
    SimWorld::Lock lock(m_world);
    if (!m_world.IsOpen() || m_world.Data().timeFactor != 1.0)
        return;
    for (int i = 0; i < 26; ++i)
    {
        SimDriveRecord* drive = m_world.FindDrive(static_cast<char>('A' + i));
        if (!drive || !drive->hasDisc || drive->sourceKind == kSourceNone || m_aDevices[i] == 0)
            continue;
        m_world.Settle(*drive);
        Wanted& want = wanted[i];
        want.keep = true;
        want.serial = drive->sourceSerial;
        if (!m_aStreams[i] || m_aStreams[i]->Serial() != want.serial)
        {
            want.kind = static_cast<SimSource>(drive->sourceKind);
            want.path = drive->sourcePath;
            want.seed = drive->sourceSeed;
            for (uint32_t track = 1; track <= drive->trackCount; ++track)
                want.trackFrames.push_back(MsToFrame(SimWorld::TrackStart(*drive, track)));
            want.endFrame = MsToFrame(SimWorld::DiscEnd(*drive));
        }
        if (drive->soundProcess != self)
            continue;
        want.generation = drive->generation;
        want.play = drive->transport == kPlaying;
        want.from = drive->position;
        want.to = drive->playTo;
        if (drive->transport == kSeeking)
            want.seekEndUs = drive->playStartUs;
    }
}

// Sets the positions of the plays heard here, ends those whose sound has
// ended, and lets those that cannot be heard here go on in real time.
void SoundPlayer::Report(const Wanted* wanted, const uint64_t* heard)
{
    const uint32_t self = GetCurrentProcessId();
    SimWorld::Lock lock(m_world);
    for (int i = 0; i < 26; ++i)
    {
        SimDriveRecord* drive = m_world.FindDrive(static_cast<char>('A' + i));
        if (!drive || drive->soundProcess != self || drive->generation != wanted[i].generation)
            continue;
        const DriveStream* stream = m_aStreams[i].get();
        if (!wanted[i].keep || !stream || stream->Broken())
        {
            m_world.FollowRealTime(*drive);
        }
        else if (stream->Playing() && stream->Generation() == drive->generation)
        {
            if (stream->Finished())
            {
                m_world.EndPlay(*drive);
                m_world.DeliverCompletion(*drive);
            }
            else
            {
                m_world.SoundAt(*drive, SampleToMs(heard[i]), true);
            }
        }
        else
        {
            m_world.SoundAt(*drive, drive->position, false);  // still seeking
        }
    }
}

std::unique_ptr<AudioSource> SoundPlayer::SourceOf(const Wanted& wanted)
{
    if (wanted.kind == kSourceGenerated)
        return std::unique_ptr<AudioSource>(new PhraseGenerator(wanted.seed, wanted.trackFrames, wanted.endFrame));
    std::unique_ptr<DiscImage> image(new DiscImage);
    std::string error;
    if (!image->Load(wanted.kind, Widen(wanted.path, CP_UTF8), error))
        return nullptr;
    return std::unique_ptr<AudioSource>(image.release());
}

}  // namespace simcd
