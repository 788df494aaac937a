// Position pass: writes the world-space position of every covered pixel.
// Input: "off" vec4, the translation the object is drawn under; its w is 1 for
// the character and the spheres and 0 for the ground. Output alpha = off.w, so
// the lighting pass tells the ground (0) from the objects (1).
#version 120

uniform vec4 off;

varying vec3 worldPosition;

void main()
{
    gl_FragColor = vec4(worldPosition, off.w);
}
