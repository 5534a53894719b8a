"""Direction conventions shared by the star-cube generator and the checks.

World (inertial) frame of the scene: +Y toward the north celestial pole, +Z toward the vernal
equinox (right ascension 0), +X toward right ascension 6 h; so a star at right ascension a and
declination d lies at (cos d sin a, sin d, cos d cos a).

The renderer draws the cube turned by R = Rx(0.75) Ry(0.6) Rz(1.4) (right-handed, matrix product
in that order) and samples the cube map with the unrotated corner direction. A star seen in world
direction w must therefore sit in the cube map at direction c = R^T w.

Cube-map addressing follows OpenGL's face selection: the largest |component| picks the face,
then (sc, tc, ma) per face as below, s = (sc / |ma| + 1) / 2, t = (tc / |ma| + 1) / 2, texel
column floor(s N), row floor(t N), where row 0 is the first row of the image file as decoded
(the program uploads decoded rows without flipping).
"""
import math

import numpy as np

FACES = ("positive_x", "negative_x", "positive_y", "negative_y", "positive_z", "negative_z")


def rot_x(a):
    c, s = math.cos(a), math.sin(a)
    return np.array([[1, 0, 0], [0, c, -s], [0, s, c]])


def rot_y(a):
    c, s = math.cos(a), math.sin(a)
    return np.array([[c, 0, s], [0, 1, 0], [-s, 0, c]])


def rot_z(a):
    c, s = math.cos(a), math.sin(a)
    return np.array([[c, -s, 0], [s, c, 0], [0, 0, 1]])


R = rot_x(0.75) @ rot_y(0.6) @ rot_z(1.4)


def world_direction(ra_hours, dec_degrees):
    a = np.radians(np.asarray(ra_hours, dtype=np.float64) * 15.0)
    d = np.radians(np.asarray(dec_degrees, dtype=np.float64))
    return np.stack([np.cos(d) * np.sin(a), np.sin(d), np.cos(d) * np.cos(a)], axis=-1)


def cube_direction(world):
    """Direction in the cube map's own frame for world direction(s) (..., 3)."""
    return np.asarray(world) @ R  # row vectors: w R == (R^T w)^T


def face_coords(face, c):
    """(sc, tc, ma) of direction(s) c on the given face, OpenGL table."""
    x, y, z = c[..., 0], c[..., 1], c[..., 2]
    return {
        0: (-z, -y, x),
        1: (z, -y, -x),
        2: (x, z, y),
        3: (x, -z, -y),
        4: (x, -y, z),
        5: (-x, -y, -z),
    }[face]


def face_direction(face, sc, tc):
    """Unnormalised direction of face coordinates sc, tc in -1..1 (inverse of face_coords)."""
    one = np.ones_like(sc)
    return np.stack({
        0: (one, -tc, -sc),
        1: (-one, -tc, sc),
        2: (sc, one, tc),
        3: (sc, -one, -tc),
        4: (sc, -tc, one),
        5: (-sc, -tc, -one),
    }[face], axis=-1)


def lookup(c, size):
    """Face index, column and row of the texel that OpenGL samples nearest for direction c."""
    c = np.asarray(c, dtype=np.float64)
    ax = int(np.argmax(np.abs(c)))
    face = 2 * ax + (0 if c[ax] > 0 else 1)
    sc, tc, ma = face_coords(face, c)
    s = (sc / abs(ma) + 1.0) / 2.0
    t = (tc / abs(ma) + 1.0) / 2.0
    col = min(size - 1, int(math.floor(s * size)))
    row = min(size - 1, int(math.floor(t * size)))
    return face, col, row
