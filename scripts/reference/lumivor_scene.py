"""Builds a Blender scene for Cycles from the description Lumivor writes with --dump-lit.

Lumivor's world has y up; Blender's has z up. A point (x, y, z) of Lumivor is
(x, -z, y) in Blender, a proper rotation, so the handedness and every angle
are kept.

Objects get pass indices so that the object-index and material-index passes
tell them apart (see GROUND_INDEX and MATERIAL_INDEX_BASE).
"""

import json
import math
import os

import bmesh
import bpy
import mathutils

# Object pass indices; the spheres follow SPHERE_INDEX_BASE in the description's order.
GROUND_INDEX = 1
CHARACTER_INDEX = 2
SPHERE_INDEX_BASE = 3
# The character's material k has material pass index MATERIAL_INDEX_BASE + k.
MATERIAL_INDEX_BASE = 1

# Lumivor's map lookup turns the latitude-longitude picture a quarter turn
# against Blender's environment texture: its left edge looks along -z (Blender
# +y), where Blender's looks along -x. The world texture is read through this
# rotation about the vertical.
MAP_TURN_DEGREES = 90.0

# The glossy sphere: an exponent-80 Blinn-Phong highlight is about a GGX lobe of
# alpha sqrt(2 / (80 + 2)); the Principled BSDF's roughness is alpha's square root.
GLOSSY_ROUGHNESS = math.sqrt(math.sqrt(2.0 / 82.0))
# The glossy sphere's reflectance at normal incidence, as Lumivor's Fresnel term starts.
GLOSSY_SPECULAR = 0.5  # Principled "Specular" 0.5 is a reflectance of 0.04

SPHERE_SEGMENTS = 64
SPHERE_RINGS = 32


def to_blender(v):
    """A Lumivor point or direction in Blender's axes."""
    return mathutils.Vector((v[0], -v[2], v[1]))


def load_description(path):
    with open(path, encoding="utf-8") as f:
        scene = json.load(f)
    scene["folder"] = os.path.dirname(os.path.abspath(path))
    return scene


def mirror_weight(colour_alpha):
    """The lighting program's mirror weight: alpha above one half, 1 a full mirror."""
    return min(max(2.0 * colour_alpha - 1.0, 0.0), 1.0)


def is_diffuse(colour_alpha, normal_alpha):
    """A surface that the lighting program shades as plain diffuse: no mirror, no gloss."""
    return mirror_weight(colour_alpha) == 0.0 and normal_alpha == 0.0


def reset():
    """An empty scene: the factory start-up's cube, light and camera go."""
    for obj in list(bpy.data.objects):
        bpy.data.objects.remove(obj, do_unlink=True)


def configure_cycles(scene, width, height, samples, seed):
    render = scene.render
    render.engine = "CYCLES"
    render.resolution_x = width
    render.resolution_y = height
    render.resolution_percentage = 100
    render.pixel_aspect_x = 1.0
    render.pixel_aspect_y = 1.0
    render.film_transparent = False
    render.use_compositing = True
    render.use_sequencer = False
    # The program's radiance is compared as it is: no view transform, no look.
    scene.view_settings.view_transform = "Standard"
    scene.view_settings.look = "None"
    scene.view_settings.exposure = 0.0
    scene.view_settings.gamma = 1.0
    cycles = scene.cycles
    cycles.device = "CPU"
    cycles.samples = samples
    cycles.seed = seed
    cycles.use_adaptive_sampling = False
    # Debian's Blender has no denoiser; a render that asks for one fails.
    cycles.use_denoising = False
    # Caustics through the mirror sphere only add noise at this sample count.
    cycles.caustics_reflective = False
    cycles.caustics_refractive = False
    cycles.max_bounces = 4
    cycles.diffuse_bounces = 2
    cycles.glossy_bounces = 2
    cycles.transmission_bounces = 0
    cycles.transparent_max_bounces = 0
    # A one-pixel box: each pixel averages its own area only, the nearest to the
    # program's one sample at each pixel's centre without borrowing from neighbours.
    cycles.pixel_filter_type = "BOX"
    cycles.filter_width = 1.0
    layer = scene.view_layers[0]
    layer.use_pass_combined = True
    layer.use_pass_object_index = True
    layer.use_pass_material_index = True


def add_camera(scene, description):
    camera = description["camera"]
    eye = to_blender(camera["eye"])
    target = to_blender(camera["target"])
    up = to_blender(camera["up"])
    forward = (target - eye).normalized()
    right = forward.cross(up).normalized()
    true_up = right.cross(forward)
    # A Blender camera looks along its -z with +y up.
    rotation = mathutils.Matrix((right, true_up, -forward)).transposed()
    data = bpy.data.cameras.new("LumivorCamera")
    data.sensor_fit = "VERTICAL"
    data.angle_y = math.radians(camera["verticalFieldOfViewDegrees"])
    data.clip_start = camera["near"]
    data.clip_end = camera["far"]
    obj = bpy.data.objects.new("LumivorCamera", data)
    obj.matrix_world = mathutils.Matrix.Translation(eye) @ rotation.to_4x4()
    scene.collection.objects.link(obj)
    scene.camera = obj


def add_world(scene, description):
    world = bpy.data.worlds.new("LumivorEnvironment")
    world.use_nodes = True
    nodes = world.node_tree.nodes
    links = world.node_tree.links
    nodes.clear()
    coordinates = nodes.new("ShaderNodeTexCoord")
    mapping = nodes.new("ShaderNodeMapping")
    mapping.vector_type = "POINT"
    # An environment the program turns about the vertical (its "rotationDegrees",
    # when the description has one) turns Blender's lookup by the same angle.
    turn = MAP_TURN_DEGREES + description["environment"].get("rotationDegrees", 0.0)
    mapping.inputs["Rotation"].default_value = (0.0, 0.0, math.radians(turn))
    texture = nodes.new("ShaderNodeTexEnvironment")
    texture.image = bpy.data.images.load(description["environment"]["file"], check_existing=True)
    texture.image.colorspace_settings.name = "Linear"
    # The program reads its map with nearest filtering.
    texture.interpolation = "Closest"
    texture.projection = "EQUIRECTANGULAR"
    background = nodes.new("ShaderNodeBackground")
    background.inputs["Strength"].default_value = 1.0
    output = nodes.new("ShaderNodeOutputWorld")
    links.new(coordinates.outputs["Generated"], mapping.inputs["Vector"])
    links.new(mapping.outputs["Vector"], texture.inputs["Vector"])
    links.new(texture.outputs["Color"], background.inputs["Color"])
    links.new(background.outputs["Background"], output.inputs["Surface"])
    world.cycles.sampling_method = "MANUAL"
    world.cycles.sample_map_resolution = 1024
    scene.world = world


def diffuse_material(name, colour, pass_index=0):
    material = bpy.data.materials.new(name)
    material.use_nodes = True
    material.pass_index = pass_index
    nodes = material.node_tree.nodes
    nodes.clear()
    bsdf = nodes.new("ShaderNodeBsdfDiffuse")
    bsdf.inputs["Color"].default_value = (colour[0], colour[1], colour[2], 1.0)
    bsdf.inputs["Roughness"].default_value = 0.0
    output = nodes.new("ShaderNodeOutputMaterial")
    material.node_tree.links.new(bsdf.outputs["BSDF"], output.inputs["Surface"])
    return material


def sphere_material(name, colour_alpha, normal_alpha):
    """White spheres as the lighting program intends them: matte, glossy or a mirror."""
    if mirror_weight(colour_alpha) > 0.0:
        material = bpy.data.materials.new(name)
        material.use_nodes = True
        nodes = material.node_tree.nodes
        nodes.clear()
        bsdf = nodes.new("ShaderNodeBsdfGlossy")
        bsdf.distribution = "SHARP"
        bsdf.inputs["Color"].default_value = (1.0, 1.0, 1.0, 1.0)
        output = nodes.new("ShaderNodeOutputMaterial")
        material.node_tree.links.new(bsdf.outputs["BSDF"], output.inputs["Surface"])
        return material
    if normal_alpha > 0.0:
        material = bpy.data.materials.new(name)
        material.use_nodes = True
        bsdf = material.node_tree.nodes["Principled BSDF"]
        bsdf.inputs["Base Color"].default_value = (1.0, 1.0, 1.0, 1.0)
        bsdf.inputs["Roughness"].default_value = GLOSSY_ROUGHNESS
        bsdf.inputs["Specular"].default_value = GLOSSY_SPECULAR * normal_alpha
        return material
    return diffuse_material(name, (1.0, 1.0, 1.0))


def add_spheres(scene, description):
    for index, sphere in enumerate(description["spheres"]):
        mesh = bpy.data.meshes.new("sphere-" + sphere["name"])
        # A smooth UV sphere; the program's 42 x 42 sphere differs from a true
        # one by under a thousandth of its radius.
        shape = bmesh.new()
        bmesh.ops.create_uvsphere(shape, u_segments=SPHERE_SEGMENTS, v_segments=SPHERE_RINGS,
                                  radius=sphere["radius"])
        shape.to_mesh(mesh)
        shape.free()
        for polygon in mesh.polygons:
            polygon.use_smooth = True
        obj = bpy.data.objects.new("sphere-" + sphere["name"], mesh)
        obj.location = to_blender(sphere["centre"])
        obj.pass_index = SPHERE_INDEX_BASE + index
        obj.data.materials.append(sphere_material("sphere-" + sphere["name"], sphere["colourAlpha"],
                                                  sphere["normalAlpha"]))
        if not sphere["seen"]:
            # It casts its shadow onto the ground and nothing else.
            obj.visible_camera = False
            obj.visible_diffuse = False
            obj.visible_glossy = False
            obj.visible_transmission = False
        scene.collection.objects.link(obj)


def read_obj(path):
    """Positions, normals and triangles (with their material numbers) of the program's OBJ file."""
    positions, normals, triangles = [], [], []
    material = 0
    with open(path, encoding="utf-8") as f:
        for line in f:
            fields = line.split()
            if not fields:
                continue
            if fields[0] == "v":
                positions.append(tuple(float(x) for x in fields[1:4]))
            elif fields[0] == "vn":
                normals.append(tuple(float(x) for x in fields[1:4]))
            elif fields[0] == "usemtl":
                material = int(fields[1][len("material"):])
            elif fields[0] == "f":
                triangles.append((tuple(int(c.split("/")[0]) - 1 for c in fields[1:4]), material))
    return positions, normals, triangles


def add_character(scene, description):
    positions, normals, triangles = read_obj(os.path.join(description["folder"], description["mesh"]))
    mesh = bpy.data.meshes.new("character")
    mesh.from_pydata([to_blender(p) for p in positions], [], [t[0] for t in triangles])
    for index, entry in enumerate(description["character"]["materials"]):
        diffuse = is_diffuse(entry["alpha"], entry["secondAlpha"])
        mesh.materials.append(diffuse_material("character-%d" % index, entry["colour"],
                                               MATERIAL_INDEX_BASE + index if diffuse else 0))
    for polygon, (_, material) in zip(mesh.polygons, triangles):
        polygon.material_index = material
        polygon.use_smooth = True
    # The skinned normals as the program shades with them (normalised there).
    mesh.use_auto_smooth = True
    mesh.normals_split_custom_set_from_vertices([to_blender(n).normalized() for n in normals])
    mesh.validate()
    obj = bpy.data.objects.new("character", mesh)
    obj.pass_index = CHARACTER_INDEX
    scene.collection.objects.link(obj)


def add_ground(scene, description):
    s = description["ground"]["halfSize"]
    mesh = bpy.data.meshes.new("ground")
    mesh.from_pydata([(s, s, 0.0), (-s, s, 0.0), (-s, -s, 0.0), (s, -s, 0.0)], [], [(0, 1, 2, 3)])
    obj = bpy.data.objects.new("ground", mesh)
    obj.pass_index = GROUND_INDEX
    obj.data.materials.append(diffuse_material("ground", (1.0, 1.0, 1.0)))
    scene.collection.objects.link(obj)


# What a render shows. The objects render leaves the ground out, so the
# camera sees the environment's own ground there and the objects see it below
# them, as the program's sky and reflections do. The two ground renders show a
# white matte ground alone, once with the objects casting their shadows (and
# their light) onto it while the camera looks through them, once without
# them; with the same seed both draw the same random numbers, so wherever the
# objects change nothing the two agree exactly, and their ratio is the share
# of the ground's light that the objects let through.
OBJECTS = "objects"
SHADOWED_GROUND = "shadowed ground"
OPEN_GROUND = "open ground"
PARTS = (OBJECTS, SHADOWED_GROUND, OPEN_GROUND)


def build(description, part, samples, seed=0):
    """The scene of one dump for one part, ready to render."""
    reset()
    scene = bpy.context.scene
    configure_cycles(scene, description["width"], description["height"], samples, seed)
    add_camera(scene, description)
    add_world(scene, description)
    if part != OPEN_GROUND:
        add_spheres(scene, description)
        add_character(scene, description)
    if part != OBJECTS:
        add_ground(scene, description)
        # Light from the objects onto the ground, but none bounced further.
        scene.cycles.max_bounces = 1
        for obj in scene.collection.objects:
            if obj.type == "MESH" and obj.name != "ground":
                obj.visible_camera = False
    return scene
