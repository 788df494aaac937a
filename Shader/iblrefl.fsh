// Mirror-only lighting variant (loaded with the set, not used by the frame): every surface reflects the environment.
// Inputs: "envMap" unit 0 (latitude-longitude, 2D), "posMap" unit 1, "norMap"
// unit 2, "camPos", "envRotation" (cos a, sin a, 0, 0: the environment's turn
// about the vertical, as in the lighting program; unset, no turn); each of the
// 16 quads adds a sixteenth of the reflection.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2D envMap;
uniform sampler2DRect posMap;
uniform sampler2DRect norMap;
uniform vec4 camPos;
uniform vec4 envRotation = vec4(1.0, 0.0, 0.0, 0.0);

const float PI = 3.14159265;
const float kGroupShare = 1.0 / 16.0;

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
    vec2 at = gl_TexCoord[0].xy;
    vec4 normalSample = texture2DRect(norMap, at);
    if (dot(normalSample.xyz, normalSample.xyz) < 0.25) {
        discard;
    }
    vec3 n = normalize(normalSample.xyz);
    vec3 v = normalize(camPos.xyz - texture2DRect(posMap, at).xyz);
    vec3 reflected = texture2D(envMap, latitudeLongitude(mapDirection(reflect(-v, n)))).rgb;
    // Each of the 16 quads keeps below a sixteenth of the half-float maximum.
    gl_FragColor = vec4(clamp(reflected * kGroupShare, vec3(0.0), vec3(4094.0)), 0.0);
}
