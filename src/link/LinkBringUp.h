// Bringing the link up: resynchronising with the module and reading its firmware identifier.
#pragma once

#include <QString>

namespace quillmark {

class ModuleLink;
struct SharedState;

inline constexpr char kResyncCommand = 0x33;
inline constexpr char kFirmwareIdCommand = 0x10;
inline constexpr int kAcknowledge = 6;
inline constexpr int kCarriageReturn = 13;

// Sends 0x33 and sets linkUp when the second answer byte is the acknowledge 6. A missing or
// short answer ends quietly with linkUp False and the port left open.
void resync(ModuleLink& link);

// Sends 0x10 and reads the identifier text up to the carriage return; sets firmwareId and,
// only on a complete answer, modelName. Closes the port at the end.
void readFirmwareId(ModuleLink& link, SharedState& state);

// The model an identifier names: the first row whose text it contains, ignoring case.
QString modelForFirmware(const QString& firmwareId);

}  // namespace quillmark
