// Opens the help file on its table of contents.
#pragma once

#include <QString>

namespace quillmark {

class HelpViewer {
public:
    virtual ~HelpViewer() = default;
    // Returns at once; the viewer lives on by itself.
    virtual void openContents(const QString& helpFilePath) = 0;
};

}  // namespace quillmark
