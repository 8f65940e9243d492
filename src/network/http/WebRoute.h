// What a request's path asks for. The path is taken as the client sent it, still
// percent-encoded, and each segment decoded on its own, so an encoded slash or dot-dot is part
// of a name (and no recording is called that), never a step between folders.
#pragma once

#include <QByteArrayView>
#include <QString>

namespace quillmark {

enum class WebResource {
    Page,            // GET /
    Asset,           // GET /NAME of the page's scripts and style
    Status,          // GET /api/status
    Live,            // GET /api/live, a WebSocket
    Recordings,      // GET /api/recordings
    Recording,       // GET /api/recordings/NAME
    RecordingChart,  // GET /api/recordings/NAME/chart
    Marker,          // POST /api/marker
    Unknown,
};

struct WebRoute {
    WebResource resource = WebResource::Unknown;
    QString name;  // the asset's or the recording's; checked only for its form
};

WebRoute parseRoute(QByteArrayView encodedPath);

}  // namespace quillmark
