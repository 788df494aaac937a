// Lighting pass, ambient occlusion: adds the sky visibility of four light directions per quad, as grey.
// Inputs: the lighting set ("posMap" 1, "norMap" 2, "shaMap0".."shaMap3" 4-7
// with their texture matrices, "lDir0".."lDir3"); "envMap" 0, "colMap" 3,
// "background" 8, "camPos", "expo" and "lColor0".."lColor3" are taken but not
// needed; "lEnergy" (the four lights' energies: the luminance of their
// irradiance) and "groundEnergy" (the sum over all lights of energy times the cosine
// to the ground's normal) weigh the directions. The shadow lookups are the
// image-based lighting program's, with its "lShadowShift0".."lShadowShift3"
// and "shadowBias" (see ibl.fsh). The ground's light from below is not a
// matter of what a point sees of the sky, so this picture leaves it out.
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
uniform vec4 lShadowShift0;
uniform vec4 lShadowShift1;
uniform vec4 lShadowShift2;
uniform vec4 lShadowShift3;
uniform vec4 shadowBias;

const float kGroupShare = 1.0 / 16.0;
// Open floor and background: a middle grey (0.4 before the tone curve).
const float kBackground = 0.4;
// The largest half float (65504) shared by the 16 quads that add up in the target.
const float kQuadLimit = 4094.0;

// 1 where the point is lit; a point outside the light's box is lit, since the
// map knows nothing there.
float lit(sampler2DShadow map, vec3 coordinate, float slopeBias)
{
    bool outside = any(lessThan(coordinate, vec3(0.0))) || any(greaterThan(coordinate, vec3(1.0)));
    float visible = shadow2D(map, vec3(coordinate.xy, coordinate.z - slopeBias)).r;
    return outside ? 1.0 : visible;
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
    vec3 p = texture2DRect(posMap, at).xyz;

    vec4 cosines = vec4(dot(n, lDir0.xyz), dot(n, lDir1.xyz), dot(n, lDir2.xyz), dot(n, lDir3.xyz));
    vec4 c = clamp(cosines, shadowBias.z, 1.0);
    vec4 slopeBias = shadowBias.y * sqrt(1.0 / (c * c) - 1.0);
    vec4 offsetPoint = vec4(p + n * shadowBias.x, 1.0);
    vec4 visibility;
    visibility.x = lit(shaMap0, (gl_TextureMatrix[4] * offsetPoint).xyz + lShadowShift0.xyz, slopeBias.x);
    visibility.y = lit(shaMap1, (gl_TextureMatrix[5] * offsetPoint).xyz + lShadowShift1.xyz, slopeBias.y);
    visibility.z = lit(shaMap2, (gl_TextureMatrix[6] * offsetPoint).xyz + lShadowShift2.xyz, slopeBias.z);
    visibility.w = lit(shaMap3, (gl_TextureMatrix[7] * offsetPoint).xyz + lShadowShift3.xyz, slopeBias.w);

    // Empty regions (black, pointing straight down) have no energy.
    float seen = dot(max(cosines, 0.0) * lEnergy, visibility);
    float grey = groundEnergy > 0.0 ? clamp(seen * kBackground / groundEnergy, 0.0, kQuadLimit) : 0.0;
    gl_FragColor = vec4(vec3(grey), kGroupShare);
}
