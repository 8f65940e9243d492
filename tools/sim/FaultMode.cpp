// Which commands each fault reaches.
#include "sim/FaultMode.h"

#include "sim/CommandTable.h"

namespace quillmark::sim {

bool faultApplies(FaultMode mode, std::uint8_t cmd) {
    if (mode == FaultMode::None || !findCommand(cmd)) {
        return false;
    }
    const FaultInfo& info = faultInfo(mode);
    if (info.firmwareIdOnly) {
        return cmd == command::kFirmwareId;
    }
    if (info.resyncOnly) {
        return cmd == command::kResync;
    }
    return true;
}

}  // namespace quillmark::sim
