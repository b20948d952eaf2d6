#pragma once

namespace zorvek {

enum class ConversionMode {
    None = 0,             // bones keep their bind-pose orientation and frame names
    AxesAndBoneInfo = 1,  // bones turned to the table directions, named infoName@id
    NamesAndAxes = 2,     // bones turned and given MMD names, with IK chains
};

}  // namespace zorvek
