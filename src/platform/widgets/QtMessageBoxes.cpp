// Message boxes shown with Qt's QMessageBox, decoding the classic style codes.
#include "platform/widgets/QtMessageBoxes.h"

#include <QApplication>
#include <QCloseEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>

#include <algorithm>
#include <array>
#include <optional>
#include <span>
#include <utility>
#include <vector>

namespace quillmark {

namespace {

enum class Button { Ok, Cancel, Abort, Retry, Ignore, Yes, No };

struct ButtonFace {
    Button button = Button::Ok;
    const char* caption = "";  // the ampersand marks the access key
    BoxAnswer answer = BoxAnswer::Ok;
};

// Captions with the access keys users know from these boxes (after the ampersand). OK needs
// none: Enter and Esc answer it.
constexpr std::array kFaces{
    ButtonFace{Button::Ok, "OK", BoxAnswer::Ok},
    ButtonFace{Button::Cancel, "&Cancel", BoxAnswer::Cancel},
    ButtonFace{Button::Abort, "&Abort", BoxAnswer::Abort},
    ButtonFace{Button::Retry, "&Retry", BoxAnswer::Retry},
    ButtonFace{Button::Ignore, "&Ignore", BoxAnswer::Ignore},
    ButtonFace{Button::Yes, "&Yes", BoxAnswer::Yes},
    ButtonFace{Button::No, "&No", BoxAnswer::No},
};

struct ButtonSet {
    std::array<Button, 3> buttons{};
    int count = 0;
    // What Esc and the close box answer; a set without Cancel cannot be dismissed that way
    // unless OK is its only button.
    std::optional<Button> escape;
};

// Indexed by the low four bits of the style code; buttons from left to right.
constexpr std::array kButtonSets{
    ButtonSet{{Button::Ok}, 1, Button::Ok},
    ButtonSet{{Button::Ok, Button::Cancel}, 2, Button::Cancel},
    ButtonSet{{Button::Abort, Button::Retry, Button::Ignore}, 3, std::nullopt},
    ButtonSet{{Button::Yes, Button::No, Button::Cancel}, 3, Button::Cancel},
    ButtonSet{{Button::Yes, Button::No}, 2, std::nullopt},
    ButtonSet{{Button::Retry, Button::Cancel}, 2, Button::Cancel},
};

// Indexed by bits 4 to 6 of the style code: 16 critical, 32 question, 48 exclamation,
// 64 information.
constexpr std::array kIcons{QMessageBox::NoIcon, QMessageBox::Critical, QMessageBox::Question,
                            QMessageBox::Warning, QMessageBox::Information};

// Above this share of the screen's height a text scrolls instead of stretching the box.
constexpr double kTallestTextShare = 0.6;

const ButtonSet& buttonSetOf(int style) {
    const auto index = static_cast<std::size_t>(style & 0x0F);
    return index < kButtonSets.size() ? kButtonSets[index] : kButtonSets.front();
}

QMessageBox::Icon iconOf(int style) {
    const auto index = static_cast<std::size_t>((style & 0x70) >> 4);
    return index < kIcons.size() ? kIcons[index] : QMessageBox::NoIcon;
}

const ButtonFace& faceOf(Button button) {
    for (const auto& face : kFaces) {
        if (face.button == button) {
            return face;
        }
    }
    return kFaces.front();
}

// QMessageBox's own label grows with its text without limit; a text taller than the screen
// allows goes into a read-only scrolling view in the label's place.
void scrollTallText(QMessageBox& box, const QString& text) {
    const QScreen* screen = box.screen();
    auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
    auto* grid = qobject_cast<QGridLayout*>(box.layout());
    if (screen == nullptr || label == nullptr || grid == nullptr) {
        return;
    }
    const QRect available = screen->availableGeometry();
    const int tallest = static_cast<int>(available.height() * kTallestTextShare);
    const QFontMetrics metrics(label->font());
    const QRect needed = metrics.boundingRect(QRect(0, 0, available.width() / 2, 0),
                                              Qt::TextWordWrap | Qt::TextExpandTabs, text);
    if (needed.height() <= tallest) {
        return;
    }
    int row = 0;
    int column = 0;
    int rowSpan = 0;
    int columnSpan = 0;
    grid->getItemPosition(grid->indexOf(label), &row, &column, &rowSpan, &columnSpan);
    auto* view = new QPlainTextEdit(text, &box);
    view->setObjectName(QStringLiteral("scrollingText"));
    view->setReadOnly(true);
    view->setFrameShape(QFrame::NoFrame);
    view->viewport()->setAutoFillBackground(false);
    view->setFixedSize(
        std::min(needed.width() + metrics.averageCharWidth() * 4, available.width() * 2 / 3),
        tallest);
    label->hide();
    grid->addWidget(view, row, column, rowSpan, columnSpan);
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

BoxAnswer QtMessageBoxes::show(const QString& text, BoxStyle boxStyle, const QString& title) {
    // The classic code's bits choose the buttons, the icon and the default button.
    const int style = static_cast<int>(boxStyle);
    const ButtonSet& set = buttonSetOf(style);
    const std::span buttons(set.buttons.data(), static_cast<std::size_t>(set.count));

    auto* box = new ClassicMessageBox(QApplication::activeWindow(), set.escape.has_value());
    // exec() deletes it on the way out, also when there is no window to own it.
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowTitle(title);
    const QString shownText = QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    box->setText(shownText);
    box->setTextFormat(Qt::PlainText);
    box->setIcon(iconOf(style));
    // One role for all keeps the buttons in the classic order; the platform's button layout
    // would otherwise sort them by role (Retry, Ignore, Abort).
    std::vector<std::pair<QPushButton*, Button>> added;
    for (const auto button : buttons) {
        auto* push = new QPushButton(QString::fromLatin1(faceOf(button).caption), box);
        box->addButton(push, QMessageBox::ActionRole);
        added.emplace_back(push, button);
        if (set.escape == button) {
            box->setEscapeButton(push);
        }
    }
    // Bits 8 and 9 pick the default button; the first one unless they say otherwise.
    const auto defaultIndex = static_cast<std::size_t>((style >> 8) & 0x3);
    box->setDefaultButton(added.at(defaultIndex < added.size() ? defaultIndex : 0).first);
    scrollTallText(*box, shownText);

    // The buttons go with the box when exec() returns, so the answer is taken at the click.
    std::optional<BoxAnswer> answer;
    QObject::connect(box, &QMessageBox::buttonClicked, box,
                     [&answer, &added](QAbstractButton* clicked) {
                         for (const auto& [push, button] : added) {
                             if (push == clicked) {
                                 answer = faceOf(button).answer;
                             }
                         }
                     });
    box->exec();
    if (answer) {
        return *answer;
    }
    // Esc or the close box of a box that allows them, or the box went away without a button
    // (its owner was destroyed while it was open).
    return faceOf(set.escape.value_or(buttons.front())).answer;
}

}  // namespace quillmark
