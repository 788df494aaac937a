// The shader program table: which vertex and fragment files build which slot, in load order.
#include "frame/shader_programs.h"

#include "gpu/glsl_manager.h"

namespace {

struct ProgramFiles {
    int slot;
    const char* vertexFile;
    const char* fragmentFile;
};

constexpr ProgramFiles kLoadOrder[kProgramCount] = {
    {kSkyProgram, "Shader/tonemap.vsh", "Shader/tonemap.fsh"},
    {kImageBasedLightingProgram, "Shader/ibl.vsh", "Shader/ibl.fsh"},
    {kMirrorProgram, "Shader/ibl.vsh", "Shader/iblrefl.fsh"},
    {kPositionProgram, "Shader/posout.vsh", "Shader/posout.fsh"},
    {kNormalProgram, "Shader/norout.vsh", "Shader/norout.fsh"},
    {kCompositeProgram, "Shader/pp.vsh", "Shader/pp.fsh"},
    {kAmbientOcclusionProgram, "Shader/ibl.vsh", "Shader/ao.fsh"},
    {kDownsampleCombineProgram, "Shader/downsample.vsh", "Shader/downsample_comb.fsh"},
    {kBlurProgram, "Shader/blur.vsh", "Shader/blur.fsh"},
    {kDownsampleProgram, "Shader/downsample.vsh", "Shader/downsample.fsh"},
    {kGroundLightProgram, "Shader/ibl.vsh", "Shader/groundlight.fsh"},
};

}  // namespace

void loadScenePrograms() {
    GLSLManager& programs = glslManager();
    programs.initExtensions();  // a failure is logged; the builds below then log their own failures
    programs.allocatePrograms(kProgramCount);
    for (const ProgramFiles& files : kLoadOrder) {
        programs.loadProgram(files.vertexFile, files.fragmentFile, files.slot);
    }
}
