// Plain 2 x 2 box downsample of a rectangle texture (kept for other pipelines; the frame uses downsample_comb).
// Input: "col" unit 0, the source image; each output pixel averages the four
// source texels around its centre.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect col;

void main()
{
    vec2 centre = gl_TexCoord[0].xy;
    vec4 sum = texture2DRect(col, centre + vec2(-0.5, -0.5))
             + texture2DRect(col, centre + vec2(0.5, -0.5))
             + texture2DRect(col, centre + vec2(-0.5, 0.5))
             + texture2DRect(col, centre + vec2(0.5, 0.5));
    // Kept within the half-float range of a target, whatever the source holds.
    gl_FragColor = clamp(sum * 0.25, vec4(0.0), vec4(65504.0));
}
