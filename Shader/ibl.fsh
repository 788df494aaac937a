// Lighting pass, image-based lighting: adds the light of four shadowed directional lights per quad.
// Inputs: "posMap" unit 1 (world position; alpha 1 objects, 0 ground), "norMap"
// unit 2 (unit normal; alpha = glossy weight; a zero normal marks the
// background), "colMap" unit 3 (albedo; alpha above one half is the mirror
// weight: 0.5 and below reflect nothing, 1 is a mirror), "shaMap0".."shaMap3"
// units 4-7 (shadow maps with comparison; each unit's texture matrix maps a
// world position to that map), "background" unit 8 (the sky image), "envMap"
// unit 0 (the latitude-longitude environment, 2D), "camPos" (eye position),
// "lDir0".."lDir3" (unit directions toward the lights), "lColor0".."lColor3"
// (the lights' colours; the program reads the values derived from them
// below), "expo" (taken, not applied: exposure is applied once, in the final
// pass).
//
// Per-light values that do not depend on the pixel come from the processor,
// once per quad:
// "lIrradiance0".."lIrradiance3": rgb is the light's irradiance on a surface
//   facing it, its region's radiance summed over the region's solid angle;
//   under a uniform sky of radiance L a white matte surface facing up is then
//   lit at L, as bright as the sky. Alpha is the light's energy (the
//   luminance of rgb), its weight in the ground's shadow share.
// "lShadowShift0".."lShadowShift3": xyz is added to the shadow-map
//   coordinates of the point: the point's offset toward the light (as far as
//   shadowBias.x), carried through the unit's texture matrix, less the
//   constant depth bias (against self-shadowing).
// A program set without these values gets zeros: no light, unbiased shadows.
// "envRotation" (cos a, sin a, 0, 0): the environment's turn by the angle a
// about the vertical; every lookup of "envMap" turns its world direction back
// into the map's frame first (mapDirection). Unset, it is no turn. The lights
// arrive turned already.
// "groundEnergy": the sum over all 64 lights of energy times the cosine to the
// ground's normal; the same for every quad. ("lEnergy", the four lights'
// energies, is set too; this program reads them through "lIrradiance".)
//
// Values set once per pass, from the processor's single definition of each:
// "shadowBias": x is how far the shadow lookup moves the point along its
//   normal (world units), y the depth bias per unit of the light's slope
//   tangent, z the cosine below which the slope no longer grows.
// "luminanceWeights": rgb are the weights of a colour's luminance, as the
//   light extraction uses them.
//
// The mirror and glossy reflections and the ground are not per light: each of
// the 16 quads adds a sixteenth of them. The light of the map's ground, from
// below, is added once per pixel by a quad of its own (groundlight.fsh).
//
// The ground is a shadow catcher: it shows the sky image (the environment's own
// ground seen along the view ray) times the share of the ground's light that
// reaches the point: each quad adds its lights' energy times cosine times
// visibility over "groundEnergy", so the 16 quads together add all of it on
// open ground; where the environment has next to no
// ground (nearly black), a grey floor lit by the same lights shows instead. Its
// quads add a sixteenth of alpha each, which tells the combine step that the
// pixel already carries the environment.
//
// The renderer runs the whole program for every pixel, both sides of every
// branch included, so the ground and the object results are both computed and
// one is chosen at the end, and the work is kept to what the picture needs.
//
// Whatever a quad adds stays below a seventeenth of the half-float maximum, so
// the sum of the 16 quads and the ground light's never overflows the target,
// however bright the map.
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
uniform vec4 envRotation = vec4(1.0, 0.0, 0.0, 0.0);
uniform vec4 lDir0;
uniform vec4 lDir1;
uniform vec4 lDir2;
uniform vec4 lDir3;
uniform vec4 lColor0;
uniform vec4 lColor1;
uniform vec4 lColor2;
uniform vec4 lColor3;
uniform vec4 lIrradiance0;
uniform vec4 lIrradiance1;
uniform vec4 lIrradiance2;
uniform vec4 lIrradiance3;
uniform vec4 lShadowShift0;
uniform vec4 lShadowShift1;
uniform vec4 lShadowShift2;
uniform vec4 lShadowShift3;
uniform float groundEnergy;
uniform vec4 shadowBias;
uniform vec4 luminanceWeights;

const float PI = 3.14159265;
const float kGroupShare = 1.0 / 16.0;
// The largest half float (65504) shared by the 17 quads that add up in the target.
const float kQuadLimit = 3853.0;
const float kGlossNormalisation = (80.0 + 8.0) / 8.0;  // of the exponent-80 highlight
const float kFloorAlbedo = 0.45;
const float kFloorFadeStart = 4.5;
const float kFloorFadeEnd = 7.5;
// Ground radiance below which the environment counts as having no ground.
const float kDarkGroundStart = 0.01;
const float kDarkGroundEnd = 0.04;

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
        discard;  // background: the sky image fills it
    }
    vec4 positionSample = texture2DRect(posMap, at);
    vec4 albedo = texture2DRect(colMap, at);
    vec3 n = normalize(normalSample.xyz);
    vec3 p = positionSample.xyz;
    vec3 toEye = camPos.xyz - p;
    vec3 v = toEye * inversesqrt(dot(toEye, toEye));

    // The four lights side by side: cosines to the normal and to the view.
    vec4 cosines = vec4(dot(n, lDir0.xyz), dot(n, lDir1.xyz), dot(n, lDir2.xyz), dot(n, lDir3.xyz));
    vec4 towardEye = vec4(dot(v, lDir0.xyz), dot(v, lDir1.xyz), dot(v, lDir2.xyz), dot(v, lDir3.xyz));
    // A shadow-map texel covers more of a surface the more grazing the light:
    // the bias grows with the slope's tangent, which the cosine's floor keeps
    // bounded, so lights near the horizon do not shadow the very surface they light.
    vec4 c = clamp(cosines, shadowBias.z, 1.0);
    vec4 slopeBias = shadowBias.y * sqrt(1.0 / (c * c) - 1.0);

    // Lights behind the surface add nothing, whatever their lookup says.
    vec4 offsetPoint = vec4(p + n * shadowBias.x, 1.0);
    vec4 visibility;
    visibility.x = lit(shaMap0, (gl_TextureMatrix[4] * offsetPoint).xyz + lShadowShift0.xyz, slopeBias.x);
    visibility.y = lit(shaMap1, (gl_TextureMatrix[5] * offsetPoint).xyz + lShadowShift1.xyz, slopeBias.y);
    visibility.z = lit(shaMap2, (gl_TextureMatrix[6] * offsetPoint).xyz + lShadowShift2.xyz, slopeBias.z);
    visibility.w = lit(shaMap3, (gl_TextureMatrix[7] * offsetPoint).xyz + lShadowShift3.xyz, slopeBias.w);
    vec4 facing = max(cosines, 0.0);
    vec4 received = facing * visibility;
    vec3 diffuse = lIrradiance0.rgb * received.x + lIrradiance1.rgb * received.y + lIrradiance2.rgb * received.z +
                   lIrradiance3.rgb * received.w;

    // Ground: the sky image darkened by the blocked share of the lights, or
    // the grey floor where the environment has no ground of its own.
    vec4 shareWeights = facing * vec4(lIrradiance0.a, lIrradiance1.a, lIrradiance2.a, lIrradiance3.a);
    float open = dot(shareWeights, visibility);
    // A map without light above the horizon leaves the ground unshadowed.
    float share = groundEnergy > 0.0 ? open / groundEnergy : kGroupShare;
    vec3 sky = texture2DRect(background, at).rgb;
    float fade = 1.0 - smoothstep(kFloorFadeStart, kFloorFadeEnd, max(abs(p.x), abs(p.z)));
    float missingGround = 1.0 - smoothstep(kDarkGroundStart, kDarkGroundEnd, dot(sky, luminanceWeights.rgb));
    vec3 groundColour = sky * share + diffuse * ((kFloorAlbedo / PI) * fade * missingGround);

    // Objects: diffuse, exponent-80 highlights and the reflection. The
    // half-way vector's cosine to the normal is (n.l + n.v) / |l + v|, where
    // |l + v|^2 = 2 + 2 l.v for unit l and v.
    float glossy = normalSample.a;
    float mirror = clamp(2.0 * albedo.a - 1.0, 0.0, 1.0);
    float grazing = 1.0 - max(dot(n, v), 0.0);
    float grazing2 = grazing * grazing;
    float fresnel = 0.04 + 0.96 * (grazing2 * grazing2 * grazing);
    float specularWeight = glossy * mix(0.25, 1.0, fresnel);
    vec4 halfway = max((cosines + dot(n, v)) * inversesqrt(max(2.0 + 2.0 * towardEye, 1e-8)), 0.0);
    vec4 h2 = halfway * halfway;
    vec4 h4 = h2 * h2;
    vec4 h8 = h4 * h4;
    vec4 h16 = h8 * h8;
    vec4 h64 = h16 * h16;
    h64 *= h64;
    vec4 highlight = (h64 * h16) * kGlossNormalisation * received;
    vec3 specular = lIrradiance0.rgb * highlight.x + lIrradiance1.rgb * highlight.y +
                    lIrradiance2.rgb * highlight.z + lIrradiance3.rgb * highlight.w;
    // The mirror part reflects the environment; the glossy part adds a
    // Fresnel-weighted reflection beside its highlights.
    float reflection = mirror + glossy * fresnel * 0.5;
    vec3 reflected = texture2D(envMap, latitudeLongitude(mapDirection(reflect(-v, n)))).rgb;
    vec3 objectColour = albedo.rgb * ((1.0 - mirror) / PI) * diffuse + specular * specularWeight +
                        reflected * (reflection * kGroupShare) * albedo.rgb;

    bool ground = positionSample.w < 0.5;
    gl_FragColor = ground ? vec4(clamp(groundColour, vec3(0.0), vec3(kQuadLimit)), kGroupShare)
                          : vec4(clamp(objectColour, vec3(0.0), vec3(kQuadLimit)), 0.0);
}
