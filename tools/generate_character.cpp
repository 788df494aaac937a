// Character generator: writes the rigged, animated mannequin "animation2.txt" (deterministic, no input files).
//
// The mannequin is built from closed lofted surfaces (torso with neck and
// head, arms ending in mitten hands, legs, feet and a nose), each skinned with
// smoothly blended weights across its joints. The skeleton has 17 bones;
// every keyframe holds the bone's world rotation and the world position of
// its joint, computed here by forward kinematics, while each bone's rest
// rotation is the identity about a pivot at its joint's rest position.
#include <cmath>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "math/quaternion.h"
#include "math/vector3.h"

namespace {

constexpr float kPi = 3.14159265358979f;
constexpr int kFrameCount = 85;
constexpr int kIdleLoopFrames = 30;     // frames 0-29
constexpr int kTransitionFirst = 30;    // frames 30-49
constexpr int kActionFirst = 50;        // frames 50-79
constexpr int kActionLoopFrames = 30;
constexpr int kReturnFirst = 80;        // frames 80-84
constexpr int kMaxInfluences = 4;

// ---------------------------------------------------------------- skeleton

enum BoneId {
    kHips, kSpine, kChest, kNeck, kHead,
    kUpperArmL, kForearmL, kHandL,
    kUpperArmR, kForearmR, kHandR,
    kThighL, kShinL, kFootL,
    kThighR, kShinR, kFootR,
    kBoneCount
};

struct BoneDefinition {
    const char* name;
    int parent;
    Vector3 joint;  // rest position of the joint the bone turns about
};

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

std::vector<BoneDefinition> makeSkeleton() {
    const Vector3 elbowL = kShoulderL + kArmDirectionL * kUpperArmLength;
    const Vector3 wristL = elbowL + kArmDirectionL * kForearmLength;
    // Listed depth first, each bone before its children, so that the index
    // is the bone number the file's order gives.
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

// ---------------------------------------------------------------- geometry

enum MaterialId { kSkin, kShirt, kTrousers, kShoes, kMaterialCount };

struct MaterialDefinition {
    const char* name;
    float red, green, blue, alpha, secondAlpha;
};

// The renderer reads alpha as the mirror weight above one half (0.5 and below
// reflect nothing, 1 is a mirror) and the second alpha as glossiness: skin
// with a slight sheen, matte cloth, and polished leather shoes.
const MaterialDefinition kMaterials[kMaterialCount] = {
    {"skin", 0.86f, 0.66f, 0.54f, 0.5f, 0.25f},
    {"shirt", 0.18f, 0.42f, 0.66f, 0.5f, 0.0f},
    {"trousers", 0.24f, 0.24f, 0.28f, 0.5f, 0.1f},
    {"shoes", 0.30f, 0.17f, 0.09f, 0.6f, 0.8f},
};

struct Influence {
    int bone;
    float weight;
};
using Influences = std::vector<Influence>;

struct Vertex {
    Vector3 position;
    Vector3 normal;
    Influences influences;
    float u = 0.0f, v = 0.0f;
};

struct Triangle {
    int a, b, c;
    int material;
};

struct Part {
    std::vector<Vertex> vertices;
    std::vector<Triangle> triangles;
};

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

float smoothstep(float t) {
    t = std::fmin(1.0f, std::fmax(0.0f, t));
    return t * t * (3.0f - 2.0f * t);
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
            part.vertices.push_back({position, {}, influences, static_cast<float>(j) / segments,
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
            part.triangles.push_back({ringVertex(ring, j), ringVertex(ring, j + 1), ringVertex(ring + 1, j + 1), material});
            part.triangles.push_back({ringVertex(ring, j), ringVertex(ring + 1, j + 1), ringVertex(ring + 1, j), material});
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
        {1.70f, 0.00f, 0.00f, 0.00f},  {1.72f, 0.18f, 0.12f, 0.00f},  {1.78f, 0.27f, 0.17f, 0.00f},
        {1.90f, 0.33f, 0.20f, 0.00f},  {2.05f, 0.34f, 0.21f, -0.01f}, {2.25f, 0.28f, 0.18f, 0.00f},
        {2.45f, 0.29f, 0.19f, 0.01f},  {2.62f, 0.33f, 0.22f, 0.02f},  {2.78f, 0.36f, 0.23f, 0.02f},
        {2.90f, 0.35f, 0.20f, 0.00f},  {2.97f, 0.26f, 0.16f, 0.00f},  {3.03f, 0.13f, 0.12f, 0.00f},
        {3.12f, 0.115f, 0.115f, 0.01f}, {3.20f, 0.14f, 0.17f, 0.03f}, {3.30f, 0.155f, 0.20f, 0.02f},
        {3.42f, 0.155f, 0.20f, 0.01f}, {3.52f, 0.12f, 0.155f, 0.00f}, {3.58f, 0.06f, 0.08f, 0.00f},
        {3.60f, 0.00f, 0.00f, 0.00f},
    };
    const LoftAxis axis{{0.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const std::vector<int> bones = {kHips, kSpine, kChest, kNeck, kHead};
    const std::vector<ChainJoint> joints = {{2.22f, 0.10f}, {2.62f, 0.10f}, {3.02f, 0.05f}, {3.17f, 0.05f}};
    return loft(axis, keys, 78, 40, [&](float s) { return chainWeights(bones, joints, s); },
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
        {0.0f, 0.0f, 0.0f, 0.0f},           {0.03f, 0.08f, 0.08f, 0.0f},
        {kInset, 0.10f, 0.10f, 0.0f},        {kInset + 0.2f, 0.09f, 0.09f, 0.0f},
        {elbow - 0.05f, 0.075f, 0.075f, 0.0f}, {elbow + 0.12f, 0.08f, 0.08f, 0.0f},
        {wrist - 0.04f, 0.055f, 0.06f, 0.0f}, {wrist + 0.05f, 0.04f, 0.08f, 0.0f},
        {wrist + 0.18f, 0.038f, 0.09f, 0.0f}, {tip - 0.06f, 0.032f, 0.075f, 0.0f},
        {tip - 0.015f, 0.02f, 0.04f, 0.0f},   {tip, 0.0f, 0.0f, 0.0f},
    };
    const Vector3 forward(0.0f, 0.0f, 1.0f);
    const LoftAxis axis{shoulder - direction * kInset, direction, normalize(cross(direction, forward)), forward};
    const std::vector<int> bones = left ? std::vector<int>{kChest, kUpperArmL, kForearmL, kHandL}
                                        : std::vector<int>{kChest, kUpperArmR, kForearmR, kHandR};
    const std::vector<ChainJoint> joints = {{kInset, 0.07f}, {elbow, 0.07f}, {wrist, 0.04f}};
    const float sleeveEnd = kInset + 0.30f;
    return loft(axis, keys, 52, 20, [=](float s) { return chainWeights(bones, joints, s); },
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
        {0.0f, 0.0f, 0.0f, 0.0f},             {0.03f, 0.12f, 0.12f, 0.0f},
        {hipS + 0.05f, 0.165f, 0.165f, 0.0f},  {hipS + 0.35f, 0.145f, 0.15f, 0.01f},
        {kneeS - 0.15f, 0.105f, 0.105f, 0.0f}, {kneeS, 0.095f, 0.10f, 0.005f},
        {kneeS + 0.25f, 0.10f, 0.11f, -0.02f}, {kneeS + 0.55f, 0.07f, 0.075f, -0.005f},
        {ankleS, 0.06f, 0.06f, 0.0f},          {endS - 0.03f, 0.05f, 0.05f, 0.0f},
        {endS, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{hip.x, kTop, 0.0f}, {0.0f, -1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    const std::vector<int> bones = left ? std::vector<int>{kHips, kThighL, kShinL, kFootL}
                                        : std::vector<int>{kHips, kThighR, kShinR, kFootR};
    const std::vector<ChainJoint> joints = {{hipS, 0.08f}, {kneeS, 0.08f}, {ankleS, 0.04f}};
    return loft(axis, keys, 56, 24, [=](float s) { return chainWeights(bones, joints, s); },
                [](float) { return kTrousers; });
}

Part makeFoot(bool left) {
    const float x = left ? kAnkleL.x : -kAnkleL.x;
    // Along z from heel to toe; radiusU is the half-width, radiusV the
    // half-height, and the centre rides at the half-height so the sole lies
    // on y = 0.
    const std::vector<ProfileKey> keys = {
        {-0.13f, 0.0f, 0.0f, 0.0f},  {-0.115f, 0.05f, 0.05f, 0.0f}, {-0.06f, 0.075f, 0.085f, 0.0f},
        {0.04f, 0.08f, 0.085f, 0.0f}, {0.18f, 0.09f, 0.06f, 0.0f},    {0.32f, 0.085f, 0.042f, 0.0f},
        {0.39f, 0.05f, 0.03f, 0.0f},  {0.41f, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{x, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 1.0f, 0.0f}};
    // Lift every ring by its half-height: done through the centre offset.
    std::vector<ProfileKey> lifted = keys;
    for (ProfileKey& key : lifted) {
        key.offsetV = key.radiusV;
    }
    const int bone = left ? kFootL : kFootR;
    return loft(axis, lifted, 24, 18, [=](float) { return Influences{{bone, 1.0f}}; },
                [](float) { return kShoes; });
}

Part makeNose() {
    const std::vector<ProfileKey> keys = {
        {-0.05f, 0.0f, 0.0f, 0.0f}, {-0.03f, 0.024f, 0.028f, 0.0f}, {0.0f, 0.03f, 0.036f, 0.0f},
        {0.03f, 0.022f, 0.026f, 0.0f}, {0.045f, 0.0f, 0.0f, 0.0f},
    };
    const LoftAxis axis{{0.0f, 3.32f, 0.19f}, {0.0f, 1.0f, 0.0f}, {1.0f, 0.0f, 0.0f}, {0.0f, 0.0f, 1.0f}};
    return loft(axis, keys, 8, 12, [](float) { return Influences{{kHead, 1.0f}}; }, [](float) { return kSkin; });
}

// ---------------------------------------------------------------- animation

struct Pose {
    Vector3 angles[kBoneCount];  // local rotation per bone: pitch (x), yaw (y), roll (z) in radians
    Vector3 rootOffset;
};

Quaternion axisAngle(const Vector3& axis, float angle) {
    const float s = std::sin(0.5f * angle);
    return {axis.x * s, axis.y * s, axis.z * s, std::cos(0.5f * angle)};
}

Quaternion fromAngles(const Vector3& a) {
    return axisAngle({0, 0, 1}, a.z) * axisAngle({0, 1, 0}, a.y) * axisAngle({1, 0, 0}, a.x);
}

constexpr float kLegLength = 1.68f;  // hip joint to ankle

// Keeps the feet planted: the thighs lean against a sideways hip shift, the
// knees bend by kneeBend and the hips drop by what the bend shortens the leg.
void plantFeet(Pose& pose, float kneeBend) {
    const float drop = kLegLength * (1.0f - std::cos(kneeBend));
    pose.rootOffset.y -= drop;
    const float lean = -std::asin(pose.rootOffset.x / kLegLength);
    for (int thigh : {kThighL, kThighR}) {
        pose.angles[thigh].z += lean - pose.angles[kHips].z;
        pose.angles[thigh].x += -kneeBend;
        pose.angles[thigh + 1].x += 2.0f * kneeBend;
        pose.angles[thigh + 2].x += -kneeBend;
        pose.angles[thigh + 2].z += -lean;
    }
}

// Idle: breathing, a slow weight shift, a glance around; period 30 frames.
Pose idlePose(float frame) {
    const float phase = 2.0f * kPi * frame / kIdleLoopFrames;
    Pose pose{};
    pose.rootOffset = {0.025f * std::sin(phase), 0.0f, 0.0f};
    pose.angles[kHips].z = 0.02f * std::sin(phase);
    pose.angles[kSpine].z = -0.03f * std::sin(phase);
    pose.angles[kChest].x = -0.03f * std::sin(2.0f * phase);
    pose.angles[kNeck].y = 0.10f * std::sin(phase);
    pose.angles[kHead].y = 0.12f * std::sin(phase);
    pose.angles[kHead].x = 0.04f * std::sin(2.0f * phase);
    pose.angles[kUpperArmL].x = 0.06f * std::sin(phase);
    pose.angles[kForearmL].x = -0.15f - 0.05f * std::sin(phase);
    pose.angles[kUpperArmR].x = -0.06f * std::sin(phase);
    pose.angles[kForearmR].x = -0.15f + 0.05f * std::sin(phase);
    plantFeet(pose, 0.02f + 0.02f * std::sin(2.0f * phase));
    return pose;
}

// Action: the right arm raised, waving twice per 30-frame loop, with a knee
// bounce and a sway of the hips.
Pose actionPose(float frame) {
    const float phase = 2.0f * kPi * (frame - kActionFirst) / kActionLoopFrames;
    Pose pose{};
    pose.rootOffset = {0.04f * std::sin(phase), 0.0f, 0.0f};
    pose.angles[kHips].z = 0.04f * std::sin(phase);
    pose.angles[kSpine].z = -0.07f - 0.04f * std::sin(phase);
    pose.angles[kChest].z = -0.03f;
    pose.angles[kNeck].z = 0.06f;
    pose.angles[kHead].z = 0.08f;
    pose.angles[kHead].y = -0.15f + 0.08f * std::sin(phase);
    pose.angles[kUpperArmR].z = -2.45f;
    pose.angles[kUpperArmR].x = -0.25f;
    pose.angles[kForearmR].z = -0.35f + 0.45f * std::sin(2.0f * phase);
    pose.angles[kHandR].z = 0.25f * std::sin(2.0f * phase);
    pose.angles[kUpperArmL].z = 0.12f;
    pose.angles[kUpperArmL].x = 0.05f * std::sin(phase);
    pose.angles[kForearmL].x = -0.25f;
    plantFeet(pose, 0.06f + 0.06f * std::sin(2.0f * phase - 0.5f * kPi));
    return pose;
}

Pose blend(const Pose& a, const Pose& b, float t) {
    Pose pose{};
    for (int bone = 0; bone < kBoneCount; ++bone) {
        pose.angles[bone] = a.angles[bone] * (1.0f - t) + b.angles[bone] * t;
    }
    pose.rootOffset = a.rootOffset * (1.0f - t) + b.rootOffset * t;
    return pose;
}

// The clip table: 0-29 idle loop, 30-49 into the wave, 50-79 wave loop,
// 80-84 back to frame 0's pose.
Pose poseAt(int frame) {
    if (frame < kTransitionFirst) {
        return idlePose(static_cast<float>(frame));
    }
    if (frame < kActionFirst) {
        const float t = static_cast<float>(frame - kTransitionFirst + 1) / (kActionFirst - kTransitionFirst + 1);
        return blend(idlePose(0.0f), actionPose(static_cast<float>(kActionFirst)), smoothstep(t));
    }
    if (frame < kReturnFirst) {
        return actionPose(static_cast<float>(frame));
    }
    const float t = static_cast<float>(frame - kReturnFirst + 1) / (kFrameCount - kReturnFirst + 1);
    return blend(actionPose(static_cast<float>(kActionFirst)), idlePose(0.0f), smoothstep(t));
}

struct WorldTransform {
    Quaternion rotation;
    Vector3 joint;
};

std::vector<WorldTransform> forwardKinematics(const std::vector<BoneDefinition>& skeleton, const Pose& pose) {
    std::vector<WorldTransform> world(skeleton.size());
    for (std::size_t b = 0; b < skeleton.size(); ++b) {
        const Quaternion local = fromAngles(pose.angles[b]);
        const int parent = skeleton[b].parent;
        if (parent < 0) {
            world[b] = {local, skeleton[b].joint + pose.rootOffset};
        } else {
            const WorldTransform& up = world[parent];
            world[b] = {up.rotation * local, up.joint + rotate(up.rotation, skeleton[b].joint - skeleton[parent].joint)};
        }
    }
    return world;
}

// ---------------------------------------------------------------- output

// Writes the bone and its subtree; false when the skeleton table is not in
// the depth-first order that the file's numbering follows.
bool writeBone(std::FILE* file, const std::vector<BoneDefinition>& skeleton,
               const std::vector<std::vector<WorldTransform>>& frames, int bone, int& nextNumber) {
    if (bone != nextNumber++) {
        std::fprintf(stderr, "generate_character: bone %s is out of depth-first order\n", skeleton[bone].name);
        return false;
    }
    int children = 0;
    for (const BoneDefinition& other : skeleton) {
        children += other.parent == bone ? 1 : 0;
    }
    const Vector3& pivot = skeleton[bone].joint;
    std::fprintf(file, "%s %d\n1 0 0 0 %.7g %.7g %.7g\n", skeleton[bone].name, children, pivot.x, pivot.y, pivot.z);
    for (const std::vector<WorldTransform>& frame : frames) {
        const WorldTransform& t = frame[bone];
        std::fprintf(file, "%.7g %.7g %.7g %.7g %.7g %.7g %.7g\n", t.rotation.w, t.rotation.x, t.rotation.y,
                     t.rotation.z, t.joint.x, t.joint.y, t.joint.z);
    }
    for (int child = 0; child < static_cast<int>(skeleton.size()); ++child) {
        if (skeleton[child].parent == bone && !writeBone(file, skeleton, frames, child, nextNumber)) {
            return false;
        }
    }
    return true;
}

// Splits the parts into one mesh per material, each with its own vertices.
void writeMeshes(std::FILE* file, const std::vector<Part>& parts, const std::vector<BoneDefinition>& skeleton) {
    auto usesMaterial = [&](int material) {
        for (const Part& part : parts) {
            for (const Triangle& t : part.triangles) {
                if (t.material == material) {
                    return true;
                }
            }
        }
        return false;
    };
    int meshCount = 0;
    for (int material = 0; material < kMaterialCount; ++material) {
        meshCount += usesMaterial(material) ? 1 : 0;
    }
    std::fprintf(file, "%d\n", meshCount);
    for (int material = 0; material < kMaterialCount; ++material) {
        std::vector<const Vertex*> vertices;
        std::vector<int> indices;
        for (const Part& part : parts) {
            std::vector<int> remap(part.vertices.size(), -1);
            for (const Triangle& t : part.triangles) {
                if (t.material != material) {
                    continue;
                }
                for (int corner : {t.a, t.b, t.c}) {
                    if (remap[corner] < 0) {
                        remap[corner] = static_cast<int>(vertices.size());
                        vertices.push_back(&part.vertices[corner]);
                    }
                    indices.push_back(remap[corner]);
                }
            }
        }
        if (indices.empty()) {
            continue;
        }
        std::fprintf(file, "%d %zu\n", material, vertices.size());
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.6f %.6f %.6f %zu", vertex->position.x, vertex->position.y, vertex->position.z,
                         vertex->influences.size());
            for (const Influence& influence : vertex->influences) {
                std::fprintf(file, " %d %s %.6f", influence.bone, skeleton[influence.bone].name, influence.weight);
            }
            std::fputc('\n', file);
        }
        std::fprintf(file, "1\n");
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.6f %.6f %.6f\n", vertex->normal.x, vertex->normal.y, vertex->normal.z);
        }
        std::fprintf(file, "1\n");
        for (const Vertex* vertex : vertices) {
            std::fprintf(file, "%.4f %.4f\n", vertex->u, vertex->v);
        }
        std::fprintf(file, "%zu\n", indices.size() / 3);
        for (std::size_t i = 0; i < indices.size(); i += 3) {
            std::fprintf(file, "%d %d %d 0 0 0 0 0 0\n", indices[i], indices[i + 1], indices[i + 2]);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT\nWrites the rigged, animated character file.\n", argv[0]);
        return 2;
    }
    const std::vector<BoneDefinition> skeleton = makeSkeleton();
    std::vector<Part> parts = {makeTorso(), makeArm(true), makeArm(false), makeLeg(true),
                               makeLeg(false), makeFoot(true), makeFoot(false), makeNose()};
    for (Part& part : parts) {
        for (Vertex& vertex : part.vertices) {
            if (static_cast<int>(vertex.influences.size()) > kMaxInfluences) {
                vertex.influences.resize(kMaxInfluences);
            }
        }
        finishPart(part);
    }
    std::vector<std::vector<WorldTransform>> frames;
    for (int frame = 0; frame < kFrameCount; ++frame) {
        frames.push_back(forwardKinematics(skeleton, poseAt(frame)));
    }

    std::FILE* file = std::fopen(argv[1], "w");
    if (file == nullptr) {
        std::perror(argv[1]);
        return 1;
    }
    std::fprintf(file, "%d\n", kMaterialCount);
    for (const MaterialDefinition& m : kMaterials) {
        std::fprintf(file, "%s %.3f %.3f %.3f %.3f %.3f\n", m.name, m.red, m.green, m.blue, m.alpha, m.secondAlpha);
    }
    writeMeshes(file, parts, skeleton);
    std::fprintf(file, "%d %d %d\n", kFrameCount, kBoneCount, 1);
    int nextNumber = 0;
    const bool ordered = writeBone(file, skeleton, frames, kHips, nextNumber);
    const bool written = std::fclose(file) == 0 && ordered && nextNumber == kBoneCount;
    if (!written) {
        std::fprintf(stderr, "generate_character: could not write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
