#!/usr/bin/python3
"""Regenerates every embedded Ogg track under resources/audio/.

  /usr/bin/python3 tools/audio/make_audio.py            # all twenty tracks
  /usr/bin/python3 tools/audio/make_audio.py 101 181    # only these

Narration: the texts of resources/narration/<id>.txt, one sentence (or short
group of sentences) per line, blank lines between paragraphs, spoken by
Festival with the HTS voice cmu_us_slt_arctic_hts one line at a time, so that
the pauses between lines and paragraphs are ours and the same everywhere.
Music (101) and chime (103) are additive synthesis written here with numpy.

Needs the Debian packages festival, festvox-us-slt-hts, vorbis-tools, ffmpeg,
python3-numpy and python3-scipy. Runs one synthesis at a time on purpose.
"""

import os
import re
import subprocess
import sys
import tempfile
import wave

import numpy as np
from scipy.ndimage import minimum_filter1d
from scipy.signal import resample_poly, butter, sosfiltfilt

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from tracks import TRACKS, NARRATION_IDS, SAMPLE_RATE, ogg_path, narration_path  # noqa: E402

FS = SAMPLE_RATE

# Voice and pacing. A speed factor below 1 slows the HTS engine; 0.92 keeps the
# voice natural while giving a calm pace for a narrated tour.
VOICE = "voice_cmu_us_slt_arctic_hts"
HTS_SPEED = 0.92
LEAD_IN = 0.35        # seconds of silence before the first word
LINE_GAP = 0.40       # between lines of one paragraph
PARAGRAPH_GAP = 0.85  # between paragraphs
TAIL = 0.60           # after the last word
FADE_IN = 0.03
FADE_OUT = 0.25

NARRATION_LUFS = -16.0
MUSIC_LUFS = -28.0    # sits about 12 LU under the narration
CHIME_LUFS = -18.0
VORBIS_QUALITY = "4"

# The subtitles keep the written form; the voice gets these spellings where its
# lexicon or letter-to-sound rules go wrong (checked with festival's lex.lookup).
SPEECH_SPELLING = [
    (r"\bQB50P(\d)\b", r"Q B fifty P \1"),
    (r"\bQB50\b", "Q B fifty"),
    (r"\bCubeSats\b", "cube sats"),
    (r"\bCubeSat\b", "cube sat"),
    (r"\bINSAT 3A\b", "In-sat three ay"),
    (r"\bINTEGRAL\b", "Integral"),
    (r"\bGLONASS\b", "Glonass"),
    (r"\bBeiDou\b", "Bay-doe"),
    (r"\bFengyun 1C\b", "Fung-yoon one C"),
    (r"\bThuraya\b", "Thoo-rye-ya"),
    (r"\bMolniya\b", "Moll-nee-ya"),
    (r"\bDnepr\b", "Dnieper"),
    (r"\bBlock II F\b", "Block two F"),
    (r"\bCosmos 2251\b", "Cosmos twenty-two fifty-one"),
    (r"\bNASA\b", "Nassa"),
    (r"kilometres\b", "kilometers"),
    (r"centimetres\b", "centimeters"),
    (r"\bNeighbours\b", "Neighbors"),
    (r"\bcolour\b", "color"),
]


def speech_text(line):
    for pattern, replacement in SPEECH_SPELLING:
        line = re.sub(pattern, replacement, line)
    return line


def read_paragraphs(path):
    """Paragraphs (lists of non-empty lines) of a narration file."""
    with open(path, encoding="utf-8") as f:
        text = f.read()
    paragraphs = []
    for block in re.split(r"\n\s*\n", text.strip()):
        lines = [ln.strip() for ln in block.splitlines() if ln.strip()]
        if lines:
            paragraphs.append(lines)
    if not paragraphs:
        raise SystemExit("error: narration file %s is empty" % path)
    return paragraphs


def read_wav(path):
    with wave.open(path, "rb") as w:
        if w.getsampwidth() != 2:
            raise SystemExit("error: %s is not 16-bit PCM" % path)
        rate = w.getframerate()
        channels = w.getnchannels()
        data = np.frombuffer(w.readframes(w.getnframes()), dtype="<i2").astype(np.float64) / 32768.0
    if channels > 1:
        data = data.reshape(-1, channels).mean(axis=1)
    return data, rate


def write_wav(path, samples):
    """samples: (n,) mono or (n, channels), floats in [-1, 1]."""
    if samples.ndim == 1:
        samples = samples[:, None]
    peak = np.max(np.abs(samples))
    if peak > 1.0:
        raise SystemExit("error: %s would clip (peak %.3f)" % (path, peak))
    pcm = np.round(samples * 32767.0).astype("<i2")
    with wave.open(path, "wb") as w:
        w.setnchannels(samples.shape[1])
        w.setsampwidth(2)
        w.setframerate(FS)
        w.writeframes(pcm.tobytes())


def trim_silence(x, rate, threshold_db=-45.0):
    """Cuts the synthesiser's own leading and trailing silence (10 ms frames)."""
    frame = int(rate * 0.01)
    n = len(x) // frame
    if n == 0:
        return x
    rms = np.sqrt(np.mean(x[: n * frame].reshape(n, frame) ** 2, axis=1) + 1e-20)
    loud = np.nonzero(20 * np.log10(rms / (np.max(np.abs(x)) + 1e-20)) > threshold_db)[0]
    if len(loud) == 0:
        return x[:0]
    start = max(0, loud[0] - 2) * frame
    end = min(len(x), (loud[-1] + 3) * frame)
    return x[start:end]


def synthesise_line(text, workdir):
    txt = os.path.join(workdir, "line.txt")
    out = os.path.join(workdir, "line.wav")
    with open(txt, "w", encoding="utf-8") as f:
        f.write(text + "\n")
    cmd = ["text2wave",
           "-eval", "(%s)" % VOICE,
           "-eval", '(set! hts_engine_params (append hts_engine_params (list (list "-r" %.3f))))' % HTS_SPEED,
           txt, "-o", out]
    subprocess.run(cmd, check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    samples, rate = read_wav(out)
    return trim_silence(samples, rate), rate


def integrated_loudness(path):
    """EBU R128 integrated loudness in LUFS, measured by ffmpeg's ebur128 filter."""
    res = subprocess.run(["ffmpeg", "-hide_banner", "-nostats", "-i", path, "-af", "ebur128", "-f", "null", "-"],
                         check=True, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    summary = res.stdout[res.stdout.rfind("Summary:"):]
    m = re.search(r"I:\s+(-?[\d.]+) LUFS", summary)
    if not m:
        raise SystemExit("error: no loudness reading for %s" % path)
    return float(m.group(1))


def fade(x, fade_in, fade_out):
    n_in, n_out = int(FS * fade_in), int(FS * fade_out)
    ramp_in = 0.5 - 0.5 * np.cos(np.linspace(0, np.pi, n_in))
    ramp_out = 0.5 + 0.5 * np.cos(np.linspace(0, np.pi, n_out))
    x = x.copy()
    x[:n_in] *= ramp_in[:, None] if x.ndim == 2 else ramp_in
    x[len(x) - n_out:] *= ramp_out[:, None] if x.ndim == 2 else ramp_out
    return x


def limit_peaks(x, ceiling=0.89, window=0.005):
    """Look-ahead peak limiter: the gain dips smoothly, 5 ms around each peak
    that would pass the ceiling (-1 dBFS), and is 1 elsewhere."""
    mono_peak = np.max(np.abs(x), axis=1) if x.ndim == 2 else np.abs(x)
    need = np.minimum(1.0, ceiling / np.maximum(mono_peak, 1e-9))
    half = int(FS * window)
    held = minimum_filter1d(need, size=2 * half + 1)
    kernel = np.hanning(2 * half + 3)[1:-1]
    gain = np.convolve(held, kernel / kernel.sum(), mode="same")
    gain = np.minimum(gain, held)  # keep the guarantee at the edges of the convolution
    return x * (gain[:, None] if x.ndim == 2 else gain)


def normalise_and_encode(samples, target_lufs, title, track_id, workdir):
    """Scales to the target loudness (limiting the few peaks above -1 dBFS),
    writes 16-bit PCM and encodes Ogg Vorbis."""
    wav = os.path.join(workdir, "track.wav")
    scaled = samples * (0.5 / np.max(np.abs(samples)))
    for _ in range(3):
        write_wav(wav, np.clip(scaled, -1.0, 1.0))
        error_db = target_lufs - integrated_loudness(wav)
        if abs(error_db) < 0.05:
            break
        scaled = limit_peaks(scaled * 10 ** (error_db / 20.0))
    out = ogg_path(track_id)
    # A fixed stream serial number (oggenc picks a random one) keeps the output byte-reproducible.
    cmd = ["oggenc", "-Q", "-q", VORBIS_QUALITY, "--serial", str(track_id), "-o", out]
    if title is not None:
        cmd += ["-t", title]
    subprocess.run(cmd + [wav], check=True)
    # oggenc writes only the tags it was given; an untagged track keeps an empty
    # comment list (vendor string only).
    return integrated_loudness(wav), np.max(np.abs(scaled))


def make_narration(track_id, workdir):
    paragraphs = read_paragraphs(narration_path(track_id))
    pieces = []
    rate = None
    for p, lines in enumerate(paragraphs):
        for i, line in enumerate(lines):
            speech, rate = synthesise_line(speech_text(line), workdir)
            if pieces:
                gap = PARAGRAPH_GAP if i == 0 else LINE_GAP
                pieces.append(np.zeros(int(rate * gap)))
            pieces.append(speech)
    voice = np.concatenate([np.zeros(int(rate * LEAD_IN))] + pieces + [np.zeros(int(rate * TAIL))])
    # Resample to 44.1 kHz (exact rational ratio) and take out rumble below 70 Hz.
    g = np.gcd(FS, rate)
    voice = resample_poly(voice, FS // g, rate // g)
    voice = sosfiltfilt(butter(2, 70.0, "highpass", fs=FS, output="sos"), voice)
    channels, _, title = TRACKS[track_id]
    stereo = np.repeat(voice[:, None], channels, axis=1)
    return fade(stereo, FADE_IN, FADE_OUT), title


# --- Music loop (101) ------------------------------------------------------

LOOP_SECONDS = 24
CHORD_SECONDS = 6


def loop_freq(f):
    """Nearest frequency with a whole number of cycles in the loop, so every
    partial is exactly periodic and the loop point has no seam."""
    return round(f * LOOP_SECONDS) / LOOP_SECONDS


def midi_hz(note):
    return 440.0 * 2 ** ((note - 69) / 12.0)


def make_music():
    n = LOOP_SECONDS * FS
    t = np.arange(n) / FS
    out = np.zeros((n, 2))
    # D major, slow: Dmaj9, Bm7, Gmaj7, Asus4 (MIDI notes), one chord every 6 s.
    chords = [
        [38, 45, 54, 57, 64],
        [35, 47, 54, 57, 62],
        [31, 43, 54, 59, 62],
        [33, 45, 52, 57, 62],
    ]
    width = 2 * CHORD_SECONDS  # Hann windows of twice the hop sum to one everywhere
    for c, notes in enumerate(chords):
        centre = c * CHORD_SECONDS + CHORD_SECONDS / 2.0
        d = (t - centre + LOOP_SECONDS / 2.0) % LOOP_SECONDS - LOOP_SECONDS / 2.0  # circular distance
        env = np.where(np.abs(d) < width / 2.0, 0.5 + 0.5 * np.cos(2 * np.pi * d / width), 0.0)
        for v, note in enumerate(notes):
            f0 = midi_hz(note)
            pan = 0.5 + 0.35 * np.sin(1.7 * v + c)  # spread the voices across the stereo field
            voice = np.zeros(n)
            for h in range(1, 7):
                amp = 1.0 / h ** 1.6
                if f0 * h > 4000:
                    break
                # two copies detuned by whole cycles per loop: a slow chorus that stays periodic
                for k, detune in ((0, -1), (1, 1)):
                    f = loop_freq(f0 * h) + detune / LOOP_SECONDS
                    voice += amp * np.sin(2 * np.pi * f * t + 0.9 * v + 1.3 * h + 2.1 * k)
            bass_weight = 1.3 if v == 0 else 1.0
            out[:, 0] += bass_weight * env * voice * (1 - pan)
            out[:, 1] += bass_weight * env * voice * pan
    # Soft bell notes of a slow arpeggio, on a circular time line so that a note
    # that rings past the end continues at the start.
    bells = [(1.0, 74), (4.0, 78), (7.0, 71), (10.0, 74), (13.0, 67), (16.0, 71), (19.0, 69), (22.0, 73)]
    for i, (onset, note) in enumerate(bells):
        age = (t - onset) % LOOP_SECONDS
        attack = np.minimum(age / 0.02, 1.0)
        tone = np.zeros(n)
        for ratio, amp, decay in ((1.0, 1.0, 2.2), (2.0, 0.35, 1.2), (3.0, 0.12, 0.7)):
            f = loop_freq(midi_hz(note) * ratio)
            tone += amp * np.exp(-age / decay) * np.sin(2 * np.pi * f * t)
        tone *= attack
        pan = 0.3 if i % 2 == 0 else 0.7
        out[:, 0] += 0.55 * tone * (1 - pan)
        out[:, 1] += 0.55 * tone * pan
    # A gentle tremolo that completes whole cycles per loop.
    out *= (0.85 + 0.15 * np.sin(2 * np.pi * t / 12.0))[:, None]
    return out


# --- Chime (103) -------------------------------------------------------------

def make_chime():
    n = int(round(4.02 * FS))
    t = np.arange(n) / FS
    out = np.zeros(n)
    for onset, note in ((0.0, 76), (0.28, 81)):  # E5 then A5, a rising fourth
        age = np.clip(t - onset, 0.0, None)
        on = (t >= onset) * np.minimum(age / 0.004, 1.0)
        for ratio, amp, decay in ((1.0, 1.0, 1.1), (2.0, 0.45, 0.6), (3.01, 0.2, 0.35), (4.2, 0.1, 0.2)):
            out += on * amp * np.exp(-age / decay) * np.sin(2 * np.pi * midi_hz(note) * ratio * age)
    return fade(out, 0.0, 0.5)


def main(argv):
    wanted = [int(a) for a in argv] if argv else sorted(TRACKS)
    for track_id in wanted:
        if track_id not in TRACKS:
            raise SystemExit("error: no track %d (known: %s)" % (track_id, ", ".join(map(str, sorted(TRACKS)))))
    os.makedirs(os.path.dirname(ogg_path(101)), exist_ok=True)
    with tempfile.TemporaryDirectory() as workdir:
        for track_id in wanted:
            if track_id == 101:
                samples, title, lufs = make_music(), None, MUSIC_LUFS
            elif track_id == 103:
                samples, title, lufs = make_chime(), None, CHIME_LUFS
            else:
                (samples, title), lufs = make_narration(track_id, workdir), NARRATION_LUFS
            loudness, peak = normalise_and_encode(samples, lufs, title, track_id, workdir)
            target = TRACKS[track_id][1]
            seconds = len(samples) / FS
            print("%d: %6.2f s (target %6.2f, %+4.0f %%), %5.1f LUFS, peak %.2f, %7d bytes, %s" % (
                track_id, seconds, target, 100 * (seconds / target - 1), loudness, peak,
                os.path.getsize(ogg_path(track_id)), title or "untagged"), flush=True)


if __name__ == "__main__":
    main(sys.argv[1:])
