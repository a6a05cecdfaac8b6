// SPDX-License-Identifier: MIT
#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <map>
#include <memory>

// Real X clients for the tests: xclip, xdotool and the clipboard helper.
// Every wait spins the event loop, since the X clients may be asking this
// very process (which may own the clipboard) for data.
namespace X11TestTools {

struct Run {
    int exitCode = -1;
    QByteArray output;
};

// Runs a program to its end (at most `timeoutMs`), feeding it `input`.
Run run(const QString& program, const QStringList& arguments, const QByteArray& input = {},
    int timeoutMs = 10000);

// The targets of a selection ("clipboard", "primary") as xclip lists them.
QStringList targets(const QString& selection = QStringLiteral("clipboard"));

// Every target except the meta ones (TARGETS, MULTIPLE, TIMESTAMP,
// SAVE_TARGETS) and the server pixmaps (PIXMAP, BITMAP: ids that die with
// their owner), in the owner's order, with the bytes xclip reads for it.
using Formats = std::vector<std::pair<QString, QByteArray>>;
Formats formats(const QString& selection = QStringLiteral("clipboard"));

// The window that owns a selection ("PRIMARY", "CLIPBOARD"), 0 for none.
unsigned long owner(const char* selection);
// Leaves the selection without an owner.
void clear(const char* selection);

// Gives the window the keyboard focus (there is no window manager).
void focus(unsigned long window);

// A long-running X client whose standard output the test reads.
class Client {
public:
    Client(const QString& program, const QStringList& arguments);
    ~Client();

    // Waits for the "ready <window>" line of the clipboard helper.
    unsigned long waitReady(int timeoutMs = 10000);
    // Whether a line equal to `line` has been printed (reading what arrived).
    bool printed(const QByteArray& line);
    bool waitPrinted(const QByteArray& line, int timeoutMs);
    QProcess& process() { return *m_process; }
    qint64 pid() const { return m_process->processId(); }

private:
    void readLines();

    std::unique_ptr<QProcess> m_process;
    QList<QByteArray> m_lines;
};

// The clipboard helper built with the tests.
std::unique_ptr<Client> helper(const QStringList& arguments);

// An xclip that owns the selection with `text` until it is killed; it runs
// in the foreground, so it can be stopped to play a hung owner.
std::unique_ptr<Client> xclipOwner(const char* selection, const QByteArray& text);

} // namespace X11TestTools
