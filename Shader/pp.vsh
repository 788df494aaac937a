// Final composite quad, vertex stage: passes the scene image's pixel coordinates.
#version 120

void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
