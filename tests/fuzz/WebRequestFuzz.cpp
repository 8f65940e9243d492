// The dashboard's reading of what a client sends: the request path, and the token in a Bearer
// header or a cookie. Whatever the bytes, a path reaches only a plain recording name or one of
// the page's own files, and a token matches only itself.
#include "FuzzRequire.h"
#include "network/http/AccessToken.h"
#include "network/http/RecordingList.h"
#include "network/http/WebRoute.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace quillmark;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using fuzz::require;
    FuzzedDataProvider input(data, size);
    const std::string first = input.ConsumeRandomLengthString(8192);
    const std::string second = input.ConsumeRemainingBytesAsString();
    const QByteArray path(first.data(), qsizetype(first.size()));
    const QByteArray header(second.data(), qsizetype(second.size()));

    const WebRoute route = parseRoute(path);
    if (route.resource == WebResource::Recording || route.resource == WebResource::RecordingChart) {
        require(isRecordingName(route.name));
        require(!route.name.contains(u'/') && !route.name.contains(u'\\') &&
                    !route.name.startsWith(u'.') && route.name.toUtf8().size() <= kMaxFileNameBytes);
    }
    if (route.resource == WebResource::Asset) {
        require(!route.name.contains(u'/') && !route.name.startsWith(u'.'));
    }

    const QByteArray bearer = bearerToken(header);
    const QByteArray cookie = cookieToken(header);
    require(header.contains(bearer) && header.contains(cookie));
    require(!sameToken(bearer, QByteArray()));
    require(sameToken(path, path) == (!path.isEmpty() && path.size() <= kMaxTokenLength));
    if (!path.isEmpty() && path.size() <= kMaxTokenLength) {
        require(sameToken(header, path) == (header == path));
    }
    return 0;
}
