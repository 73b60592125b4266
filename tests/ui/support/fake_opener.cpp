// Window test support: a stand-in xdg-open that records what the program asked to open.
#include "ui/support/fake_opener.h"

#include <QFile>
#include <QTest>

#include "platform/shell.h"

namespace millconv::test {

namespace {

// Opened after an action: once it has arrived, whatever the action opened has had its turn.
constexpr const char* kOpenSentinel = "sentinel:nothing-else";

QStringList SortedOpened(const FakeOpener& opener) {
    QStringList opened = opener.Opened();
    opened.sort();
    return opened;
}

} // namespace

FakeOpener::FakeOpener() : record_(folder_.filePath("opened.txt")), savedPath_(qgetenv("PATH")) {
    QFile script(folder_.filePath("xdg-open"));
    if (script.open(QIODevice::WriteOnly)) {
        script.write("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + record_.toLocal8Bit() + "'\n");
        script.close();
    }
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    qputenv("PATH", folder_.path().toLocal8Bit() + ":" + savedPath_);
}

FakeOpener::~FakeOpener() { qputenv("PATH", savedPath_); }

QStringList FakeOpener::Opened() const {
    QFile file(record_);
    if (!file.open(QIODevice::ReadOnly)) {
        return {};
    }
    return QString::fromUtf8(file.readAll()).split('\n', Qt::SkipEmptyParts);
}

void ExpectOpenedExactly(const FakeOpener& opener, QStringList expected) {
    OpenDocument(kOpenSentinel);
    expected << kOpenSentinel;
    expected.sort();
    QTRY_VERIFY_WITH_TIMEOUT(opener.Opened().contains(kOpenSentinel), 10000);
    QTRY_COMPARE_WITH_TIMEOUT(SortedOpened(opener), expected, 5000);
}

} // namespace millconv::test
