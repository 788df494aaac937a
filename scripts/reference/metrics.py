"""Masks, error measures and pictures for comparing Lumivor's lit image with a Cycles render.

Plain numpy, no Blender: images are float arrays of shape (height, width, 3),
bottom row first, as both renderers store them.
"""

import struct
import zlib

import numpy as np

# The luminance weights the program's lighting uses.
LUMINANCE_WEIGHTS = np.array([0.2125, 0.7154, 0.0721])
# Ground light below this share of the unshadowed light counts as shadowed
# when the direction check looks for the shadow.
SHADOWED_SHARE = 0.5
# Below this luminance a ground pixel receives no light to share.
DARK_LUMINANCE = 1e-6


def luminance(image):
    return image[..., :3] @ LUMINANCE_WEIGHTS


def inner_mask(index, value, margin):
    """Pixels whose index is value and whose neighbours within margin pixels are too.

    The margin keeps pixels off silhouettes, where a pixel mixes two surfaces
    and the two renderers' edges differ by a fraction of a pixel.
    """
    mask = np.asarray(index == value)
    height, width = mask.shape
    padded = np.pad(mask, margin, constant_values=False)
    inner = np.ones_like(mask)
    for dy in range(-margin, margin + 1):
        for dx in range(-margin, margin + 1):
            inner &= padded[margin + dy:margin + dy + height, margin + dx:margin + dx + width]
    return inner


def relative_error(ours, reference, mask):
    """Mean absolute luminance difference over the mask, relative to the reference's mean luminance there."""
    ours_luminance = luminance(ours)[mask]
    reference_luminance = luminance(reference)[mask]
    return float(np.abs(ours_luminance - reference_luminance).sum() / reference_luminance.sum())


def bias(ours, reference, mask):
    """How much brighter (positive) or darker (negative) ours is over the mask, relative to the reference."""
    return float(luminance(ours)[mask].sum() / luminance(reference)[mask].sum() - 1.0)


def pixel_share(shadowed_luminance, open_luminance):
    """Per pixel, the share of the ground's light that reaches it: shadowed over open luminance, 0 where no light."""
    share = np.zeros_like(open_luminance)
    np.divide(shadowed_luminance, open_luminance, out=share, where=open_luminance > DARK_LUMINANCE)
    return share


def lit_ground(mask, *open_luminances):
    """The pixels of the mask where every renderer's unshadowed ground receives light: only there is a share defined."""
    lit = mask.copy()
    for luminance_image in open_luminances:
        lit &= luminance_image > DARK_LUMINANCE
    return lit


def mean_share(share, mask):
    """The ground's shadow share: the mean over the mask of the share of the light that reaches each pixel.

    A ground with no lit pixel at all takes no light: its share is 0.
    """
    return float(share[mask].mean()) if mask.any() else 0.0


def shadow_centroid(share, mask):
    """The centre (x, y) of the ground pixels in shadow, or None when none is."""
    ys, xs = np.nonzero(mask & (share < SHADOWED_SHARE))
    if xs.size == 0:
        return None
    return float(xs.mean()), float(ys.mean())


def tone_map(image):
    """Display values as the program's final pass makes them, less bloom and grain: its filmic curve and gamma 2.2."""
    x = np.maximum(image[..., :3], 0.0)
    curve = np.clip((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0)
    return np.round(255.0 * curve ** (1.0 / 2.2)).astype(np.uint8)


def write_png(path, pixels):
    """An 8-bit RGB PNG of pixels (height, width, 3), bottom row first."""
    rows = pixels[::-1]
    height, width, _ = rows.shape
    raw = b"".join(b"\x00" + row.tobytes() for row in rows)

    def chunk(kind, data):
        body = kind + data
        return struct.pack(">I", len(data)) + body + struct.pack(">I", zlib.crc32(body) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    with open(path, "wb") as f:
        f.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(raw, 9)) +
                chunk(b"IEND", b""))
