// Keeps two link conversations from interleaving. Transactions yield to window events while
// they pause or wait for text, and a polling tick or a real-time open that started there would
// send its commands into the middle of another answer.
#pragma once

#include <functional>

namespace quillmark {

class LinkActivity {
public:
    class Hold {
    public:
        explicit Hold(LinkActivity& activity) : activity_(activity) { ++activity_.depth_; }
        ~Hold() { --activity_.depth_; }
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;

    private:
        LinkActivity& activity_;
    };

    bool busy() const { return depth_ > 0; }

    // Keeps one operation to start once the link is free; a later request replaces it.
    void deferUntilIdle(std::function<void()> operation) { deferred_ = std::move(operation); }
    // A close chosen after the request makes the waiting open moot: the user's last word wins.
    void cancelDeferred() { deferred_ = nullptr; }
    // Called by the outermost operations when they have finished.
    void runDeferred() {
        if (busy() || !deferred_) {
            return;
        }
        auto operation = std::move(deferred_);
        deferred_ = nullptr;
        operation();
    }

private:
    int depth_ = 0;
    std::function<void()> deferred_;
};

}  // namespace quillmark
