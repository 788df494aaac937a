"""The Cycles scene built from a lit-image dump: camera, materials and the character's mesh. Blender runs it:

    blender -b --factory-startup --python-exit-code 1 -P scene_test.py
"""

import json
import math
import os
import sys
import tempfile
import unittest

sys.dont_write_bytecode = True  # no __pycache__ in the source tree
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts", "reference"))

import bpy  # noqa: E402
import mathutils  # noqa: E402
from bpy_extras.object_utils import world_to_camera_view  # noqa: E402

import lumivor_scene  # noqa: E402
import sun_map  # noqa: E402

WIDTH, HEIGHT = 320, 240
OBJ = """# two triangles of two materials
g mesh0
usemtl material1
v 0 0 0
v 1 0 0
v 0 1 0
vn 0 0 2
vn 0 0 2
vn 0 0 2
f 1//1 2//2 3//3
g mesh1
usemtl material0
v 0 0 1
v 1 0 1
v 0 1 1
vn 0 0 1
vn 0 0 1
vn 0 0 1
f 4//4 5//5 6//6
"""


def description(folder):
    scene = {
        "width": WIDTH, "height": HEIGHT, "mesh": "lit.obj",
        "camera": {"eye": [1.0, 3.0, 8.0], "target": [0.5, 2.5, 7.0], "up": [0.0, 1.0, 0.0],
                   "verticalFieldOfViewDegrees": 65.0, "near": 0.01, "far": 1000.0},
        "environment": {"key": 1, "file": os.path.join(folder, "sun.hdr")},
        "ground": {"halfSize": 8.0}, "spheres": [],
        "character": {"materials": [{"colour": [0.9, 0.6, 0.5], "alpha": 0.5, "secondAlpha": 0.25},
                                    {"colour": [0.2, 0.4, 0.7], "alpha": 0.5, "secondAlpha": 0.0}]},
    }
    sun_map.write_map(scene["environment"]["file"])
    with open(os.path.join(folder, "lit.json"), "w", encoding="utf-8") as f:
        json.dump(scene, f)
    with open(os.path.join(folder, "lit.obj"), "w", encoding="utf-8") as f:
        f.write(OBJ)
    return lumivor_scene.load_description(os.path.join(folder, "lit.json"))


def program_pixel(camera, point):
    """Where the program's gluLookAt and gluPerspective put a world point, in pixels from the lower left."""
    eye, target, up = (mathutils.Vector(camera[k]) for k in ("eye", "target", "up"))
    forward = (target - eye).normalized()
    side = forward.cross(up).normalized()
    true_up = side.cross(forward)
    d = mathutils.Vector(point) - eye
    focal = 1.0 / math.tan(math.radians(camera["verticalFieldOfViewDegrees"]) / 2.0)
    depth = d.dot(forward)
    x = focal * d.dot(side) / depth * HEIGHT / WIDTH
    y = focal * d.dot(true_up) / depth
    return (x + 1.0) * WIDTH / 2.0, (y + 1.0) * HEIGHT / 2.0


class SceneTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.folder = tempfile.TemporaryDirectory()
        cls.description = description(cls.folder.name)
        cls.scene = lumivor_scene.build(cls.description, lumivor_scene.OBJECTS, 1)

    @classmethod
    def tearDownClass(cls):
        cls.folder.cleanup()

    def test_the_camera_puts_world_points_on_the_programs_pixels(self):
        for point in ([0.0, 0.0, 0.0], [-3.5, 0.45, -3.0], [2.0, 4.0, 1.0]):
            seen = world_to_camera_view(self.scene, self.scene.camera, lumivor_scene.to_blender(point))
            expected = program_pixel(self.description["camera"], point)
            self.assertAlmostEqual(seen.x * WIDTH, expected[0], places=2, msg=point)
            self.assertAlmostEqual(seen.y * HEIGHT, expected[1], places=2, msg=point)

    def test_each_triangle_keeps_its_material_and_only_diffuse_materials_are_marked_for_the_masks(self):
        mesh = bpy.data.objects["character"].data
        self.assertEqual([p.material_index for p in mesh.polygons], [1, 0])
        self.assertEqual([m.pass_index for m in mesh.materials], [0, lumivor_scene.MATERIAL_INDEX_BASE + 1])

    def test_the_programs_normals_shade_the_mesh(self):
        mesh = bpy.data.objects["character"].data
        mesh.calc_normals_split()
        # Lumivor's +z is Blender's -y; the skinned normals need not be of unit length.
        for loop in mesh.loops:
            self.assertAlmostEqual(loop.normal.y, -1.0, places=4)

    def test_mirror_weight_starts_above_one_half_and_gloss_alone_is_not_diffuse(self):
        self.assertEqual(lumivor_scene.mirror_weight(0.5), 0.0)
        self.assertAlmostEqual(lumivor_scene.mirror_weight(0.6), 0.2)
        self.assertFalse(lumivor_scene.is_diffuse(0.5, 0.1))


result = unittest.TextTestRunner(verbosity=2).run(unittest.defaultTestLoader.loadTestsFromTestCase(SceneTest))
sys.exit(0 if result.wasSuccessful() else 1)
