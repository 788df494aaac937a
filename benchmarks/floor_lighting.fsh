// Lighting floor for the frame benchmark (not part of the program): the G-buffer
// reads, the four shadow lookups per quad and a plain Lambert sum, nothing more.
// The frame benchmark swaps it in for ibl.fsh to measure the least a lighting
// pass of this structure costs on the renderer at hand.
#version 120
#extension GL_ARB_texture_rectangle : enable

uniform sampler2DRect posMap;
uniform sampler2DRect norMap;
uniform sampler2DShadow shaMap0;
uniform sampler2DShadow shaMap1;
uniform sampler2DShadow shaMap2;
uniform sampler2DShadow shaMap3;
uniform vec4 lDir0;
uniform vec4 lDir1;
uniform vec4 lDir2;
uniform vec4 lDir3;

void main()
{
    vec2 at = gl_TexCoord[0].xy;
    vec3 n = texture2DRect(norMap, at).xyz;
    vec4 p = vec4(texture2DRect(posMap, at).xyz, 1.0);
    float light = max(dot(n, lDir0.xyz), 0.0) * shadow2DProj(shaMap0, gl_TextureMatrix[4] * p).r
                + max(dot(n, lDir1.xyz), 0.0) * shadow2DProj(shaMap1, gl_TextureMatrix[5] * p).r
                + max(dot(n, lDir2.xyz), 0.0) * shadow2DProj(shaMap2, gl_TextureMatrix[6] * p).r
                + max(dot(n, lDir3.xyz), 0.0) * shadow2DProj(shaMap3, gl_TextureMatrix[7] * p).r;
    gl_FragColor = vec4(vec3(0.07 * light), 0.0);
}
