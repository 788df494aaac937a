// Lighting pass, ambient occlusion: adds the sky visibility of four light directions per quad, as grey.
// Inputs: the lighting set ("posMap" 1, "norMap" 2, "shaMap0".."shaMap3" 4-7
// with their texture matrices, "lDir0".."lDir3"); "envMap" 0, "colMap" 3,
// "background" 8, "camPos" and "expo" are taken but not needed: occlusion
// depends on geometry alone; "lColor0".."lColor3" only tell empty regions apart.
// Each of the 64 light directions samples the sky; a point adds the cosine of
// every direction it sees (not shadowed), so an open floor is a middle grey and
// hidden or downward-facing parts go dark. The background is a flat grey. Every quad
// adds a sixteenth of alpha, so the combine step shows no sky in this mode.
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

const float kGroupShare = 1.0 / 16.0;
// Cosine-weighted visibility of 64 directions, scaled so an open floor is a
// middle grey (about 0.4 before the tone curve), and the background the same.
const float kDirectionWeight = 1.0 / 100.0;
const float kBackground = 0.4;
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

float sees(vec3 n, vec3 direction, vec3 colour)
{
    return max(dot(n, direction), 0.0) * step(1e-8, dot(colour, vec3(1.0)));
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

    // Empty regions (black, pointing straight down) are no sky direction.
    float seen = 0.0;
    seen += sees(n, lDir0.xyz, lColor0.rgb) * lit(shaMap0, gl_TextureMatrix[4], p + lDir0.xyz * kNormalOffset, dot(n, lDir0.xyz));
    seen += sees(n, lDir1.xyz, lColor1.rgb) * lit(shaMap1, gl_TextureMatrix[5], p + lDir1.xyz * kNormalOffset, dot(n, lDir1.xyz));
    seen += sees(n, lDir2.xyz, lColor2.rgb) * lit(shaMap2, gl_TextureMatrix[6], p + lDir2.xyz * kNormalOffset, dot(n, lDir2.xyz));
    seen += sees(n, lDir3.xyz, lColor3.rgb) * lit(shaMap3, gl_TextureMatrix[7], p + lDir3.xyz * kNormalOffset, dot(n, lDir3.xyz));
    gl_FragColor = vec4(vec3(seen * kDirectionWeight), kGroupShare);
}
