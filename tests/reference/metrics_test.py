"""The reference comparison's measures: masks off silhouettes, errors, the ground's share, pictures."""

import os
import struct
import sys
import tempfile
import unittest
import zlib

import numpy as np

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "reference"))
import metrics  # noqa: E402


def grey(values):
    """An image whose three channels all hold the values."""
    return np.repeat(np.asarray(values, dtype=float)[..., None], 3, axis=-1)


class MaskTest(unittest.TestCase):
    def test_the_margin_keeps_pixels_off_edges_of_the_object_and_of_the_picture(self):
        index = np.zeros((7, 7), dtype=int)
        index[1:6, 1:6] = 4
        index[0:3, 0:3] = 4  # the corner touches the picture's edge
        inner = metrics.inner_mask(index, 4, 1)
        self.assertEqual(inner.sum(), 9 + 1)
        self.assertTrue(inner[2:5, 2:5].all())
        self.assertTrue(inner[1, 1])
        self.assertFalse(inner[0, 0])


class ErrorTest(unittest.TestCase):
    def test_error_and_bias_are_relative_to_the_reference_over_the_mask_only(self):
        reference = grey([[1.0, 3.0, 100.0]])
        ours = grey([[1.5, 2.5, 0.0]])
        mask = np.array([[True, True, False]])
        self.assertAlmostEqual(metrics.relative_error(ours, reference, mask), 1.0 / 4.0)
        self.assertAlmostEqual(metrics.bias(ours, reference, mask), 0.0)
        self.assertAlmostEqual(metrics.bias(0.5 * reference, reference, mask), -0.5)


class GroundShareTest(unittest.TestCase):
    def test_a_pixel_without_light_has_no_share_and_a_ground_without_any_has_share_zero(self):
        share = metrics.pixel_share(np.array([0.5, 0.0, 2.0]), np.array([2.0, 0.0, 2.0]))
        self.assertEqual(list(share), [0.25, 0.0, 1.0])
        lit = metrics.lit_ground(np.array([True, True, True]), np.array([2.0, 0.0, 2.0]))
        self.assertEqual(list(lit), [True, False, True])
        self.assertAlmostEqual(metrics.mean_share(share, lit), 0.625)
        self.assertEqual(metrics.mean_share(share, np.zeros(3, dtype=bool)), 0.0)

    def test_the_shadow_centre_is_the_mean_place_of_the_shadowed_ground(self):
        share = np.ones((4, 6))
        share[1:3, 3:5] = 0.1
        mask = np.ones((4, 6), dtype=bool)
        self.assertEqual(metrics.shadow_centroid(share, mask), (3.5, 1.5))
        mask[1:3, 3:5] = False
        self.assertIsNone(metrics.shadow_centroid(share, mask))


class PictureTest(unittest.TestCase):
    def test_the_png_holds_the_top_row_first_in_the_programs_tone_curve(self):
        image = grey([[0.0, 0.0], [1e6, 1e6]])  # bottom row black, top row far beyond white
        with tempfile.TemporaryDirectory() as folder:
            path = os.path.join(folder, "picture.png")
            metrics.write_png(path, metrics.tone_map(image))
            with open(path, "rb") as f:
                data = f.read()
        width, height = struct.unpack(">II", data[16:24])
        self.assertEqual((width, height), (2, 2))
        start = data.index(b"IDAT")
        length = struct.unpack(">I", data[start - 4:start])[0]
        rows = zlib.decompress(data[start + 4:start + 4 + length])
        self.assertEqual(rows, b"\x00" + b"\xff" * 6 + b"\x00" + b"\x00" * 6)


if __name__ == "__main__":
    unittest.main()
