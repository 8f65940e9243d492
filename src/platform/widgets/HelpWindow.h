// The program's own help window: the HTML help, for machines without a CHM viewer.
#pragma once

#include <QTextBrowser>

namespace quillmark {

class HelpWindow final : public QTextBrowser {
    Q_OBJECT

public:
    // A top-level window owned by parent (the main window), never modal.
    explicit HelpWindow(QWidget* parent);

    // Opens the contents page; a missing page is explained in the window itself.
    void showContents(const QString& contentsPage);
};

}  // namespace quillmark
