// The program's polling pieces on a real serial port, with a recording hooked to every tick.
#pragma once

#include "MemorySettingsStore.h"
#include "ScriptedMessageBoxes.h"
#include "SpyViews.h"
#include "engine/EngineReads.h"
#include "engine/PollingCycle.h"
#include "link/ModuleLink.h"
#include "link/PortNames.h"
#include "link/PortSelection.h"
#include "link/SharedState.h"
#include "platform/QtClock.h"
#include "platform/QtEventPump.h"
#include "platform/QtSerialPort.h"
#include "recording/Recorder.h"
#include "recording/RecordingFiles.h"

#include <QFile>

namespace quillmark::test {

struct RecordingRun {
    MemorySettingsStore settings;
    QtSerialPort port;
    QtClock clock;
    QtEventPump pump;
    ScriptedMessageBoxes boxes;
    PortNames names{settings};
    std::int16_t portNumber = 1;
    SharedState state;
    ModuleLink link{port, clock, pump, boxes, names, portNumber};
    SpyRealTimeView view;
    EngineReads reads{link, state, [this] { state.panelActive = false; }};
    PollingCycle cycle{link, state, reads, view, [this] { state.panelActive = false; }};
    QString failure;
    bool recordTicks = true;
    Recorder recorder{clock, [this](const QString&, const QString& reason) { failure = reason; }};

    explicit RecordingRun(const QString& device) {
        settings.save(QStringLiteral("Quillmark"), QStringLiteral("Ports"), QStringLiteral("Com1"),
                      device);
        port.applySettings(moduleLineSettings());
        boxes.whileOpen = [this] { pump.yield(); };
        state.modelName = QStringLiteral("Corvane II VR");
        state.panelActive = true;
        cycle.samples().addConsumer([this](const Sample& sample) {
            if (recordTicks) {
                recorder.addRow(recordingRow(sample));
            }
        });
    }
    ~RecordingRun() {
        if (port.isOpen()) {
            port.close();
        }
    }

    // Starts a recording into a new file; its path, empty when it could not be made.
    QString startRecording(const QString& folder, const QString& name) {
        NewRecordingFile file = createRecordingFile(folder, name);
        if (!file.file || !recorder.start(std::move(file.file), file.path).isEmpty()) {
            return {};
        }
        return file.path;
    }
    void observeTicks(bool on) { recordTicks = on; }
};

}  // namespace quillmark::test
