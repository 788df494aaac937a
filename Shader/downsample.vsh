// Resolve and downsample quads, vertex stage: passes the source pixel coordinates.
#version 120

void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
