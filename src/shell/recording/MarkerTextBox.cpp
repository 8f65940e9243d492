#include "shell/recording/MarkerTextBox.h"

#include "recording/RecordingRow.h"

#include <QBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace quillmark {

MarkerTextBox::MarkerTextBox(int number, QWidget* parent) : QDialog(parent), number_(number) {
    setObjectName(QStringLiteral("frmMarker"));
    setWindowTitle(QString::fromLatin1(kMarkerBoxTitle));
    setAttribute(Qt::WA_DeleteOnClose);
    auto* layout = new QVBoxLayout(this);
    auto* caption = new QLabel(
        QStringLiteral("Marker %1 is set. Type a short note and press Enter, or press Escape "
                       "to keep it without one.")
            .arg(number),
        this);
    caption->setWordWrap(true);
    text_ = new QLineEdit(this);
    text_->setObjectName(QStringLiteral("txtMarker"));
    text_->setMaxLength(static_cast<int>(kMaxMarkerText));
    layout->addWidget(caption);
    layout->addWidget(text_);
    connect(text_, &QLineEdit::returnPressed, this, &QDialog::accept);
}

QString MarkerTextBox::text() const {
    return text_->text();
}

void MarkerTextBox::done(int result) {
    if (!told_) {
        told_ = true;
        emit finished(number_, result == QDialog::Accepted ? text() : QString());
    }
    QDialog::done(result);
}

}  // namespace quillmark
