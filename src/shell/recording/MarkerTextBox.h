// The small box F9 opens while recording: it shows the marker's number and takes an optional
// short text. It is not modal, so the panel and the recording go on while it is open; Enter
// keeps what was typed, Escape (or closing it) leaves the marker without text.
#pragma once

#include <QDialog>

class QLineEdit;

namespace quillmark {

inline constexpr const char* kMarkerBoxTitle = "Add Marker";

class MarkerTextBox final : public QDialog {
    Q_OBJECT
public:
    MarkerTextBox(int number, QWidget* parent);

    int number() const { return number_; }
    QString text() const;

signals:
    // Once, with the text to keep (empty when skipped).
    void finished(int number, const QString& text);

protected:
    void done(int result) override;

private:
    int number_;
    QLineEdit* text_ = nullptr;
    bool told_ = false;
};

}  // namespace quillmark
