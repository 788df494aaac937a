// The character's shape: the skeleton and the closed, skinned surfaces of the mannequin.
//
// The mannequin is built from closed lofted surfaces (torso with neck and
// head, arms ending in mitten hands, legs, feet and a nose), each skinned with
// smoothly blended weights across its joints. Each bone's rest rotation is the
// identity about a pivot at its joint's rest position. The figure is about 100
// pixels tall on screen and smoothly shaded, so a few rings and segments per
// part keep its silhouette: under 6,000 triangles in all.
#include <cmath>
#include <functional>
#include <utility>

#include "tools/character_generator/character_generator.h"

namespace character_generator {

namespace {

// The character faces +z, so its left side is +x. Arms hang in a relaxed
// A pose along kArmDirection.
const Vector3 kShoulderL(0.38f, 2.87f, 0.0f);
const Vector3 kArmDirectionL = normalize(Vector3(0.2f, -1.0f, 0.0f));
constexpr float kUpperArmLength = 0.58f;
constexpr float kForearmLength = 0.50f;
constexpr float kHandLength = 0.36f;
const Vector3 kHipL(0.19f, 1.84f, 0.0f);
const Vector3 kKneeL(0.19f, 1.00f, 0.0f);
const Vector3 kAnkleL(0.19f, 0.16f, 0.0f);

Vector3 mirrored(const Vector3& v) { return {-v.x, v.y, v.z}; }

}  // namespace

std::vector<BoneDefinition> makeSkeleton() {
    const Vector3 elbowL = kShoulderL + kArmDirectionL * kUpperArmLength;
    const Vector3 wristL = elbowL + kArmDirectionL * kForearmLength;
    // The index is the bone number the file's order gives.
    return {
        {"hips", -1, {0.0f, 1.90f, 0.0f}},
        {"spine", kHips, {0.0f, 2.25f, 0.0f}},
        {"chest", kSpine, {0.0f, 2.62f, 0.0f}},
        {"neck", kChest, {0.0f, 3.02f, 0.0f}},
        {"head", kNeck, {0.0f, 3.18f, 0.0f}},
        {"upperarm.L", kChest, kShoulderL},
        {"forearm.L", kUpperArmL, elbowL},
        {"hand.L", kForearmL, wristL},
        {"upperarm.R", kChest, mirrored(kShoulderL)},
        {"forearm.R", kUpperArmR, mirrored(elbowL)},
        {"hand.R", kForearmR, mirrored(wristL)},
        {"thigh.L", kHips, kHipL},
        {"shin.L", kThighL, kKneeL},
        {"foot.L", kShinL, kAnkleL},
        {"thigh.R", kHips, mirrored(kHipL)},
        {"shin.R", kThighR, mirrored(kKneeL)},
        {"foot.R", kShinR, mirrored(kAnkleL)},
    };
}

// ---------------------------------------------------------------- surfaces

// The renderer reads alpha as the mirror weight above one half (0.5 and below
// reflect nothing, 1 is a mirror) and the second alpha as glossiness: skin
// with a slight sheen, matte cloth, and polished leather shoes.
const MaterialDefinition kMaterials[kMaterialCount] = {
    {"skin", 0.86f, 0.66f, 0.54f, 0.5f, 0.25f},
    {"shirt", 0.18f, 0.42f, 0.66f, 0.5f, 0.0f},
    {"trousers", 0.24f, 0.24f, 0.28f, 0.5f, 0.1f},
    {"shoes", 0.30f, 0.17f, 0.09f, 0.6f, 0.8f},
};

namespace {

// One cross-section of a profile: position along the axis, the two radii and
// an offset of the centre along the second cross-section direction.
struct ProfileKey {
    float s, radiusU, radiusV, offsetV;
};

float catmullRom(float p0, float p1, float p2, float p3, float t) {
    const float t2 = t * t;
    const float t3 = t2 * t;
    return 0.5f * (2.0f * p1 + (-p0 + p2) * t + (2.0f * p0 - 5.0f * p1 + 4.0f * p2 - p3) * t2 +
                   (-p0 + 3.0f * p1 - 3.0f * p2 + p3) * t3);
}

// The profile interpolated smoothly through its keys (radii never negative).
ProfileKey sampleProfile(const std::vector<ProfileKey>& keys, float s) {
    std::size_t i = 0;
    while (i + 2 < keys.size() && s > keys[i + 1].s) {
        ++i;
    }
    const ProfileKey& k1 = keys[i];
    const ProfileKey& k2 = keys[i + 1];
    const ProfileKey& k0 = i > 0 ? keys[i - 1] : k1;
    const ProfileKey& k3 = i + 2 < keys.size() ? keys[i + 2] : k2;
    const float t = std::fmin(1.0f, std::fmax(0.0f, (s - k1.s) / (k2.s - k1.s)));
    return {s, std::fmax(0.0f, catmullRom(k0.radiusU, k1.radiusU, k2.radiusU, k3.radiusU, t)),
            std::fmax(0.0f, catmullRom(k0.radiusV, k1.radiusV, k2.radiusV, k3.radiusV, t)),
            catmullRom(k0.offsetV, k1.offsetV, k2.offsetV, k3.offsetV, t)};
}

// Weights along a chain of bones: bone k owns the stretch between joints k
// and k + 1 and hands over to the next one smoothly within blend of each joint.
struct ChainJoint {
    float s;      // where along the part the joint sits
    float blend;  // half-width of the hand-over
};

Influences chainWeights(const std::vector<int>& bones, const std::vector<ChainJoint>& joints, float s) {
    Influences result;
    float previous = 1.0f;
    for (std::size_t k = 0; k < bones.size(); ++k) {
        const float next =
            k < joints.size() ? smoothstep((s - (joints[k].s - joints[k].blend)) / (2.0f * joints[k].blend)) : 0.0f;
        const float weight = previous - next;
        if (weight > 1e-4f) {
            result.push_back({bones[k], weight});
        }
        previous = next;
    }
    // Renormalise after dropping the negligible weights.
    float sum = 0.0f;
    for (const Influence& influence : result) {
        sum += influence.weight;
    }
    for (Influence& influence : result) {
        influence.weight /= sum;
    }
    return result;
}

struct LoftAxis {
    Vector3 origin;
    Vector3 direction;  // s runs along it
    Vector3 u, v;       // cross-section directions
};

// A closed surface around the axis: rings spaced evenly along the profile's
// outline, closed by a pole at each end.
Part loft(const LoftAxis& axis, const std::vector<ProfileKey>& keys, int ringCount, int segments,
          const std::function<Influences(float)>& weightsAt, const std::function<int(float)>& materialAt) {
    // Arc length along the outline, so the rounded ends get as many rings as
    // the straight stretches.
    constexpr int kOutlineSamples = 4000;
    const float first = keys.front().s;
    const float last = keys.back().s;
    std::vector<float> arc(kOutlineSamples + 1, 0.0f);
    ProfileKey previous = sampleProfile(keys, first);
    for (int i = 1; i <= kOutlineSamples; ++i) {
        const ProfileKey key = sampleProfile(keys, first + (last - first) * i / kOutlineSamples);
        const float dr = 0.5f * (key.radiusU + key.radiusV - previous.radiusU - previous.radiusV);
        arc[i] = arc[i - 1] + std::sqrt((key.s - previous.s) * (key.s - previous.s) + dr * dr);
        previous = key;
    }
    auto sAtArc = [&](float target) {
        int i = 0;
        while (i < kOutlineSamples && arc[i + 1] < target) {
            ++i;
        }
        const float t = (target - arc[i]) / std::fmax(1e-9f, arc[i + 1] - arc[i]);
        return first + (last - first) * (i + t) / kOutlineSamples;
    };

    Part part;
    auto centreAt = [&](const ProfileKey& key) { return axis.origin + axis.direction * key.s + axis.v * key.offsetV; };
    const ProfileKey startKey = sampleProfile(keys, first);
    part.vertices.push_back({centreAt(startKey), {}, weightsAt(first), 0.5f, 0.0f});
    std::vector<float> ringS;
    for (int ring = 0; ring < ringCount; ++ring) {
        const float s = sAtArc(arc.back() * (ring + 1) / (ringCount + 1));
        ringS.push_back(s);
        const ProfileKey key = sampleProfile(keys, s);
        const Influences influences = weightsAt(s);
        for (int j = 0; j < segments; ++j) {
            const float angle = 2.0f * kPi * j / segments;
            const Vector3 position =
                centreAt(key) + axis.u * (key.radiusU * std::cos(angle)) + axis.v * (key.radiusV * std::sin(angle));
            part.vertices.push_back({position,
                                     {},
                                     influences,
                                     static_cast<float>(j) / segments,
                                     static_cast<float>(ring + 1) / (ringCount + 1)});
        }
    }
    const ProfileKey endKey = sampleProfile(keys, last);
    part.vertices.push_back({centreAt(endKey), {}, weightsAt(last), 0.5f, 1.0f});
    const int endPole = static_cast<int>(part.vertices.size()) - 1;

    auto ringVertex = [&](int ring, int j) { return 1 + ring * segments + (j % segments); };
    for (int j = 0; j < segments; ++j) {
        part.triangles.push_back({0, ringVertex(0, j + 1), ringVertex(0, j), materialAt(ringS.front())});
        part.triangles.push_back(
            {endPole, ringVertex(ringCount - 1, j), ringVertex(ringCount - 1, j + 1), materialAt(ringS.back())});
    }
    for (int ring = 0; ring + 1 < ringCount; ++ring) {
        const int material = materialAt(0.5f * (ringS[ring] + ringS[ring + 1]));
        for (int j = 0; j < segments; ++j) {
            part.triangles.push_back(
                {ringVertex(ring, j), ringVertex(ring, j + 1), ringVertex(ring + 1, j + 1), material});
            part.triangles.push_back(
                {ringVertex(ring, j), ringVertex(ring + 1, j + 1), ringVertex(ring + 1, j), material});
        }
    }
    return part;
}

// Makes the winding counter-clockwise seen from outside (positive enclosed
// volume) and gives every vertex the area-weighted outward unit normal.
void finishPart(Part& part) {
    float volume = 0.0f;
    for (const Triangle& t : part.triangles) {
        volume += dot(part.vertices[t.a].position, cross(part.vertices[t.b].position, part.vertices[t.c].position));
    }
    if (volume < 0.0f) {
        for (Triangle& t : part.triangles) {
            std::swap(t.b, t.c);
        }
    }
    for (Vertex& vertex : part.vertices) {
        vertex.normal = {0.0f, 0.0f, 0.0f};
    }
    for (const Triangle& t : part.triangles) {
        const Vector3 faceNormal = cross(part.vertices[t.b].position - part.vertices[t.a].position,
                                         part.vertices[t.c].position - part.vertices[t.a].position);
        part.vertices[t.a].normal += faceNormal;
        part.vertices[t.b].normal += faceNormal;
        part.vertices[t.c].normal += faceNormal;
    }
    for (Vertex& vertex : part.vertices) {
        vertex.normal = normalize(vertex.normal);
    }
}

Part makeTorso() {
    // Along y from the crotch to the top of the head: pelvis, waist, chest,
    // shoulders, neck, jaw and skull, slightly deeper than wide at the head.
    const std::vector<ProfileKey> keys = {
        {1.70f, 0.00f, 0.00f, 0.00f},   {1.72f, 0.18f, 0.12f, 0.00f},  {1.78f, 0.27f, 0.17f, 0.00f},
        {1.90f, 0.33f, 0.20f, 0.00f},   {2.05f, 0.34f, 0.21f, -0.01f}, {2.25f, 0.28f, 0.18f, 0.00f},
        {2.45f, 0.29f, 0.19f, 0.01f},   {2.62f, 0.33f, 0.22f, 0.02f},  {2.78f, 0.36f, 0.23f, 0.02f},
        {2.90f, 0.35f, 0.20f, 0.00f},   {2.97f, 0.26f, 0.16f, 0.00f},  {3.03f, 0.13f, 0.12f, 0.00f},
        {3.12f, 0.115f, 0.115f, 0.01f}, {3.20f, 0.14f, 0.17f, 0.03f},  {3.30f, 0.155f, 0.20f, 0.02f},
        {3.42f, 0.155f, 0.20f, 0.01f},  {3.52f, 0.12f, 0.155f, 0.00f}, {3.58f, 0.06f, 0.08f, 0.00f},
        {3.60f, 0.00f, 0.00f, 0.00f},
    };
    const LoftAxis axis{{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const std::vector<int> bones = {kHips, kSpine, kChest, kNeck, kHead};
    const std::vector<ChainJoint> joints = {{2.22f, 0.10f}, {2.62f, 0.10f}, {3.02f, 0.05f}, {3.17f, 0.05f}};
    return loft(
        axis, keys, 44, 24, [&](float s) { return chainWeights(bones, joints, s); },
        [](float s) { return s < 2.20f ? kTrousers : (s < 3.00f ? kShirt : kSkin); });
}

Part makeArm(bool left) {
    const Vector3 direction = left ? kArmDirectionL : mirrored(kArmDirectionL);
    const Vector3 shoulder = left ? kShoulderL : mirrored(kShoulderL);
    constexpr float kInset = 0.12f;  // the arm begins inside the shoulder
    const float elbow = kInset + kUpperArmLength;
    const float wrist = elbow + kForearmLength;
    const float tip = wrist + kHandLength;
    // radiusU lies in the body's frontal plane, radiusV points forward; the
    // hand is a flat mitten, wide front to back with the palm to the thigh.
    const std::vector<ProfileKey> keys = {
        {0.0f, 0.0f, 0.0f, 0.0f},
        {0.03f, 0.08f, 0.08f, 0.0f},
        {kInset, 0.10f, 0.10f, 0.0f},
        {kInset + 0.2f, 0.09f, 0.09f, 0.0f},
        {elbow - 0.05f, 0.075f, 0.075f, 0.0f},
        {elbow + 0.12f, 0.08f, 0.08f, 0.0f},
        {wrist - 0.04f, 0.055f, 0.06f, 0.0f},
        {wrist + 0.05f, 0.04f, 0.08f, 0.0f},
        {wrist + 0.18f, 0.038f, 0.09f, 0.0f},
        {tip - 0.06f, 0.032f, 0.075f, 0.0f},
        {tip - 0.015f, 0.02f, 0.04f, 0.0f},
        {tip, 0.0f, 0.0f, 0.0f},
    };
    const Vector3 forward(0.0f, 0.0f, 1.0f);
    const LoftAxis axis{shoulder - direction * kInset, direction, normalize(cross(direction, forward)), forward};
    const std::vector<int> bones = left ? std::vector<int>{kChest, kUpperArmL, kForearmL, kHandL}
                                        : std::vector<int>{kChest, kUpperArmR, kForearmR, kHandR};
    const std::vector<ChainJoint> joints = {{kInset, 0.07f}, {elbow, 0.07f}, {wrist, 0.04f}};
    const float sleeveEnd = kInset + 0.30f;
    return loft(
        axis, keys, 30, 12, [=](float s) { return chainWeights(bones, joints, s); },
        [=](float s) { return s < sleeveEnd ? kShirt : kSkin; });
}

Part makeLeg(bool left) {
    const Vector3 hip = left ? kHipL : mirrored(kHipL);
    constexpr float kTop = 1.98f;  // the leg begins inside the pelvis
    const float hipS = kTop - hip.y;
    const float kneeS = kTop - kKneeL.y;
    const float ankleS = kTop - kAnkleL.y;
    const float endS = kTop - 0.08f;
    // radiusU sideways, radiusV forward; a negative offset moves the calf back.
    const std::vector<ProfileKey> keys = {
        {0.0f, 0.0f, 0.0f, 0.0f},
        {0.03f, 0.12f, 0.12f, 0.0f},
        {hipS + 0.05f, 0.165f, 0.165f, 0.0f},
        {hipS + 0.35f, 0.145f, 0.15f, 0.01f},
        {kneeS - 0.15f, 0.105f, 0.105f, 0.0f},
        {kneeS, 0.095f, 0.10f, 0.005f},
        {kneeS + 0.25f, 0.10f, 0.11f, -0.02f},
        {kneeS + 0.55f, 0.07f, 0.075f, -0.005f},
        {ankleS, 0.06f, 0.06f, 0.0f},
        {endS - 0.03f, 0.05f, 0.05f, 0.0f},
        {endS, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{hip.x, kTop, 0.0f}, {0.0f, -1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const std::vector<int> bones =
        left ? std::vector<int>{kHips, kThighL, kShinL, kFootL} : std::vector<int>{kHips, kThighR, kShinR, kFootR};
    const std::vector<ChainJoint> joints = {{hipS, 0.08f}, {kneeS, 0.08f}, {ankleS, 0.04f}};
    return loft(
        axis, keys, 32, 14, [=](float s) { return chainWeights(bones, joints, s); }, [](float) { return kTrousers; });
}

Part makeFoot(bool left) {
    const float x = left ? kAnkleL.x : -kAnkleL.x;
    // Along z from heel to toe; radiusU is the half-width, radiusV the
    // half-height, and the centre rides at the half-height so the sole lies
    // on y = 0.
    const std::vector<ProfileKey> keys = {
        {-0.13f, 0.0f, 0.0f, 0.0f},   {-0.115f, 0.05f, 0.05f, 0.0f}, {-0.06f, 0.075f, 0.085f, 0.0f},
        {0.04f, 0.08f, 0.085f, 0.0f}, {0.18f, 0.09f, 0.06f, 0.0f},   {0.32f, 0.085f, 0.042f, 0.0f},
        {0.39f, 0.05f, 0.03f, 0.0f},  {0.41f, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{x, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    // Lift every ring by its half-height: done through the centre offset.
    std::vector<ProfileKey> lifted = keys;
    for (ProfileKey& key : lifted) {
        key.offsetV = key.radiusV;
    }
    const int bone = left ? kFootL : kFootR;
    return loft(
        axis, lifted, 14, 10,
        [=](float) {
            return Influences{{bone, 1.0f}};
        },
        [](float) { return kShoes; });
}

Part makeNose() {
    const std::vector<ProfileKey> keys = {
        {-0.05f, 0.0f, 0.0f, 0.0f},    {-0.03f, 0.024f, 0.028f, 0.0f}, {0.0f, 0.03f, 0.036f, 0.0f},
        {0.03f, 0.022f, 0.026f, 0.0f}, {0.045f, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{0.0f, 3.32f, 0.19f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    return loft(
        axis, keys, 5, 8,
        [](float) {
            return Influences{{kHead, 1.0f}};
        },
        [](float) { return kSkin; });
}

}  // namespace

std::vector<Part> makeParts() {
    std::vector<Part> parts = {makeTorso(),    makeArm(true),  makeArm(false),  makeLeg(true),
                               makeLeg(false), makeFoot(true), makeFoot(false), makeNose()};
    for (Part& part : parts) {
        for (Vertex& vertex : part.vertices) {
            if (static_cast<int>(vertex.influences.size()) > kMaxInfluences) {
                vertex.influences.resize(kMaxInfluences);
            }
        }
        finishPart(part);
    }
    return parts;
}

}  // namespace character_generator
