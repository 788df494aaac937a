// Full-target quad, vertex stage, shared by the lighting programs: passes the pixel coordinates.
#version 120

void main()
{
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
