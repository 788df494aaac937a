// Lighting pass, image-based lighting: adds the light of the map's ground to the objects, once per pixel.
// The lights stand for the sky above 32 rows over the horizon; the rest of the
// map (the ground around the camera that took it, and that band) lights the
// objects from below. It reaches them here as diffuse light: one quad after
// the lighting program's 16 adds albedo / pi times its irradiance, so the
// lighting program itself stays as short as before.
// Inputs: "posMap" unit 1 (alpha 1 objects, 0 ground), "norMap" unit 2 (unit
// normal; a zero normal marks the background), "colMap" unit 3 (albedo; alpha
// above one half is the mirror weight, as in ibl.fsh);
// "groundLight0".."groundLight8": rgb of the nine terms of the ground light's
// diffuse irradiance on a surface of unit normal n,
//   E(n) = t0 + t1 x + t2 y + t3 z + t4 xy + t5 yz + t6 xz + t7 y^2 + t8 (x^2 - z^2),
// with n in the map's own frame: its spherical harmonics of bands 0 to 2,
// convolved with the clamped cosine;
// "envRotation" (cos a, sin a, 0, 0): the environment's turn about the
// vertical, as in ibl.fsh; the normal is turned back into the map's frame
// (mapDirection) before the terms are evaluated, so this light turns with the
// sky. Unset, it is no turn.
// No shadow map darkens this light (they see the scene from above), and the
// ground gets none of it: it shows the map's own ground. Alpha 0: the combine
// step's ground coverage stays the lighting program's.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect posMap;
uniform sampler2DRect norMap;
uniform sampler2DRect colMap;
uniform vec4 groundLight0;
uniform vec4 groundLight1;
uniform vec4 groundLight2;
uniform vec4 groundLight3;
uniform vec4 groundLight4;
uniform vec4 groundLight5;
uniform vec4 groundLight6;
uniform vec4 groundLight7;
uniform vec4 groundLight8;
uniform vec4 envRotation = vec4(1.0, 0.0, 0.0, 0.0);

const float PI = 3.14159265;
// The largest half float (65504) shared by the 17 quads that add up in the target.
const float kQuadLimit = 3853.0;

// A world direction in the frame of the turned map.
vec3 mapDirection(vec3 d)
{
    return vec3(envRotation.x * d.x + envRotation.y * d.z, d.y, envRotation.x * d.z - envRotation.y * d.x);
}

// The ground light's irradiance on a surface of unit normal d, d in the map's
// frame; the quadratic may dip below zero facing away from a bright patch.
vec3 groundIrradiance(vec3 d)
{
    vec3 e = groundLight0.rgb + groundLight1.rgb * d.x + groundLight2.rgb * d.y + groundLight3.rgb * d.z
           + groundLight4.rgb * (d.x * d.y) + groundLight5.rgb * (d.y * d.z) + groundLight6.rgb * (d.x * d.z)
           + groundLight7.rgb * (d.y * d.y) + groundLight8.rgb * (d.x * d.x - d.z * d.z);
    return max(e, vec3(0.0));
}

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec4 normalSample = texture2DRect(norMap, at);
    if (dot(normalSample.xyz, normalSample.xyz) < 0.25) {
        discard;  // background: the sky image fills it
    }
    vec3 n = normalize(normalSample.xyz);
    vec4 albedo = texture2DRect(colMap, at);
    float mirror = clamp(2.0 * albedo.a - 1.0, 0.0, 1.0);
    float object = step(0.5, texture2DRect(posMap, at).w);
    vec3 colour = albedo.rgb * (object * (1.0 - mirror) / PI) * groundIrradiance(mapDirection(n));
    gl_FragColor = vec4(clamp(colour, vec3(0.0), vec3(kQuadLimit)), 0.0);
}
