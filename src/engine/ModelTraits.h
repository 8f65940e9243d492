// What each module model changes: the engine speed per count of its speed byte, the
// tachometer's scale and marks, and whether the ignition retard is read and shown. Every
// model rule of the program is looked up here.
#pragma once

#include "link/ModelNames.h"

#include <QLatin1StringView>
#include <QString>

#include <array>

namespace quillmark {

struct ModelTraits {
    const char* name;
    double rpmPerCount;   // engine speed of one count of the speed byte
    bool readsRetard;     // the retard command is sent each tick
    bool showsRetard;     // the retard gauge is on the panel
    double tachMarkLow;   // tachometer marks and top, in thousands of RPM
    double tachMarkHigh;  // the red band starts here
    double tachScaleMax;

    double speedRedFromRpm() const { return tachMarkHigh * 1000.0; }
};

// The tachometer's top matches the speed conversion: 255 x 40 RPM on the VR, 255 x 31.25 on
// every other model (which also gets the design-time values back). The plain II reads the
// retard but keeps its gauge hidden.
inline constexpr std::array<ModelTraits, 3> kModelTraits{{
    {kModelCorvaneIIVR, 40.0, true, true, 9.0, 9.5, 10.0},
    {kModelCorvaneII, 31.25, true, false, 5.7, 6.0, 8.0},
    {kModelCorvane, 31.25, false, false, 5.7, 6.0, 8.0},
}};

// The traits of a model by its exact name; a name that is none of them (no identifier was
// read) behaves as the plain Corvane.
inline const ModelTraits& modelTraits(const QString& modelName) {
    for (const ModelTraits& traits : kModelTraits) {
        if (modelName == QLatin1StringView(traits.name)) {
            return traits;
        }
    }
    return kModelTraits.back();
}

}  // namespace quillmark
