// Resolve and bloom downsamples: 2 x 2 box filter, combining the lit image with the sky when asked.
// Inputs: "col" unit 0, the source image; "envi" unit 1, the sky image at the
// source's size; "combine" 1.0 when "col" is still the lighting result alone.
// Combining: the lit image's alpha starts at 1 (its clear value) and the
// lighting passes add the ground's coverage on top, so alpha - 1 tells how much
// of the pixel is ground that already carries the environment; the sky image
// fills the rest (its objects are black, so they add nothing).
// Each tap reads one texel centre, so combining happens before averaging.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect col;
uniform sampler2DRect envi;
uniform float combine;

vec3 combined(vec2 at)
{
    vec4 lit = texture2DRect(col, at);
    if (combine < 0.5) {
        return lit.rgb;
    }
    vec4 sky = texture2DRect(envi, at);
    float groundCoverage = clamp(lit.a - 1.0, 0.0, 1.0);
    return lit.rgb + sky.rgb * sky.a * (1.0 - groundCoverage);
}

void main()
{
    vec2 centre = gl_TexCoord[0].xy;
    vec3 sum = combined(centre + vec2(-0.5, -0.5)) + combined(centre + vec2(0.5, -0.5))
             + combined(centre + vec2(-0.5, 0.5)) + combined(centre + vec2(0.5, 0.5));
    // Lit image plus sky may exceed the half-float range of the target: keep within it.
    gl_FragColor = vec4(clamp(sum * 0.25, vec3(0.0), vec3(65504.0)), 1.0);
}
