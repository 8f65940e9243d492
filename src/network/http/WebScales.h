// The gauges' scales for the web page, as a JavaScript module made from the same tables the
// window draws from: each bar gauge's segments, ticks, bands and label, the dial's sweep and
// zones, each model's tachometer, and which live key each gauge shows.
#pragma once

#include <QByteArray>

namespace quillmark {

QByteArray scalesModule();

}  // namespace quillmark
