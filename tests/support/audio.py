#!/usr/bin/python3
"""Disc images with known sound, and what a recording of the sound server
played of them, for the tests and the benchmark (Debian's python3-numpy).

  audio.py image DIR TRACKS      write DIR/disc.cue, DIR/disc.bin and
                                 DIR/disc.json: TRACKS is lengths in ms,
                                 e.g. 3000,2500+1000,3000 (+N: the next
                                 track's INDEX 00 pregap in ms)
  audio.py segments REC IMAGE    what of the image the recording holds: a
                                 line per stretch, "sound REC_FROM REC_TO
                                 DISC_FROM DISC_TO TRACK OFFSET GLITCHES" or
                                 "silence REC_FROM REC_TO" (in samples; a
                                 stretch goes on across dropouts of 20 ms
                                 at most, its glitches)
  audio.py skew REC IMAGE MS [N] for each burst of sound (apart by silence):
                                 where each drive's sound of the image from
                                 MS on starts, found by cross-correlation,
                                 as "skew SPREAD OFFSET:WEIGHT..." (offsets
                                 in samples from the first; a weight of 1 is
                                 one drive's whole sound); with N, the N
                                 strongest
  audio.py level REC             its length, seconds of sound and of silence,
                                 peak level

Every track holds noise of its own seed: any 20 ms of it is found again in
the image at one place only, to the sample. Recordings are WAV files as
parec writes them; the left channel is compared.
"""
import json
import os
import sys
import wave

import numpy as np

RATE = 44100
FRAME = 588  # samples a frame (1/75 s)
LEAD_IN = 150  # frames before track 1
LEVEL = 0.2 * 32767  # four drives summed stay below full scale
SILENT = 8  # below this level a stretch is silent
HOP = 441  # 10 ms
GLITCH = 882  # 20 ms
WINDOW = 2048


def frames_of(ms):
    return (ms * 75 + 999) // 1000


def track_noise(seed, samples):
    rng = np.random.default_rng(seed)
    return (rng.uniform(-1, 1, (samples, 2)) * LEVEL).astype(np.int16)


def make_image(folder, lengths):
    """Track lengths in frames from ms; a pregap goes before its track's
    INDEX 01 in the file, as INDEX 00."""
    tracks = []
    for item in lengths.split(','):
        length, _, gap = item.partition('+')
        tracks.append((frames_of(int(length)), frames_of(int(gap)) if gap else 0))
    parts, lines = [], ['FILE "disc.bin" BINARY']
    position = 0  # frames into the file
    starts = []
    for number, (length, _) in enumerate(tracks, 1):
        pregap = tracks[number - 2][1] if number > 1 else 0
        lines.append('  TRACK %02d AUDIO' % number)
        if pregap:
            lines.append('    INDEX 00 %s' % msf(position))
            parts.append(track_noise(1000 + number, pregap * FRAME))
            position += pregap
        lines.append('    INDEX 01 %s' % msf(position))
        starts.append(LEAD_IN + position)
        parts.append(track_noise(number, length * FRAME))
        position += length
    os.makedirs(folder, exist_ok=True)
    np.concatenate(parts).tofile(os.path.join(folder, 'disc.bin'))
    with open(os.path.join(folder, 'disc.cue'), 'w', newline='\r\n') as cue:
        cue.write('\n'.join(lines) + '\n')
    with open(os.path.join(folder, 'disc.json'), 'w') as layout:
        json.dump({'starts': starts, 'end': LEAD_IN + position}, layout)


def ms_to_sample(ms):
    """As the drives take a millisecond: its frame's first sample and the
    samples of the milliseconds past the frame's first one, rounded up."""
    frame = ms * 75 // 1000
    return frame * FRAME + ((ms - (frame * 1000 + 74) // 75) * RATE + 999) // 1000


def msf(frames):
    return '%02d:%02d:%02d' % (frames // 75 // 60, frames // 75 % 60, frames % 75)


class Image:
    """The disc's left channel by disc sample (from MSF 00:00:00)."""

    def __init__(self, cue):
        folder = os.path.dirname(cue)
        with open(os.path.join(folder, 'disc.json')) as layout:
            info = json.load(layout)
        self.starts = [s * FRAME for s in info['starts']]
        self.end = info['end'] * FRAME
        data = np.fromfile(os.path.join(folder, 'disc.bin'), dtype='<i2').reshape(-1, 2)
        self.left = np.zeros(self.end, dtype=np.float64)
        self.left[LEAD_IN * FRAME:] = data[:, 0]
        self.spectrum = None

    def track_at(self, sample):
        track = 0
        for number, start in enumerate(self.starts, 1):
            if sample >= start:
                track = number
        return track, sample - self.starts[track - 1] if track else sample

    def locate(self, piece):
        """The disc sample where piece lies, by cross-correlation over the
        whole disc, and how well it matches (1: exactly)."""
        size = 1 << int(np.ceil(np.log2(self.end + len(piece))))
        if self.spectrum is None or len(self.spectrum) != size // 2 + 1:
            self.spectrum = np.fft.rfft(self.left, size)
        corr = np.fft.irfft(self.spectrum * np.conj(np.fft.rfft(piece, size)), size)[:self.end]
        at = int(np.argmax(corr))
        return at, self.match(piece, at)

    def match(self, piece, at):
        if at < 0 or at + len(piece) > self.end:
            return 0.0
        ref = self.left[at:at + len(piece)]
        norm = np.linalg.norm(ref) * np.linalg.norm(piece)
        return float(np.dot(ref, piece) / norm) if norm else 0.0


def load_recording(path):
    with wave.open(path) as w:
        data = np.frombuffer(w.readframes(w.getnframes()), dtype='<i2')
        return data.reshape(-1, w.getnchannels())[:, 0].astype(np.float64)


def sounding(rec):
    """Per hop: whether that 10 ms holds sound."""
    hops = len(rec) // HOP
    return np.array([np.max(np.abs(rec[k * HOP:(k + 1) * HOP])) > SILENT for k in range(hops)])


def spans(flags, least_gap):
    """(first, last + 1) hops of the runs of sound, runs apart by fewer than
    least_gap silent hops joined."""
    runs, start, quiet = [], None, 0
    for k, on in enumerate(flags):
        if on:
            if start is None:
                start = k
            quiet = 0
            last = k
        elif start is not None:
            quiet += 1
            if quiet >= least_gap:
                runs.append((start, last + 1))
                start = None
    if start is not None:
        runs.append((start, last + 1))
    return runs


def onset(rec, hop):
    """The first sample of sound in a hop that starts a run."""
    piece = np.nonzero(np.abs(rec[hop * HOP:(hop + 1) * HOP]) > 0)[0]
    return hop * HOP + int(piece[0]) if len(piece) else hop * HOP


def follows(rec, image, a, b, shift):
    """Per sample of rec[a:b]: whether it is the image's sample shift further on."""
    ok = np.zeros(max(0, b - a), dtype=bool)
    lo, hi = max(a, -shift), min(b, image.end - shift)
    if hi > lo:
        ok[lo - a:hi - a] = np.abs(rec[lo:hi] - image.left[lo + shift:hi + shift]) < 2
    return ok


def segments(rec, image):
    """Stretches of the recording that follow the image without a jump, to
    the sample: (rec_from, rec_to, disc_from)."""
    found = []
    for first, last in spans(sounding(rec), 2):
        lower = n = onset(rec, first)
        end = last * HOP
        while n + WINDOW <= end:
            at, quality = image.locate(rec[n:n + WINDOW])
            if quality < 0.5:
                n += HOP
                continue
            shift = at - n
            misses = np.nonzero(~follows(rec, image, lower, n, shift))[0]
            start = lower + (int(misses[-1]) + 1 if len(misses) else 0)
            misses = np.nonzero(~follows(rec, image, n, end, shift))[0]
            stop = n + (int(misses[0]) if len(misses) else end - n)
            # Silence matches where the image is silent too (before track 1):
            # a stretch starts and ends with sound.
            sound = np.nonzero(rec[start:stop])[0]
            if len(sound):
                start, stop = start + int(sound[0]), start + int(sound[-1]) + 1
            if stop - start < HOP:
                n += HOP  # no stretch of its own here: sound of two plays at once, or not of the image
                continue
            found.append((start, stop, start + shift))
            lower = n = stop
    return found


def heard(rec, image):
    """The stretches joined across dropouts: a break of at most 20 ms after
    which the sound goes on from within 20 ms of where it broke off is a
    glitch of the sound system under load, not a jump of the drive.
    (rec_from, rec_to, disc_from, disc_to, glitches)."""
    joined = []
    for start, stop, disc in segments(rec, image):
        if joined:
            last = joined[-1]
            pause = start - last[1]
            if pause <= GLITCH and abs(disc - last[3] - pause) <= GLITCH:
                joined[-1] = (last[0], stop, last[2], disc + stop - start, last[4] + 1)
                continue
        joined.append((start, stop, disc, disc + stop - start, 0))
    return joined


def print_segments(rec_path, cue):
    rec, image = load_recording(rec_path), Image(cue)
    previous = 0
    for start, stop, disc, disc_to, glitches in heard(rec, image):
        if start > previous:
            print('silence %d %d' % (previous, start))
        track, offset = image.track_at(disc)
        print('sound %d %d %d %d %d %d %d' % (start, stop, disc, disc_to, track, offset, glitches))
        previous = stop
    if len(rec) > previous:
        print('silence %d %d' % (previous, len(rec)))


def print_skew(rec_path, cue, from_ms, drives=None):
    """Several drives playing the image from the same place: the recording
    is their sum, and the cross-correlation of its start with the image's
    first 50 ms from there peaks once per drive, where that drive's sound
    starts (what follows those 50 ms does not count: the sound system may
    drop out later under load). Given the number of drives, the strongest
    peaks count, one per drive: a dropout within those 50 ms splits a
    drive's peak in two."""
    rec, image = load_recording(rec_path), Image(cue)
    first = ms_to_sample(int(from_ms))
    reference = image.left[first:first + RATE // 20]
    for start, stop in spans(sounding(rec), 30):
        n = onset(rec, start)
        piece = rec[max(0, n - RATE // 100):n + RATE // 5 + len(reference)]
        size = 1 << int(np.ceil(np.log2(len(piece) + len(reference))))
        corr = np.fft.irfft(np.fft.rfft(piece, size) * np.conj(np.fft.rfft(reference, size)), size)[:len(piece)]
        weights = corr / np.dot(reference, reference)
        peaks = [k for k in range(1, len(corr) - 1)
                 if weights[k] > 0.3 and weights[k] >= weights[k - 1] and weights[k] > weights[k + 1]]
        if drives:
            peaks = sorted(sorted(peaks, key=lambda k: -weights[k])[:int(drives)])
        if not peaks:
            print('skew none')
            continue
        print('skew %d %s' % (peaks[-1] - peaks[0],
                              ' '.join('%d:%.2f' % (k - peaks[0], weights[k]) for k in peaks)))


def print_level(rec_path):
    rec = load_recording(rec_path)
    flags = sounding(rec)
    print('%.2f s: sound %.2f s, silence %.2f s, peak %d' % (len(rec) / RATE, flags.sum() * HOP / RATE,
                                                           (~flags).sum() * HOP / RATE,
                                                           int(np.max(np.abs(rec))) if len(rec) else 0))


def main(args):
    if len(args) == 3 and args[0] == 'image':
        make_image(args[1], args[2])
    elif len(args) == 3 and args[0] == 'segments':
        print_segments(args[1], args[2])
    elif len(args) in (4, 5) and args[0] == 'skew':
        print_skew(*args[1:])
    elif len(args) == 2 and args[0] == 'level':
        print_level(args[1])
    else:
        sys.stderr.write(__doc__)
        return 2
    return 0


if __name__ == '__main__':
    sys.exit(main(sys.argv[1:]))
