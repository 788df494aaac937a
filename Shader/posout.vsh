// Position pass, vertex stage: world-space position from the object's vertex and its "off" translation.
#version 120

uniform vec4 off;

varying vec3 worldPosition;

void main()
{
    // Objects are drawn under a translation equal to off.xyz (spheres) or none
    // (character, ground); the model-view matrix also holds the camera's view.
    worldPosition = gl_Vertex.xyz / gl_Vertex.w + off.xyz;
    gl_Position = ftransform();
}
