// Message boxes shown with Qt's QMessageBox, decoding the classic style codes.
#include "platform/QtMessageBoxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QMessageBox>

#include <array>
#include <span>

namespace quillmark {

namespace {

struct ButtonAnswer {
    QMessageBox::StandardButton button = QMessageBox::NoButton;
    int answer = 0;
};

constexpr std::array kAnswers{
    ButtonAnswer{QMessageBox::Ok, msg_answer::kOk},
    ButtonAnswer{QMessageBox::Cancel, msg_answer::kCancel},
    ButtonAnswer{QMessageBox::Abort, msg_answer::kAbort},
    ButtonAnswer{QMessageBox::Retry, msg_answer::kRetry},
    ButtonAnswer{QMessageBox::Ignore, msg_answer::kIgnore},
    ButtonAnswer{QMessageBox::Yes, 6},
    ButtonAnswer{QMessageBox::No, 7},
};

struct ButtonSet {
    std::array<QMessageBox::StandardButton, 3> buttons{};
    int count = 0;
    // What Esc and the close box answer; a set without Cancel cannot be dismissed that way
    // unless OK is its only button.
    QMessageBox::StandardButton escape = QMessageBox::NoButton;
};

// Indexed by the low four bits of the style code.
constexpr std::array kButtonSets{
    ButtonSet{{QMessageBox::Ok}, 1, QMessageBox::Ok},
    ButtonSet{{QMessageBox::Ok, QMessageBox::Cancel}, 2, QMessageBox::Cancel},
    ButtonSet{
        {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}, 3, QMessageBox::NoButton},
    ButtonSet{{QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel}, 3, QMessageBox::Cancel},
    ButtonSet{{QMessageBox::Yes, QMessageBox::No}, 2, QMessageBox::NoButton},
    ButtonSet{{QMessageBox::Retry, QMessageBox::Cancel}, 2, QMessageBox::Cancel},
};

// Indexed by bits 4 to 6 of the style code: 16 critical, 32 question, 48 exclamation,
// 64 information.
constexpr std::array kIcons{QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Question,
                            QMessageBox::Warning, QMessageBox::Information};

const ButtonSet& buttonSetOf(int style) {
    const auto index = static_cast<std::size_t>(style & 0x0F);
    return index < kButtonSets.size() ? kButtonSets[index] : kButtonSets.front();
}

QMessageBox::Icon iconOf(int style) {
    const auto index = static_cast<std::size_t>((style & 0x70) >> 4);
    return index < kIcons.size() ? kIcons[index] : QMessageBox::NoIcon;
}

int answerOf(QMessageBox::StandardButton button) {
    for (const auto& entry : kAnswers) {
        if (entry.button == button) {
            return entry.answer;
        }
    }
    return 0;
}

// QMessageBox lets Esc press an Abort button; a box that offers no way out but its buttons
// swallows Esc and refuses the close box instead.
class ClassicMessageBox final : public QMessageBox {
public:
    ClassicMessageBox(QWidget* parent, bool escapable)
        : QMessageBox(parent), escapable_(escapable) {}

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (!escapable_ && event->matches(QKeySequence::Cancel)) {
            event->accept();
            return;
        }
        QMessageBox::keyPressEvent(event);
    }
    void closeEvent(QCloseEvent* event) override {
        if (!escapable_) {
            event->ignore();
            return;
        }
        QMessageBox::closeEvent(event);
    }

private:
    bool escapable_ = true;
};

}  // namespace

int QtMessageBoxes::show(const QString& text, int style, const QString& title) {
    const ButtonSet& set = buttonSetOf(style);
    const std::span buttons(set.buttons.data(), static_cast<std::size_t>(set.count));

    auto* box =
        new ClassicMessageBox(QApplication::activeWindow(), set.escape != QMessageBox::NoButton);
    // exec() deletes it on the way out, also when there is no window to own it.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    box->setText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    box->setTextFormat(Qt::PlainText);
    box->setIcon(iconOf(style));
    for (const auto button : buttons) {
        box->addButton(button);
    }
    // Bits 8 and 9 pick the default button; the first one unless they say otherwise.
    const auto defaultIndex = static_cast<std::size_t>((style >> 8) & 0x3);
    box->setDefaultButton(buttons[defaultIndex < buttons.size() ? defaultIndex : 0]);
    if (set.escape != QMessageBox::NoButton) {
        box->setEscapeButton(set.escape);
    }

    const int answer = answerOf(static_cast<QMessageBox::StandardButton>(box->exec()));
    if (answer != 0) {
        return answer;
    }
    // The box went away without a button (its owner was destroyed while it was open).
    return answerOf(set.escape != QMessageBox::NoButton ? set.escape : buttons.front());
}

}  // namespace quillmark
