// The splash window's controls as its load drives them.
#pragma once

#include <QString>

namespace quillmark {

class SplashWindowControls {
public:
    virtual ~SplashWindowControls() = default;
    virtual void setCompanyCaption(const QString& caption) = 0;  // lblCompanyName
    virtual void setCompanyFontName(const QString& face) = 0;
    virtual void setCompanyFontSize(double points) = 0;
    virtual void setCompanyFontBold(bool bold) = 0;
    virtual void setCompanyFontItalic(bool italic) = 0;
    // imgLogo; throws RaisedError naming the file when it is missing or not a picture.
    virtual void loadLogo(const QString& path) = 0;
    virtual void setApplicationTitle(const QString& title) = 0;
    // Closes the window; harmless before it is shown and when called twice.
    virtual void unload() = 0;
};

}  // namespace quillmark
