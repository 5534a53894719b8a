#!/usr/bin/python3
"""Shows that check.py rejects each kind of broken track, and passes the real ones.

  /usr/bin/python3 -m unittest tools/audio/test_check.py     (from the repository root)

Each case encodes a deliberately wrong stream with oggenc and expects the
check to name the fault.
"""

import os
import subprocess
import sys
import tempfile
import unittest
import wave

import numpy as np

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check  # noqa: E402
from tracks import TRACKS, ogg_path  # noqa: E402


def encode(path, samples, rate=44100, title=None, extra_tags=()):
    """Encodes float samples (frames, channels) to Ogg Vorbis q4 at path."""
    wav = path + ".wav"
    with wave.open(wav, "wb") as w:
        w.setnchannels(samples.shape[1])
        w.setsampwidth(2)
        w.setframerate(rate)
        w.writeframes(np.round(np.clip(samples, -1, 1) * 32767).astype("<i2").tobytes())
    cmd = ["oggenc", "-Q", "-q", "4", "-o", path]
    if title:
        cmd += ["-t", title]
    for tag in extra_tags:
        cmd += ["-c", tag]
    subprocess.run(cmd + [wav], check=True)
    os.remove(wav)


def tone(seconds, channels, rate=44100, level=0.2, freq=441.0, phase=0.0):
    """A sine; with the default frequency a whole number of cycles fits the
    lengths used here, so it also loops cleanly."""
    t = np.arange(int(round(seconds * rate))) / rate
    return np.repeat((level * np.sin(2 * np.pi * freq * t + phase))[:, None], channels, axis=1)


class CheckFindsFaults(unittest.TestCase):
    def setUp(self):
        self.tmp = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.tmp.name, "track.ogg")

    def tearDown(self):
        self.tmp.cleanup()

    def problems(self, track_id):
        problems, _ = check.check_track(track_id, self.path, self.tmp.name)
        return " | ".join(problems)

    def test_each_fault_is_named(self):
        title106 = TRACKS[106][2]
        # A loop that stops a third of the way through a cycle: the seam cuts the wave.
        clicking = tone(24.0, 2, freq=441.0 + 1.0 / 72.0)
        # A loop that starts at a crest and fades out to silence at the end.
        faded = tone(24.0, 2, phase=np.pi / 2)
        faded[-4410:] *= np.linspace(1.0, 0.0, 4410)[:, None]
        cases = [
            # (name, track, samples, rate, title, extra tags, expected words in the report)
            ("good narration", 106, tone(11.0, 2), 44100, title106, (), None),
            ("good loop", 101, tone(24.0, 2), 44100, None, (), None),
            ("mono narration", 106, tone(11.0, 1), 44100, title106, (), "1 channels, expected 2"),
            ("stereo chime", 103, tone(4.02, 2), 44100, None, (), "2 channels, expected 1"),
            ("48 kHz", 106, tone(11.0, 2, rate=48000), 48000, title106, (), "sample rate 48000"),
            ("too short", 106, tone(8.0, 2), 44100, title106, (), "length 8.00 s"),
            ("too long", 106, tone(14.0, 2), 44100, title106, (), "length 14.00 s"),
            ("silent", 106, tone(11.0, 2, level=0.0), 44100, title106, (), "nearly silent"),
            ("title case", 106, tone(11.0, 2), 44100, title106.lower(), (), "tags"),
            ("missing title", 106, tone(11.0, 2), 44100, None, (), "tags"),
            ("extra tag", 106, tone(11.0, 2), 44100, title106, ("ARTIST=x",), "tags"),
            ("tagged chime", 103, tone(4.02, 1), 44100, "chime", (), "tags"),
            ("cut wave at loop point", 101, clicking, 44100, None, (), "loop point jumps"),
            ("fade-out at loop point", 101, faded, 44100, None, (), "loop point jumps"),
        ]
        for name, track_id, samples, rate, title, extra, expected in cases:
            with self.subTest(name):
                encode(self.path, samples, rate, title, extra)
                report = self.problems(track_id)
                if expected is None:
                    self.assertEqual(report, "")
                else:
                    self.assertIn(expected, report)

    def test_missing_and_corrupt_files(self):
        self.assertIn("missing file", self.problems(106))
        with open(self.path, "wb") as f:
            f.write(b"OggS not really")
        with self.assertRaises(ValueError):
            check.check_track(106, self.path, self.tmp.name)


class EmbeddedTracksPass(unittest.TestCase):
    def test_every_embedded_track(self):
        with tempfile.TemporaryDirectory() as tmp:
            for track_id in sorted(TRACKS):
                with self.subTest(track=track_id):
                    problems, _ = check.check_track(track_id, ogg_path(track_id), tmp)
                    self.assertEqual(problems, [])


if __name__ == "__main__":
    unittest.main()
