"""The embedded Ogg tracks: identifier, channels, target length, title tag.

Shared by the generator (make_audio.py) and the check (check.py) so that both
read the same table.
"""

import os

ROOT = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", ".."))
AUDIO_DIR = os.path.join(ROOT, "resources", "audio")
NARRATION_DIR = os.path.join(ROOT, "resources", "narration")

SAMPLE_RATE = 44100

# id: (channels, target length in seconds, title tag or None for an untagged stream)
TRACKS = {
    101: (2, 24.00, None),  # music loop
    103: (1, 4.02, None),   # chime
    106: (2, 11.00, "000_PreSputnik"),
    116: (2, 37.73, "001_ShowSputnik"),
    121: (2, 34.01, "002_Intro"),
    126: (2, 9.89, "003_1_Types_Intro"),
    146: (2, 34.94, "003_Types_Intro_and_LEO"),
    151: (2, 21.25, "004_Types_HEO"),
    156: (2, 21.95, "005_Types_MEO"),
    161: (2, 25.59, "006_Types_GEO_a"),
    171: (2, 54.58, "007_Types_GEO_b"),
    181: (2, 78.42, "008_Inclination_of_GEOs"),
    186: (2, 7.43, "009_Transition_to_Polar"),
    196: (2, 29.29, "010_Polar"),
    206: (2, 53.20, "011_Elliptical_a_Integral"),
    216: (2, 26.10, "013_Netwk_SunSyncIntro"),
    226: (2, 54.74, "014_Netwk_SunSync_Belgian"),
    251: (2, 52.79, "018_Debris"),
    261: (2, 62.19, "019_GPS"),
    266: (2, 21.65, "020_Outtro"),
}

NARRATION_IDS = [i for i in sorted(TRACKS) if TRACKS[i][2] is not None]


def ogg_path(track_id):
    return os.path.join(AUDIO_DIR, "%d.ogg" % track_id)


def narration_path(track_id):
    return os.path.join(NARRATION_DIR, "%d.txt" % track_id)
