# Sample model: a user-style glTF model made with Blender from this script alone, for the pictures in docs/ and for
# trying --model. A subdivided Suzanne with a painted, rough image texture and chrome eyes on a rough red pedestal,
# skinned to a two-bone armature whose head bone turns and nods over two seconds.
#
#   blender -b --factory-startup -P tools/models/make_sample_model.py -- OUTPUT.glb
#
# Blender's glTF exporter needs python3-numpy. The model has about 16,000 triangles, so the program draws
# a simplified copy into the shadow maps.
import math
import sys

import bmesh
import bpy

FRAMES_PER_SECOND = 24
LAST_FRAME = 48  # two seconds
TEXTURE_SIZE = 256


def output_path():
    arguments = sys.argv[sys.argv.index("--") + 1:] if "--" in sys.argv else []
    if len(arguments) != 1:
        raise SystemExit("usage: blender -b --factory-startup -P make_sample_model.py -- OUTPUT.glb")
    return arguments[0]


def painted_image():
    """Terracotta with cream stripes and dark dots: a pattern whose orientation shows at a glance."""
    image = bpy.data.images.new("painted", TEXTURE_SIZE, TEXTURE_SIZE, alpha=True)
    pixels = []
    for row in range(TEXTURE_SIZE):
        for column in range(TEXTURE_SIZE):
            u, v = column / TEXTURE_SIZE, row / TEXTURE_SIZE
            colour = (0.78, 0.36, 0.20)
            if int(v * 16) % 4 == 0:
                colour = (0.95, 0.88, 0.70)
            if (u * 16 % 1 - 0.5) ** 2 + (v * 16 % 1 - 0.5) ** 2 < 0.06 and int(v * 16) % 4 == 2:
                colour = (0.18, 0.10, 0.08)
            pixels.extend((*colour, 1.0))
    image.pixels = pixels
    image.pack()
    return image


def material(name, colour, metallic, roughness, image=None):
    result = bpy.data.materials.new(name)
    result.use_nodes = True
    shader = result.node_tree.nodes["Principled BSDF"]
    shader.inputs["Base Color"].default_value = (*colour, 1.0)
    shader.inputs["Metallic"].default_value = metallic
    shader.inputs["Roughness"].default_value = roughness
    if image is not None:
        texture = result.node_tree.nodes.new("ShaderNodeTexImage")
        texture.image = image
        result.node_tree.links.new(texture.outputs["Color"], shader.inputs["Base Color"])
    return result


def make_head():
    bpy.ops.mesh.primitive_monkey_add(size=1.0, location=(0.0, 0.0, 1.28), rotation=(math.radians(-10), 0.0, 0.0))
    head = bpy.context.active_object
    head.name = "Suzanne"
    subdivision = head.modifiers.new("smooth", "SUBSURF")
    subdivision.levels = 2
    bpy.ops.object.modifier_apply(modifier=subdivision.name)
    bpy.ops.object.shade_smooth()
    head.data.materials.append(material("painted", (1.0, 1.0, 1.0), 0.0, 0.7, painted_image()))
    head.data.materials.append(material("chrome", (0.92, 0.92, 0.95), 1.0, 0.05))
    # The eyes are the two smallest loose parts of Suzanne: they become chrome.
    mesh = bmesh.new()
    mesh.from_mesh(head.data)
    mesh.faces.ensure_lookup_table()
    parts, seen = [], set()
    for face in mesh.faces:
        if face.index in seen:
            continue
        part, stack = [], [face]
        seen.add(face.index)
        while stack:
            current = stack.pop()
            part.append(current)
            for edge in current.edges:
                for neighbour in edge.link_faces:
                    if neighbour.index not in seen:
                        seen.add(neighbour.index)
                        stack.append(neighbour)
        parts.append(part)
    parts.sort(key=len)
    for part in parts[:2]:
        for face in part:
            face.material_index = 1
    mesh.to_mesh(head.data)
    mesh.free()
    return head


def make_pedestal():
    bpy.ops.mesh.primitive_cylinder_add(vertices=48, radius=0.45, depth=0.9, location=(0.0, 0.0, 0.45))
    pedestal = bpy.context.active_object
    pedestal.name = "pedestal"
    bpy.ops.object.shade_smooth()
    pedestal.data.use_auto_smooth = True  # flat caps, smooth sides
    pedestal.data.materials.append(material("red lacquer", (0.55, 0.06, 0.05), 0.0, 0.9))
    return pedestal


def make_armature():
    bpy.ops.object.armature_add(enter_editmode=True, location=(0.0, 0.0, 0.0))
    armature = bpy.context.active_object
    armature.name = "rig"
    bones = armature.data.edit_bones
    base = bones[0]
    base.name = "base"
    base.head, base.tail = (0.0, 0.0, 0.0), (0.0, 0.0, 0.9)
    head = bones.new("head")
    head.head, head.tail = (0.0, 0.0, 0.9), (0.0, 0.0, 1.8)
    head.parent = base
    bpy.ops.object.mode_set(mode="OBJECT")
    return armature


def animate(armature):
    scene = bpy.context.scene
    scene.render.fps = FRAMES_PER_SECOND
    scene.frame_start, scene.frame_end = 0, LAST_FRAME
    bone = armature.pose.bones["head"]
    bone.rotation_mode = "XYZ"
    # Turn to one side, nod, turn to the other, back: the first and last keys match, so the loop is seamless.
    keys = [(0, (0, 0, 0)), (12, (0, 0, 30)), (24, (-15, 0, 0)), (36, (0, 0, -30)), (48, (0, 0, 0))]
    for frame, degrees in keys:
        bone.rotation_euler = [math.radians(angle) for angle in degrees]
        bone.keyframe_insert("rotation_euler", frame=frame)
    armature.animation_data.action.name = "look around"


def main():
    path = output_path()
    bpy.ops.wm.read_factory_settings(use_empty=True)
    head = make_head()
    pedestal = make_pedestal()
    armature = make_armature()
    # One mesh, its head following the head bone and its pedestal the base bone.
    for obj, group in ((head, "head"), (pedestal, "base")):
        obj.vertex_groups.new(name=group).add(range(len(obj.data.vertices)), 1.0, "REPLACE")
    bpy.ops.object.select_all(action="DESELECT")
    head.select_set(True)
    pedestal.select_set(True)
    bpy.context.view_layer.objects.active = head
    bpy.ops.object.join()
    head.modifiers.new("rig", "ARMATURE").object = armature
    head.parent = armature
    animate(armature)
    bpy.ops.export_scene.gltf(filepath=path, export_format="GLB", export_skins=True, export_animations=True,
                              export_apply=False, export_yup=True)


main()
