// A pseudo-terminal pair standing in for the cable: the port opens the slave, the test is the
// module.
#pragma once

#include <QByteArray>
#include <QString>

#include <chrono>

namespace quillmark::test {

class PseudoTerminal final {
public:
    PseudoTerminal();
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    bool valid() const { return master_ >= 0 && slave_ >= 0; }
    QString slavePath() const { return slavePath_; }
    // A slave descriptor of our own: keeps the pair alive between opens and lets the test look
    // at the line's settings.
    int slaveFd() const { return slave_; }
    int masterFd() const { return master_; }

    // The cable pulled: the port's side is left with a line that fails every read and write.
    void hangUp();

    // What the module sends.
    void send(const QByteArray& bytes) const;
    // What the module received, up to `count` bytes or until the timeout.
    QByteArray receive(int count, std::chrono::milliseconds timeout) const;

private:
    int master_ = -1;
    int slave_ = -1;
    QString slavePath_;
};

}  // namespace quillmark::test
