// The figure: the choice between the built-in character and the user's model, per pass and per update.
#include "frame/figure.h"

#include "character/skinned_model.h"
#include "model/scene_model.h"
#include "state/program_slots.h"

bool userModelShown() { return sceneModel().present(); }

void drawFigure(FigurePass pass) {
    if (!userModelShown()) {
        // The character takes its material colour in the colour pass and its
        // second alpha (the glossy weight) in the normal pass.
        skinnedModel().draw(pass == FigurePass::Colours, pass == FigurePass::Normals);
        return;
    }
    switch (pass) {
        case FigurePass::Shadow:
            sceneModel().draw(ModelDrawMode::ShadowDepth, -1);
            break;
        case FigurePass::Positions:
            sceneModel().draw(ModelDrawMode::Positions, kPositionProgram);
            break;
        case FigurePass::Normals:
            sceneModel().draw(ModelDrawMode::NormalsAndGloss, kNormalProgram);
            break;
        case FigurePass::Colours:
            sceneModel().draw(ModelDrawMode::ColoursAndMirror, -1);
            break;
        case FigurePass::Silhouette:
            sceneModel().draw(ModelDrawMode::Silhouette, -1);
            break;
    }
}

void updateFigure(std::uint32_t elapsedMilliseconds) {
    if (userModelShown()) {
        sceneModel().update(elapsedMilliseconds);
    } else {
        skinnedModel().update(static_cast<float>(elapsedMilliseconds));
    }
}
