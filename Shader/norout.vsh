// Normal pass, vertex stage: passes the world-space normal and the per-object colour.
#version 120

varying vec3 worldNormal;

void main()
{
    // No object is rotated, so object normals are world normals; skinned
    // normals arrive unnormalised.
    worldNormal = gl_Normal;
    gl_FrontColor = gl_Color;
    gl_Position = ftransform();
}
