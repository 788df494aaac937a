// Normal pass: writes the unit world-space normal and the object's glossiness.
// No uniforms. The vertex colour's alpha (set per object, or each material's
// second alpha for the character) is the glossy specular weight: 0 matte,
// 1 glossy. Background pixels keep the clear value, a zero normal.
#version 120

varying vec3 worldNormal;

void main()
{
    float len = length(worldNormal);
    vec3 n = len > 1e-6 ? worldNormal / len : vec3(0.0, 1.0, 0.0);
    gl_FragColor = vec4(n, gl_Color.a);
}
