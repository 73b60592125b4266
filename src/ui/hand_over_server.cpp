// The running window's side of the hand-over, on Qt's local server.
#include "ui/hand_over_server.h"

#include <QApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QTimer>

#include <climits>

#include "platform/hand_over.h"
#include "ui/main_window.h"

namespace millconv::ui {

namespace {

// A client that sends no complete path in this time, or more than a path can hold, is
// dropped: it must not hold a connection open for good.
constexpr int kClientLimitMs = 5000;
constexpr qint64 kLongestMessage = PATH_MAX + 1;

} // namespace

HandOverServer::HandOverServer(MainWindow& window)
    : window_(window), server_(new QLocalServer(this)) {
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* client = server_->nextPendingConnection()) {
            Serve(client);
        }
    });
}

HandOverServer::~HandOverServer() { server_->close(); }

bool HandOverServer::Listen(const QString& socketPath) {
    if (socketPath.isEmpty()) {
        return false;
    }
    QLocalServer::removeServer(socketPath);
    return server_->listen(socketPath);
}

void HandOverServer::Serve(QLocalSocket* client) {
    connect(client, &QLocalSocket::disconnected, client, &QObject::deleteLater);
    QTimer::singleShot(kClientLimitMs, client, [client] { client->abort(); });
    connect(client, &QLocalSocket::readyRead, this, [this, client] {
        const QByteArray received = client->peek(kLongestMessage);
        const qsizetype end = received.indexOf('\0');
        if (end < 0) {
            if (received.size() >= kLongestMessage) {
                client->abort();
            }
            return;
        }
        client->read(end + 1);
        const QString path = QString::fromLocal8Bit(received.left(end));
        const bool free = QApplication::activeModalWidget() == nullptr;
        if (free) {
            window_.AcceptDroppedFile(path);
            if (window_.isMinimized()) {
                window_.showNormal();
            }
            window_.raise();
            window_.activateWindow();
        }
        client->write(QByteArray(1, free ? kHandOverTaken : '0'));
        client->disconnectFromServer();
    });
}

} // namespace millconv::ui
