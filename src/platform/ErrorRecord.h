// The error record every failing step raises: number, source and the text the user sees.
#pragma once

#include <QString>

#include <cstdint>
#include <exception>

namespace quillmark {

struct ErrorRecord {
    std::uint32_t number = 0;
    QString source;
    QString description;
};

// The link's own errors: the user-defined error base 0x80040000 plus 1000.
inline constexpr std::uint32_t kCommErrorNumber = 0x800403E8u;
inline const char* const kCommErrorSource = "Comm Error";

// Platform failures that are not the link's own carry this number (a generic run-time error).
inline constexpr std::uint32_t kPlatformErrorNumber = 0x80004005u;

// Thrown by a failing step; the error trap of the procedure that runs the step catches it.
class RaisedError final : public std::exception {
public:
    explicit RaisedError(ErrorRecord record) : record_(std::move(record)) {}
    static RaisedError platform(const QString& source, const QString& description) {
        return RaisedError({kPlatformErrorNumber, source, description});
    }
    static RaisedError comm(const QString& description) {
        return RaisedError({kCommErrorNumber, QString::fromLatin1(kCommErrorSource), description});
    }
    const ErrorRecord& record() const { return record_; }
    const char* what() const noexcept override { return "quillmark::RaisedError"; }

private:
    ErrorRecord record_;
};

}  // namespace quillmark
