// The running window's side of the hand-over: files opened with the program while it runs.
#pragma once

#include <QObject>
#include <QString>

class QLocalServer;
class QLocalSocket;

namespace millconv::ui {

class MainWindow;

// Listens on the per-user socket for paths a second start hands over; each one is taken as a
// drop on the window, which then comes to the front. While a modal dialog is open the window
// takes no drop, so the sender is told the file was not taken.
class HandOverServer : public QObject {
    Q_OBJECT

  public:
    explicit HandOverServer(MainWindow& window);
    ~HandOverServer() override;

    // Starts listening on socketPath; a socket file left there by a window that died is
    // replaced (the caller holds the instance lock, so no live window listens on it). False
    // when the socket cannot be made.
    bool Listen(const QString& socketPath);

  private:
    void Serve(QLocalSocket* client);

    MainWindow& window_;
    QLocalServer* server_;
};

} // namespace millconv::ui
