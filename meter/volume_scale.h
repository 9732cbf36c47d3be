#pragma once

#include "meter/model_table.h"

// How the meter's counted units become cubic metres: its model's factor and
// the factor's decimals. While the model is unknown the factor is 0 and every
// volume stays a count, and says so by its unit.
struct VolumeScale
{
    double factor = 0.0; // m3 per counted unit; 0: counts
    int decimals = 0;

    bool known() const { return factor > 0.0; }
    // The scale of a model table entry: a model not found scales nothing,
    // so a factor left from another meter can never apply.
    static VolumeScale of(const ModelLookup &model)
    {
        VolumeScale scale;
        if (model.end != ModelLookup::End::matched)
            return scale;
        scale.factor = model.factor;
        scale.decimals = model.factor_has_point ? model.factor_decimals : 0;
        return scale;
    }
    bool operator==(const VolumeScale &other) const { return factor == other.factor && decimals == other.decimals; }
    bool operator!=(const VolumeScale &other) const { return !(*this == other); }
};
