// Bloom blur: one direction of a separable Gaussian over the quarter-size image.
// Inputs: "col" unit 0, the image to blur; "blurDir" (x, y) the step between
// taps in pixels: (1, 0) horizontal, (0, 1) vertical. Nine texels are covered
// by five bilinear taps placed between texel pairs.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect col;
uniform vec4 blurDir;

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec2 step = blurDir.xy;
    // Gaussian of sigma 2 texels folded into bilinear pairs.
    vec3 sum = texture2DRect(col, at).rgb * 0.2270270;
    sum += texture2DRect(col, at + step * 1.3846154).rgb * 0.3162162;
    sum += texture2DRect(col, at - step * 1.3846154).rgb * 0.3162162;
    sum += texture2DRect(col, at + step * 3.2307692).rgb * 0.0702703;
    sum += texture2DRect(col, at - step * 3.2307692).rgb * 0.0702703;
    // The weights add up to a hair over one: keep within the half-float range of the target.
    gl_FragColor = vec4(clamp(sum, vec3(0.0), vec3(65504.0)), 1.0);
}
