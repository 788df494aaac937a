"""Renders the frame of Lumivor's lit-image dumps with Cycles and measures how far the program's picture is from it.

Blender runs it headless; scripts/reference.sh does that:

    blender -b --factory-startup --python-exit-code 2 -P render_reference.py -- [options] DUMP.json ...

For each dump (written by lumivor --dump-lit) it renders the parts of the
frame (lumivor_scene.PARTS) and prints one row: the relative error and the
bias of the matte sphere and of the character's diffuse parts, and the
relative error of the ground's shadow share with both renderers' shares. It
exits with status 1 when an error exceeds --max-error. With --shadow-position
it checks instead that both renderers put the ground's shadow in the same
place.
"""

import argparse
import glob
import math
import os
import sys
import tempfile
import time

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import bpy  # noqa: E402
import numpy as np  # noqa: E402

import lumivor_scene  # noqa: E402
import metrics  # noqa: E402

# The passes each part's render writes.
PASSES = {
    lumivor_scene.OBJECTS: ("Image", "IndexOB", "IndexMA"),
    lumivor_scene.SHADOWED_GROUND: ("Image", "IndexOB"),
    lumivor_scene.OPEN_GROUND: ("Image",),
}


def parse_arguments():
    argv = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    parser = argparse.ArgumentParser(prog="render_reference.py", description=__doc__.split("\n")[0])
    parser.add_argument("dumps", nargs="+", help="scene descriptions (NAME.json) written by lumivor --dump-lit")
    parser.add_argument("--samples", type=int, default=128, help="samples per pixel of the objects")
    parser.add_argument("--ground-samples", type=int, default=16, help="samples per pixel of each ground render")
    parser.add_argument("--margin", type=int, default=1, help="pixels kept off every silhouette")
    parser.add_argument("--max-error", type=float, default=None, help="fail when an error exceeds this")
    parser.add_argument("--noise", action="store_true",
                        help="render everything a second time and print how much of each error the reference's "
                             "own noise makes")
    parser.add_argument("--pictures", help="write NAME.png here: ours left, Cycles right, tone-mapped alike")
    parser.add_argument("--markdown", help="also print the table in Markdown, headed by this text")
    parser.add_argument("--shadow-position", type=float, default=None, metavar="PIXELS",
                        help="only check where the ground is shadowed: fail when the centres of the two "
                             "renderers' shadows lie farther apart than this")
    return parser.parse_args(argv)


def load_image(path):
    """An image file's RGBA values, shape (height, width, 4), bottom row first."""
    image = bpy.data.images.load(path)
    width, height = image.size
    pixels = np.empty(width * height * 4, dtype=np.float32)
    image.pixels.foreach_get(pixels)
    bpy.data.images.remove(image)
    return pixels.reshape(height, width, 4).astype(np.float64)


def render_part(description, part, samples, seed, folder):
    """Renders one part; its passes by name, each an RGBA array."""
    scene = lumivor_scene.build(description, part, samples, seed)
    scene.use_nodes = True
    tree = scene.node_tree
    tree.nodes.clear()
    layers = tree.nodes.new("CompositorNodeRLayers")
    output = tree.nodes.new("CompositorNodeOutputFile")
    output.base_path = folder
    output.format.file_format = "OPEN_EXR"
    output.format.color_depth = "32"
    output.file_slots.clear()
    for name in PASSES[part]:
        output.file_slots.new(name)
        tree.links.new(layers.outputs[name], output.inputs[-1])
    bpy.ops.render.render()
    # The file output node numbers its files by frame.
    return {name: load_image(glob.glob(os.path.join(folder, name + "[0-9]*.exr"))[0]) for name in PASSES[part]}


def render_reference(description, arguments, seed, folder):
    """Every part of the dump's frame; the shadow check needs the objects only for their silhouettes."""
    rendered = {}
    for part in lumivor_scene.PARTS:
        shaded = part == lumivor_scene.OBJECTS and arguments.shadow_position is None
        samples = arguments.samples if shaded else arguments.ground_samples
        part_folder = os.path.join(folder, "%s-%d" % (part.replace(" ", "-"), seed))
        rendered[part] = render_part(description, part, samples, seed, part_folder)
    return rendered


def index_image(rendered, part, name):
    return np.rint(rendered[part][name][..., 0]).astype(int)


def ground_luminances(rendered):
    """The reference's ground light with the objects and without them."""
    return (metrics.luminance(rendered[lumivor_scene.SHADOWED_GROUND]["Image"]),
            metrics.luminance(rendered[lumivor_scene.OPEN_GROUND]["Image"]))


class Masks:
    """Where each measure looks, from the reference's index passes, kept off silhouettes by the margin."""

    def __init__(self, description, rendered, margin):
        objects = index_image(rendered, lumivor_scene.OBJECTS, "IndexOB")
        ground = index_image(rendered, lumivor_scene.SHADOWED_GROUND, "IndexOB")
        # Where the ground shows in the picture, edges included, and the ground the measures use.
        self.ground_picture = (ground == lumivor_scene.GROUND_INDEX) & (objects == 0)
        self.ground = metrics.inner_mask(ground, lumivor_scene.GROUND_INDEX, margin) & \
            metrics.inner_mask(objects, 0, margin)
        self.matte_sphere = np.zeros_like(self.ground)
        for index, sphere in enumerate(description["spheres"]):
            if sphere["seen"] and lumivor_scene.is_diffuse(sphere["colourAlpha"], sphere["normalAlpha"]):
                self.matte_sphere |= metrics.inner_mask(objects, lumivor_scene.SPHERE_INDEX_BASE + index, margin)
        material = index_image(rendered, lumivor_scene.OBJECTS, "IndexMA")
        character = metrics.inner_mask(objects, lumivor_scene.CHARACTER_INDEX, margin)
        self.character_diffuse = np.zeros_like(self.ground)
        for index, entry in enumerate(description["character"]["materials"]):
            if lumivor_scene.is_diffuse(entry["alpha"], entry["secondAlpha"]):
                self.character_diffuse |= character & metrics.inner_mask(
                    material, lumivor_scene.MATERIAL_INDEX_BASE + index, margin)


class Result:
    """One environment's measures of ours against the reference."""

    def __init__(self, ours, ours_ground, reference, masks):
        image = reference[lumivor_scene.OBJECTS]["Image"]
        self.matte_error = metrics.relative_error(ours, image, masks.matte_sphere)
        self.matte_bias = metrics.bias(ours, image, masks.matte_sphere)
        self.character_error = metrics.relative_error(ours, image, masks.character_diffuse)
        self.character_bias = metrics.bias(ours, image, masks.character_diffuse)
        # Both shares over the ground the reference lights; a pixel ours leaves unlit there counts as shadow.
        reference_ground = ground_luminances(reference)
        lit = metrics.lit_ground(masks.ground, reference_ground[1])
        self.share = metrics.mean_share(metrics.pixel_share(*ours_ground), metrics.lit_ground(lit, ours_ground[1]))
        self.reference_share = metrics.mean_share(metrics.pixel_share(*reference_ground), lit)
        self.share_error = abs(self.share - self.reference_share) / self.reference_share
        self.pixels = (int(masks.matte_sphere.sum()), int(masks.character_diffuse.sum()), int(lit.sum()))
        self.noise = None  # how much of each error the reference's noise makes, when measured

    def errors(self):
        return self.matte_error, self.character_error, self.share_error


HEADER = ("%-20s %-15s %-15s %-23s %s" % ("environment", "matte sphere", "character diff.", "ground shadow share",
                                           "seconds") + "\n" +
          "%-20s %-6s %-8s %-6s %-8s %-6s %-7s %-8s" % ("", "error", "bias", "error", "bias", "error", "ours",
                                                        "Cycles"))


def row(label, result, seconds):
    text = "%-20s %-6.3f %-+8.3f %-6.3f %-+8.3f %-6.4f %-7.4f %-8.4f %.0f" % (
        label, result.matte_error, result.matte_bias, result.character_error, result.character_bias,
        result.share_error, result.share, result.reference_share, seconds)
    if result.noise is not None:
        text += "   noise: " + " ".join("%.3f" % n for n in result.noise)
    return text


def markdown(heading, labelled_results):
    """The table for docs/reference.md; with --noise, the noise of each error in a last column."""
    noise = all(r.noise is not None for _, r in labelled_results)
    lines = [heading, "",
             "| environment | matte sphere error | bias | character diffuse error | bias | ground shadow share error |"
             " share, ours | share, Cycles |" + (" noise of each error |" if noise else ""),
             "|---|---|---|---|---|---|---|---|" + ("---|" if noise else "")]
    for label, r in labelled_results:
        lines.append("| %s | %.3f | %+.3f | %.3f | %+.3f | %.4f | %.4f | %.4f |" % (
            label, r.matte_error, r.matte_bias, r.character_error, r.character_bias, r.share_error, r.share,
            r.reference_share) + (" %s |" % ", ".join("%.3f" % n for n in r.noise) if noise else ""))
    return "\n".join(lines)


def write_picture(path, ours, reference, masks):
    """Ours on the left, Cycles on the right, tone-mapped alike. The reference's ground is its environment darkened
    by the share of the ground's light the objects let through, as a shadow catcher composites it."""
    share = metrics.pixel_share(*ground_luminances(reference))
    picture = reference[lumivor_scene.OBJECTS]["Image"][..., :3].copy()
    picture[masks.ground_picture] *= share[masks.ground_picture][:, None]
    metrics.write_png(path, np.concatenate([metrics.tone_map(ours), metrics.tone_map(picture)], axis=1))


def load_dump(path):
    """The description and our two images (luminances of the lit and unshadowed images) of one dump."""
    description = lumivor_scene.load_description(path)
    ours = load_image(os.path.join(description["folder"], description["image"]))
    unshadowed = load_image(os.path.join(description["folder"], description["unshadowedImage"]))
    if ours.shape[:2] != (description["height"], description["width"]):
        raise SystemExit("%s: the lit image is not %dx%d" % (path, description["width"], description["height"]))
    return description, ours, (metrics.luminance(ours), metrics.luminance(unshadowed))


def compare(arguments, folder):
    """Measures every dump; the worst error."""
    print(HEADER)
    sys.stdout.flush()
    labelled_results = []
    for path in arguments.dumps:
        started = time.time()
        description, ours, ours_ground = load_dump(path)
        reference = render_reference(description, arguments, 0, folder)
        masks = Masks(description, reference, arguments.margin)
        result = Result(ours, ours_ground, reference, masks)
        if arguments.noise:
            # The same measures between the reference and a second render of it with other random numbers, over
            # the square root of two, as both carry the noise: how much of each error the noise alone makes.
            second = render_reference(description, arguments, 1, folder)
            repeat = Result(second[lumivor_scene.OBJECTS]["Image"], ground_luminances(second), reference, masks)
            result.noise = [e / math.sqrt(2.0) for e in repeat.errors()]
        label = os.path.basename(description["environment"]["file"])
        print(row(label, result, time.time() - started))
        print("%-20s pixels measured: %d, %d, %d" % ("", *result.pixels))
        sys.stdout.flush()
        labelled_results.append((label, result))
        if arguments.pictures:
            os.makedirs(arguments.pictures, exist_ok=True)
            name = os.path.splitext(os.path.basename(path))[0] + ".png"
            write_picture(os.path.join(arguments.pictures, name), ours, reference, masks)
    if arguments.markdown:
        print("\n" + markdown(arguments.markdown, labelled_results))
    return max(max(r.errors()) for _, r in labelled_results)


def check_shadow_position(arguments, folder):
    """The largest distance in pixels between the centres of the two renderers' shadows (infinite when one has
    none)."""
    worst = 0.0
    for path in arguments.dumps:
        description, _, ours_ground = load_dump(path)
        reference = render_reference(description, arguments, 0, folder)
        masks = Masks(description, reference, arguments.margin)
        reference_ground = ground_luminances(reference)
        lit = metrics.lit_ground(masks.ground, ours_ground[1], reference_ground[1])
        ours = metrics.shadow_centroid(metrics.pixel_share(*ours_ground), lit)
        theirs = metrics.shadow_centroid(metrics.pixel_share(*reference_ground), lit)
        distance = math.inf if ours is None or theirs is None else math.dist(ours, theirs)
        where = lambda centre: "nowhere" if centre is None else "(%.1f, %.1f)" % centre  # noqa: E731
        print("%s: the shadow's centre lies at %s in ours and at %s in Cycles: %.2f pixels apart" % (
            os.path.basename(description["environment"]["file"]), where(ours), where(theirs), distance))
        worst = max(worst, distance)
    return worst


def main():
    arguments = parse_arguments()
    with tempfile.TemporaryDirectory(prefix="lumivor-reference-") as folder:
        if arguments.shadow_position is not None:
            worst, limit = check_shadow_position(arguments, folder), arguments.shadow_position
        else:
            worst, limit = compare(arguments, folder), arguments.max_error
    if limit is not None and not worst <= limit:
        print("FAILED: %.3f exceeds %.3f" % (worst, limit))
        sys.exit(1)


main()
