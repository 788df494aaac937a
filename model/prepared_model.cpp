// Prepared model: parts, surfaces and batches of a loaded scene, its first pose, placement and shadow indices.
#include "model/prepared_model.h"

#include <limits>

#include "model/animation_sampler.h"

namespace {

// Every primitive of every mesh node the scene reaches, with its place in the vertex streams.
bool collectParts(PreparedModel& model, std::string& cause) {
    const ModelData& data = model.data;
    std::vector<char> inScene(data.nodes.size(), 0);
    for (const int root : data.sceneRoots) {
        if (root >= 0 && static_cast<std::size_t>(root) < inScene.size()) inScene[root] = 1;
    }
    std::size_t vertices = 0;
    for (const int index : model.nodeOrder) {
        const ModelNode& node = data.nodes[index];
        if (node.parent >= 0 && inScene[node.parent]) inScene[index] = 1;
        if (!inScene[index] || node.mesh < 0) continue;
        const ModelMesh& mesh = data.meshes[node.mesh];
        for (std::size_t p = 0; p < mesh.primitives.size(); ++p) {
            const ModelPrimitive& primitive = mesh.primitives[p];
            const bool skinned = node.skin >= 0 && !primitive.joints.empty() && !primitive.weights.empty();
            if (primitive.normals.size() != primitive.positions.size()) {
                cause = "mesh \"" + mesh.name + "\" has a primitive without normals";
                return false;
            }
            // A mesh may serve several skins: its joint numbers must fit this node's.
            if (skinned) {
                const std::size_t joints = data.skins[node.skin].joints.size();
                for (const std::uint16_t joint : primitive.joints) {
                    if (joint >= joints) {
                        cause = "mesh \"" + mesh.name + "\" names joint " + std::to_string(joint) + " of a skin with " +
                                std::to_string(joints);
                        return false;
                    }
                }
            }
            model.parts.push_back(
                {index, node.mesh, static_cast<int>(p), skinned ? node.skin : -1, static_cast<int>(vertices)});
            vertices += static_cast<std::size_t>(primitive.vertexCount());
            if (vertices > static_cast<std::size_t>(std::numeric_limits<int>::max())) {
                cause = "it has more vertices than 32-bit indices can draw";
                return false;
            }
        }
    }
    model.vertexCount = static_cast<int>(vertices);
    return true;
}

const ModelPrimitive& primitiveOf(const ModelData& data, const ModelPart& part) {
    return data.meshes[part.mesh].primitives[part.primitive];
}

int surfaceOf(const PreparedModel& model, const ModelPart& part) {
    const int material = primitiveOf(model.data, part).material;
    return material >= 0 ? material : static_cast<int>(model.data.materials.size());
}

// Texture coordinates and colours (base colour factor x COLOR_0) never change.
void fillStaticStreams(PreparedModel& model) {
    const ModelData& data = model.data;
    model.texCoords.assign(static_cast<std::size_t>(model.vertexCount) * 2, 0.0f);
    model.colours.resize(static_cast<std::size_t>(model.vertexCount) * 4);
    const ModelMaterial defaultMaterial;
    for (const ModelPart& part : model.parts) {
        const ModelPrimitive& primitive = primitiveOf(data, part);
        const ModelMaterial& material = primitive.material >= 0 ? data.materials[primitive.material] : defaultMaterial;
        std::copy(primitive.texCoords.begin(), primitive.texCoords.end(),
                  model.texCoords.begin() + part.firstVertex * 2);
        for (int vertex = 0; vertex < primitive.vertexCount(); ++vertex) {
            float* colour = &model.colours[(static_cast<std::size_t>(part.firstVertex) + vertex) * 4];
            for (int i = 0; i < 4; ++i) {
                const float own = primitive.colours.empty() ? 1.0f : primitive.colours[vertex * 4 + i];
                colour[i] = material.baseColourFactor[i] * own;
            }
        }
    }
}

// The triangles of each surface's parts, surface after surface, shifted to the
// parts' vertices. A part whose node mirrors (negative determinant) turns its
// triangles around, so that culling still removes the back faces.
void collectBatches(PreparedModel& model, const ModelPose& restPose) {
    for (std::size_t surface = 0; surface < model.surfaces.size(); ++surface) {
        ModelBatch batch;
        batch.surface = static_cast<int>(surface);
        batch.full.first = static_cast<std::uint32_t>(model.indices.size());
        for (const ModelPart& part : model.parts) {
            if (surfaceOf(model, part) != static_cast<int>(surface)) continue;
            const bool mirrored = part.skin < 0 && determinant3(restPose.global[part.node]) < 0.0f;
            const std::vector<std::uint32_t>& own = primitiveOf(model.data, part).indices;
            for (std::size_t i = 0; i + 2 < own.size(); i += 3) {
                const std::uint32_t base = static_cast<std::uint32_t>(part.firstVertex);
                model.indices.push_back(base + own[i]);
                model.indices.push_back(base + own[mirrored ? i + 2 : i + 1]);
                model.indices.push_back(base + own[mirrored ? i + 1 : i + 2]);
            }
        }
        batch.full.count = static_cast<std::uint32_t>(model.indices.size()) - batch.full.first;
        batch.shadow = batch.full;
        if (batch.full.count > 0) model.batches.push_back(batch);
    }
}

void simplifyShadows(PreparedModel& model) {
    std::vector<IndexRange> full, shadow;
    for (const ModelBatch& batch : model.batches) full.push_back(batch.full);
    simplifyForShadows(model.indices, full, model.positions.data(), static_cast<std::size_t>(model.vertexCount),
                       kShadowTriangleBudget, model.shadowIndices, shadow);
    for (std::size_t i = 0; i < model.batches.size(); ++i) model.batches[i].shadow = shadow[i];
}

}  // namespace

void poseModelAt(const PreparedModel& model, int animation, float seconds, const Matrix4& placement, ModelPose& pose,
                 SkinMatrices& skins, float* positions, float* normals) {
    setRestPose(model.data, pose);
    if (animation >= 0 && static_cast<std::size_t>(animation) < model.data.animations.size()) {
        applyAnimation(model.data.animations[animation], seconds, pose.local);
    }
    composeGlobals(model.data, model.nodeOrder, pose);
    poseVertices(model.data, model.parts, pose, placement, skins, positions, normals);
}

bool prepareModel(ModelData&& data, const ModelPlacementOptions& options, PreparedModel& model, std::string& cause) {
    model = PreparedModel();
    model.data = std::move(data);
    model.nodeOrder = nodesParentsFirst(model.data);
    if (!collectParts(model, cause)) return false;
    for (const ModelMaterial& material : model.data.materials) model.surfaces.push_back(surfaceFor(material));
    model.surfaces.push_back(surfaceFor(ModelMaterial()));
    fillStaticStreams(model);

    ModelPose pose;
    setRestPose(model.data, pose);
    composeGlobals(model.data, model.nodeOrder, pose);
    collectBatches(model, pose);
    if (model.indices.empty()) {
        cause = "it has no triangles to draw";
        return false;
    }

    // The first pose, measured where the file puts it, then placed.
    const int firstAnimation = model.data.animations.empty() ? -1 : 0;
    SkinMatrices skins;
    model.positions.resize(static_cast<std::size_t>(model.vertexCount) * 3);
    model.normals.resize(model.positions.size());
    poseModelAt(model, firstAnimation, 0.0f, kIdentityMatrix4, pose, skins, model.positions.data(),
                model.normals.data());
    const ModelBounds bounds = boundsOf(model.positions.data(), static_cast<std::size_t>(model.vertexCount));
    model.placement = placementFor(bounds, options);
    model.placedBounds = placedBounds(bounds, model.placement);
    model.partlyUnshadowed = reachesBeyondShadowMaps(model.placedBounds);
    poseModelAt(model, firstAnimation, 0.0f, model.placement, pose, skins, model.positions.data(),
                model.normals.data());

    if (model.triangleCount() > kShadowTriangleBudget) simplifyShadows(model);
    return true;
}
