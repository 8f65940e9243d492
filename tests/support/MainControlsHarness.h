// The main window's controls on scripted parts: fake time, a scripted port, scripted message
// boxes and settings in memory. Tests of the port selection and of the main window's logic
// build their subject on top.
#pragma once

#include "FakeTime.h"
#include "MemorySettingsStore.h"
#include "SpyMainControls.h"
#include "ScriptedMessageBoxes.h"
#include "ScriptedSerialPort.h"

namespace quillmark::test {

struct MainControlsHarness {
    FakeClock clock;
    FakeEventPump pump{clock};
    ScriptedSerialPort port{clock, pump};
    ScriptedMessageBoxes boxes;
    MemorySettingsStore settings;
    SpyMainControls controls;

    QString storedPort() const { return settings.values.value("Quillmark/Properties/CommPort"); }
};

}  // namespace quillmark::test
