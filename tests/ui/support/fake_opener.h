// Window test support: a stand-in xdg-open that records what the program asked to open.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

namespace millconv::test {

// A fake xdg-open first on PATH for its lifetime; it appends each target to a record file.
class FakeOpener {
  public:
    FakeOpener();
    ~FakeOpener();
    FakeOpener(const FakeOpener&) = delete;
    FakeOpener& operator=(const FakeOpener&) = delete;

    // The targets opened so far, in the order the openers wrote them.
    QStringList Opened() const;

  private:
    QTemporaryDir folder_;
    QString record_;
    QByteArray savedPath_;
};

// Checks the opener saw exactly expected and nothing more. Detached openers finish in any
// order, so the lists are compared sorted, after a sentinel opened last has arrived.
void ExpectOpenedExactly(const FakeOpener& opener, QStringList expected);

} // namespace millconv::test
