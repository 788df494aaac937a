// Sky pass, vertex stage: passes each vertex's world direction as seen from the eye.
// The sky sphere is drawn rotated 180 degrees about y and scaled by 100 around
// the origin; the direction is taken from the eye, not from the sphere's centre,
// so the sky stays at infinity however the camera moves.
#version 120

varying vec3 worldDirection;

void main()
{
    vec3 eyeInObject = (gl_ModelViewMatrixInverse * vec4(0.0, 0.0, 0.0, 1.0)).xyz;
    vec3 objectDirection = gl_Vertex.xyz / gl_Vertex.w - eyeInObject;
    // Undo the half turn about y that places the sphere in the world.
    worldDirection = vec3(-objectDirection.x, objectDirection.y, -objectDirection.z);
    gl_Position = ftransform();
}
