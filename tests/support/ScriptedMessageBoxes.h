// Message boxes answered from a script, remembering every box shown.
#pragma once

#include "platform/MessageBoxes.h"

#include <QList>
#include <QString>

#include <deque>
#include <functional>

namespace quillmark::test {

struct ShownBox {
    QString text;
    int style = 0;
    QString title;
};

class ScriptedMessageBoxes final : public MessageBoxes {
public:
    // Answers used in order; when they run out, defaultAnswer is given.
    std::deque<int> answers;
    int defaultAnswer = msg_answer::kAbort;
    QList<ShownBox> shown;
    // Runs while a box is "open", as the real modal box runs pending window events.
    std::function<void()> whileOpen;

    int show(const QString& text, int style, const QString& title) override {
        shown.append({text, style, title});
        if (whileOpen) {
            whileOpen();
        }
        if (answers.empty()) {
            return defaultAnswer;
        }
        const int answer = answers.front();
        answers.pop_front();
        return answer;
    }
    QStringList texts() const {
        QStringList all;
        for (const auto& box : shown) {
            all.append(box.text);
        }
        return all;
    }
};

}  // namespace quillmark::test
