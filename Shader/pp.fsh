// Final composite: exposure, bloom, tone curve, film grain; writes the displayed colour.
// Inputs: "map" unit 0, the scene image (window size); "env" unit 1, the sky
// image; "norMap" unit 2, the blurred bloom image at a quarter of the size;
// "noiseMap" unit 3, the noise texture (2D, repeats); "expo", the exposure in
// stops above the base (1.0 is the neutral exposure; each unit doubles the
// light); "combine" 1.0 when "map" is the lighting result still to be combined
// with the sky (see downsample_comb); "size" (width, height) of the image.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect map;
uniform sampler2DRect env;
uniform sampler2DRect norMap;
uniform sampler2D noiseMap;
uniform float expo;
uniform float combine;
uniform vec4 size;

// Bloom adds the part of the blurred image brighter than this, times the strength.
const float kBloomThreshold = 1.0;
const float kBloomStrength = 0.35;
// Grain amplitude in display values (a little over one 8-bit step).
const float kGrain = 0.012;
// The noise is read at one texel per pixel, and a second time rotated and
// scaled, so the 256-pixel tile of the noise map never repeats visibly.
const float kNoiseTexels = 256.0;

vec3 sceneColour(vec2 at)
{
    vec4 lit = texture2DRect(map, at);
    if (combine < 0.5) {
        return lit.rgb;
    }
    vec4 sky = texture2DRect(env, at);
    float groundCoverage = clamp(lit.a - 1.0, 0.0, 1.0);
    return lit.rgb + sky.rgb * sky.a * (1.0 - groundCoverage);
}

// Filmic curve (a rational fit of the ACES reference) mapping radiance to 0..1.
vec3 toneCurve(vec3 x)
{
    return clamp((x * (2.51 * x + 0.03)) / (x * (2.43 * x + 0.59) + 0.14), 0.0, 1.0);
}

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec3 colour = sceneColour(at);
    vec3 bloom = texture2DRect(norMap, at * 0.25).rgb;
    colour += kBloomStrength * max(bloom - vec3(kBloomThreshold), vec3(0.0));

    colour *= exp2(expo - 1.0);
    vec3 display = pow(toneCurve(max(colour, vec3(0.0))), vec3(1.0 / 2.2));

    vec2 pixel = gl_FragCoord.xy;
    vec2 rotated = mat2(0.8, -0.6, 0.6, 0.8) * pixel * 0.73 + size.xy * 0.5;
    float grain = texture2D(noiseMap, pixel / kNoiseTexels).g + texture2D(noiseMap, rotated / kNoiseTexels).r - 1.0;
    display += kGrain * grain;

    gl_FragColor = vec4(clamp(display, 0.0, 1.0), 1.0);
}
