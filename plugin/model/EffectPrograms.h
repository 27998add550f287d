#pragma once
// One program of a hosted plug-in whose programs are not chunks, as the instrument's files keep
// it: its name and every parameter's value.

#include <string>
#include <vector>

namespace rimba {

struct EffectProgram {
    std::string name;
    std::vector<float> parameters;
};

}  // namespace rimba
