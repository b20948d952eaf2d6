#pragma once

namespace zorvek {

enum class ConversionMode {
    None = 0,             // bones keep their bind-pose orientation and frame names
    AxesAndBoneInfo = 1,  // bones turned to the table directions, named infoName@id
    NamesAndAxes = 2,     // bones turned and given MMD names, with IK chains
    // As NamesAndAxes, in the hierarchy of standard MMD models, with the
    // bones they have and a game frame lacks (センター, 肩P, twists, IK parents)
    Standard = 3,
};

}  // namespace zorvek
