// Sky pass: writes the environment's radiance seen along each view ray (alpha 1).
// Inputs: "diffuseMap" unit 0, the latitude-longitude environment map (2D,
// bottom row straight down, nearest filtered); "ndist", the angular radius in
// radians of the background's defocus blur (the camera focuses on the scene, so
// the far environment is slightly soft; 0 gives a sharp sky): the taps fill a
// disc of half that radius evenly (a Vogel spiral), so edges blur without
// ghost copies; "expo" is taken
// but not applied here: exposure is applied once, in the final pass.
// "envRotation" (cos a, sin a, 0, 0) turns the environment by the angle a
// about the vertical: a world direction is turned back by a into the map's
// frame before the lookup (mapDirection), so the map's column c shows at
// column c + a / 2pi of the width; unset, it is no turn.
// The direction mapping is exactly the light extraction's:
// row / H = acos(-y) / pi, col / W = (atan(-x, z) / pi + 1) / 2.
#version 120

uniform sampler2D diffuseMap;
uniform float expo;
uniform float ndist;
uniform vec4 envRotation = vec4(1.0, 0.0, 0.0, 0.0);

varying vec3 worldDirection;

const float PI = 3.14159265;
const int kTapCount = 16;
const float kGoldenAngle = 2.39996323;
// The largest half float.
const float kHalfMax = 65504.0;

// A world direction in the frame of the turned map.
vec3 mapDirection(vec3 d)
{
    return vec3(envRotation.x * d.x + envRotation.y * d.z, d.y, envRotation.x * d.z - envRotation.y * d.x);
}

vec2 latitudeLongitude(vec3 d)
{
    float t = acos(clamp(-d.y, -1.0, 1.0)) / PI;
    float s = (atan(-d.x, d.z) / PI + 1.0) * 0.5;
    return vec2(s, t);
}

void main()
{
    vec3 d = mapDirection(normalize(worldDirection));
    // An orthonormal frame around the view ray for the defocus taps.
    vec3 helper = abs(d.y) < 0.99 ? vec3(0.0, 1.0, 0.0) : vec3(1.0, 0.0, 0.0);
    vec3 u = normalize(cross(helper, d));
    vec3 v = cross(d, u);

    // The taps are a fraction of a degree off the ray, so each is placed in the
    // map by the mapping's first-order change along u and v: one conversion per
    // pixel instead of one per tap. Rows stop at the poles; columns wrap.
    vec2 centre = latitudeLongitude(d);
    float ringSquared = max(d.x * d.x + d.z * d.z, 1.0e-6);
    vec2 perU = vec2((d.x * u.z - d.z * u.x) / (2.0 * PI * ringSquared), u.y / (PI * sqrt(ringSquared)));
    vec2 perV = vec2((d.x * v.z - d.z * v.x) / (2.0 * PI * ringSquared), v.y / (PI * sqrt(ringSquared)));
    vec3 sum = vec3(0.0);
    for (int i = 0; i < kTapCount; ++i) {
        float angle = float(i) * kGoldenAngle;
        float radius = 0.5 * ndist * sqrt((float(i) + 0.5) / float(kTapCount));
        vec2 tap = centre + radius * (cos(angle) * perU + sin(angle) * perV);
        sum += texture2D(diffuseMap, vec2(tap.x, clamp(tap.y, 0.0, 1.0))).rgb;
    }
    vec3 radiance = sum / float(kTapCount);
    // Kept within the half-float range of the target, however bright the map.
    gl_FragColor = vec4(clamp(radiance, vec3(0.0), vec3(kHalfMax)), 1.0);
}
