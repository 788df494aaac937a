// Lighting pass, image-based lighting: adds the light of four shadowed directional lights per quad.
// Inputs: "posMap" unit 1 (world position; alpha 1 objects, 0 ground), "norMap"
// unit 2 (unit normal; alpha = glossy weight; a zero normal marks the
// background), "colMap" unit 3 (albedo; alpha above one half is the mirror
// weight: 0.5 and below reflect nothing, 1 is a mirror), "shaMap0".."shaMap3"
// units 4-7 (shadow maps with comparison; each unit's texture matrix maps a
// world position to that map), "background" unit 8 (the sky image), "envMap"
// unit 0 (the latitude-longitude environment, 2D), "camPos" (eye position),
// "lDir0".."lDir3" (unit directions toward the lights), "lColor0".."lColor3"
// (the lights' colours), "lSolidAngle" (the four lights' solid angles),
// "lEnergy" (the four lights' energies: colour luminance times solid angle),
// "groundEnergy" (the sum over all lights of energy times the cosine to the
// ground's normal), "expo" (taken, not applied: exposure is applied once, in
// the final pass).
//
// Light strength: every light stands for one median-cut region of the sky. Its
// colour is the region's latitude-weighted mean radiance and "lSolidAngle" the
// steradians the region covers, so colour times solid angle is the irradiance
// the light gives a surface facing it. Under a uniform sky of radiance L a white
// matte surface facing up is then lit at L, as bright as the sky. The mirror and
// glossy reflections and the ground are not per light: each of the 16 quads
// adds a sixteenth of them.
//
// The ground is a shadow catcher: it shows the sky image (the environment's own
// ground seen along the view ray) times the share of the ground's light that
// reaches the point: each quad adds its lights' energy times cosine times
// visibility over "groundEnergy", so the 16 quads together add all of it on open
// ground. Where the environment has next to no ground (nearly black), a grey
// floor lit by the same lights shows instead. Its quads add a sixteenth of alpha
// each, which tells the combine step that the pixel already carries the
// environment.
//
// Whatever a quad adds stays below a sixteenth of the half-float maximum, so the
// sum of the 16 quads never overflows the target, however bright the map.
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
uniform vec4 lSolidAngle;
uniform vec4 lEnergy;
uniform float groundEnergy;

const float PI = 3.14159265;
const float kGroupShare = 1.0 / 16.0;
// The largest half float (65504) shared by the 16 quads that add up in the target.
const float kQuadLimit = 4094.0;
const float kGlossExponent = 80.0;
const float kFloorAlbedo = 0.45;
const float kFloorFadeStart = 4.5;
const float kFloorFadeEnd = 7.5;
// Ground radiance below which the environment counts as having no ground.
const float kDarkGroundStart = 0.01;
const float kDarkGroundEnd = 0.04;
// Shadow lookups move the point along its normal and toward the light, by
// about one shadow-map texel (11 units over 512 texels), against self-shadowing.
const float kNormalOffset = 0.03;
const float kDepthBias = 0.0015;
const float kSlopeBias = 0.0006;
const float kMaxSlope = 20.0;

vec2 latitudeLongitude(vec3 d)
{
    float t = acos(clamp(-d.y, -1.0, 1.0)) / PI;
    float s = (atan(-d.x, d.z) / PI + 1.0) * 0.5;
    return vec2(s, t);
}

float luminance(vec3 c)
{
    return dot(c, vec3(0.2125, 0.7154, 0.0721));
}

// cosine: of the angle between the surface normal and the light.
float lit(sampler2DShadow map, mat4 toShadowMap, vec3 position, float cosine)
{
    vec4 coordinate = toShadowMap * vec4(position, 1.0);
    coordinate.xyz /= coordinate.w;
    // Outside the light's box the map knows nothing: count the point as lit.
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

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec4 normalSample = texture2DRect(norMap, at);
    if (dot(normalSample.xyz, normalSample.xyz) < 0.25) {
        discard;  // background: the sky image fills it
    }
    vec4 positionSample = texture2DRect(posMap, at);
    vec4 albedo = texture2DRect(colMap, at);
    vec3 n = normalize(normalSample.xyz);
    vec3 p = positionSample.xyz;
    vec3 v = normalize(camPos.xyz - p);
    bool ground = positionSample.w < 0.5;

    vec3 directions[4];
    directions[0] = lDir0.xyz;
    directions[1] = lDir1.xyz;
    directions[2] = lDir2.xyz;
    directions[3] = lDir3.xyz;
    // Each light's strength: colour times solid angle, the irradiance it gives
    // a surface facing it.
    vec3 colours[4];
    colours[0] = lColor0.rgb * lSolidAngle.x;
    colours[1] = lColor1.rgb * lSolidAngle.y;
    colours[2] = lColor2.rgb * lSolidAngle.z;
    colours[3] = lColor3.rgb * lSolidAngle.w;

    // Lights behind the surface need no shadow lookup.
    vec3 offsetPoint = p + n * kNormalOffset;
    float visibility[4];
    float c0 = dot(n, directions[0]);
    float c1 = dot(n, directions[1]);
    float c2 = dot(n, directions[2]);
    float c3 = dot(n, directions[3]);
    visibility[0] = c0 > 0.0 ? lit(shaMap0, gl_TextureMatrix[4], offsetPoint + directions[0] * kNormalOffset, c0) : 0.0;
    visibility[1] = c1 > 0.0 ? lit(shaMap1, gl_TextureMatrix[5], offsetPoint + directions[1] * kNormalOffset, c1) : 0.0;
    visibility[2] = c2 > 0.0 ? lit(shaMap2, gl_TextureMatrix[6], offsetPoint + directions[2] * kNormalOffset, c2) : 0.0;
    visibility[3] = c3 > 0.0 ? lit(shaMap3, gl_TextureMatrix[7], offsetPoint + directions[3] * kNormalOffset, c3) : 0.0;

    if (ground) {
        // open: this quad's part of the ground's light that reaches the point.
        float open = 0.0;
        vec3 floorLight = vec3(0.0);
        for (int k = 0; k < 4; ++k) {
            float cosine = max(dot(n, directions[k]), 0.0);
            open += lEnergy[k] * cosine * visibility[k];
            floorLight += colours[k] * (cosine * visibility[k]);
        }
        // A map without light above the horizon leaves the ground unshadowed.
        float share = groundEnergy > 0.0 ? open / groundEnergy : kGroupShare;
        vec3 sky = texture2DRect(background, at).rgb;
        vec3 caught = sky * share;
        // Where the environment has next to no ground of its own (a studio's
        // black floor), a grey floor lit by the same lights takes its place,
        // fading out toward the quad's edges so it ends softly in the scene.
        float fade = 1.0 - smoothstep(kFloorFadeStart, kFloorFadeEnd, max(abs(p.x), abs(p.z)));
        float missingGround = 1.0 - smoothstep(kDarkGroundStart, kDarkGroundEnd, luminance(sky));
        vec3 litFloor = floorLight * (kFloorAlbedo / PI) * fade * missingGround;
        gl_FragColor = vec4(min(caught + litFloor, vec3(kQuadLimit)), kGroupShare);
        return;
    }

    float glossy = normalSample.a;
    float mirror = clamp(2.0 * albedo.a - 1.0, 0.0, 1.0);
    float fresnel = 0.04 + 0.96 * pow(1.0 - max(dot(n, v), 0.0), 5.0);
    float specularWeight = glossy * mix(0.25, 1.0, fresnel);

    vec3 diffuse = vec3(0.0);
    vec3 specular = vec3(0.0);
    for (int k = 0; k < 4; ++k) {
        vec3 l = directions[k];
        float cosine = dot(n, l);
        if (cosine <= 0.0) {
            continue;
        }
        vec3 irradiance = colours[k] * (cosine * visibility[k]);
        diffuse += irradiance;
        vec3 h = normalize(l + v);
        float highlight = pow(max(dot(n, h), 0.0), kGlossExponent) * (kGlossExponent + 8.0) / 8.0;
        specular += irradiance * highlight;
    }

    // The mirror part reflects the environment; the glossy part adds a
    // Fresnel-weighted reflection beside its highlights.
    float reflection = mirror + glossy * fresnel * 0.5;
    vec3 base = albedo.rgb * (1.0 - mirror) / PI;
    vec3 colour = base * diffuse + specular * specularWeight;
    if (reflection > 0.0) {
        vec3 reflected = texture2D(envMap, latitudeLongitude(reflect(-v, n))).rgb;
        colour += reflected * reflection * albedo.rgb * kGroupShare;
    }
    gl_FragColor = vec4(clamp(colour, vec3(0.0), vec3(kQuadLimit)), 0.0);
}
