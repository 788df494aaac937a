// Lighting pass, ambient occlusion: adds the sky visibility of four light directions per quad, as grey.
// Inputs: the lighting set ("posMap" 1, "norMap" 2, "shaMap0".."shaMap3" 4-7
// with their texture matrices, "lDir0".."lDir3"); "envMap" 0, "colMap" 3,
// "background" 8, "camPos", "expo" and "lColor0".."lColor3" are taken but not
// needed; "lEnergy" (the four lights' energies: the luminance of their
// irradiance) and "groundEnergy" (the sum over all lights of energy times the cosine
// to the ground's normal) weigh the directions.
// Each of the 64 light directions samples the sky; a point adds the energy times
// the cosine of every direction it sees (not shadowed), over the ground's total,
// so an open floor is a middle grey whatever the map's scale, and hidden or
// downward-facing parts go dark. The background is the same flat grey. Every
// quad adds a sixteenth of alpha, so the combine step shows no sky in this mode.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2D envMap;
uniform sampler2DRect posMap;
uniform sampler2DRect norMap;
uniform sampler2DRect colMap;
uniform sampler2DShadow shaMap0;
uniform sampler2DShadow shaMap1;
uniform sampler2DShadow shaMap2;
uniform sampler2DShadow shaMap3;
uniform sampler2DRect background;
uniform float expo;
uniform vec4 camPos;
uniform vec4 lDir0;
uniform vec4 lDir1;
uniform vec4 lDir2;
uniform vec4 lDir3;
uniform vec4 lColor0;
uniform vec4 lColor1;
uniform vec4 lColor2;
uniform vec4 lColor3;
uniform vec4 lEnergy;
uniform float groundEnergy;

const float kGroupShare = 1.0 / 16.0;
// Open floor and background: a middle grey (0.4 before the tone curve).
const float kBackground = 0.4;
// The largest half float (65504) shared by the 16 quads that add up in the target.
const float kQuadLimit = 4094.0;
const float kNormalOffset = 0.03;
const float kDepthBias = 0.0015;
const float kSlopeBias = 0.0006;
const float kMaxSlope = 20.0;

// cosine: of the angle between the surface normal and the light.
float lit(sampler2DShadow map, mat4 toShadowMap, vec3 position, float cosine)
{
    vec4 coordinate = toShadowMap * vec4(position, 1.0);
    coordinate.xyz /= coordinate.w;
    if (any(lessThan(coordinate.xyz, vec3(0.0))) || any(greaterThan(coordinate.xyz, vec3(1.0)))) {
        return 1.0;
    }
    // A shadow-map texel covers more of a surface the more grazing the light:
    // the bias grows with the slope, so lights near the horizon do not shadow
    // the very surface they light.
    float c = clamp(cosine, 0.05, 1.0);
    coordinate.z -= kDepthBias + kSlopeBias * min(sqrt(1.0 - c * c) / c, kMaxSlope);
    return shadow2D(map, coordinate.xyz).r;
}

float sees(vec3 n, vec3 direction, float energy)
{
    return max(dot(n, direction), 0.0) * energy;
}

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec4 normalSample = texture2DRect(norMap, at);
    if (dot(normalSample.xyz, normalSample.xyz) < 0.25) {
        gl_FragColor = vec4(vec3(kBackground * kGroupShare), kGroupShare);
        return;
    }
    vec3 n = normalize(normalSample.xyz);
    vec3 p = texture2DRect(posMap, at).xyz + n * kNormalOffset;

    // Empty regions (black, pointing straight down) have no energy.
    float seen = 0.0;
    seen += sees(n, lDir0.xyz, lEnergy.x) * lit(shaMap0, gl_TextureMatrix[4], p + lDir0.xyz * kNormalOffset, dot(n, lDir0.xyz));
    seen += sees(n, lDir1.xyz, lEnergy.y) * lit(shaMap1, gl_TextureMatrix[5], p + lDir1.xyz * kNormalOffset, dot(n, lDir1.xyz));
    seen += sees(n, lDir2.xyz, lEnergy.z) * lit(shaMap2, gl_TextureMatrix[6], p + lDir2.xyz * kNormalOffset, dot(n, lDir2.xyz));
    seen += sees(n, lDir3.xyz, lEnergy.w) * lit(shaMap3, gl_TextureMatrix[7], p + lDir3.xyz * kNormalOffset, dot(n, lDir3.xyz));
    float grey = groundEnergy > 0.0 ? min(seen * kBackground / groundEnergy, kQuadLimit) : 0.0;
    gl_FragColor = vec4(vec3(grey), kGroupShare);
}
