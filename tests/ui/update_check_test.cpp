// Update check against a local TCP server run in the test: request, bodies, limits, prompts.
#include <QtTest>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include <QProgressDialog>

#include "base/product.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "resources/update_check.h"
#include "settings/settings.h"
#include "ui/dialogs/help_commands.h"
#include "ui/dialogs/web_links.h"
#include "ui/support/fake_opener.h"
#include "ui/support/private_home.h"
#include "ui/support/scripted_prompter.h"

namespace {

using namespace millconv;
using namespace std::chrono_literals;
using Kind = ui::test::PrompterCall::Kind;

constexpr int64_t kDay = 24 * 60 * 60;

std::string Response(const std::string& body) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body;
}

// Binds the socket to a free port on 127.0.0.1 and returns the port.
uint16_t BindToLoopback(int fd) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    socklen_t length = sizeof(address);
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    return ntohs(address.sin_port);
}

// Accepts one connection on 127.0.0.1, reads the request and then answers with the reply,
// in pieces of chunkSize bytes when given; Silent and ReplyAndHold keep the connection open
// (after nothing or after the reply) until the client gives up.
class TestServer {
  public:
    enum class Mode { Reply, Silent, ReplyAndHold };

    explicit TestServer(std::string reply, Mode mode = Mode::Reply, size_t chunkSize = 0)
        : reply_(std::move(reply)), mode_(mode), chunkSize_(chunkSize) {
        listener_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        port_ = BindToLoopback(listener_);
        listen(listener_, 1);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TestServer() {
        Join();
        close(listener_);
    }

    uint16_t Port() const { return port_; }
    std::string Url() const {
        return "http://127.0.0.1:" + std::to_string(port_) + "/files/millconv.dat";
    }
    // The request as received; call after the client is done.
    std::string Request() {
        Join();
        return request_;
    }

  private:
    void Join() {
        if (thread_.joinable()) {
            thread_.join();
        }
    }

    void Serve() {
        // Never hang the suite when the client does not come.
        pollfd waiting{listener_, POLLIN, 0};
        if (poll(&waiting, 1, 20000) != 1) {
            return;
        }
        const int client = accept(listener_, nullptr, nullptr);
        if (client < 0) {
            return;
        }
        ReadRequest(client);
        if (mode_ != Mode::Silent) {
            SendReply(client);
        }
        if (mode_ != Mode::Reply) {
            // Hold the connection open until the client closes its end.
            char ignored[256];
            pollfd open{client, POLLIN, 0};
            while (poll(&open, 1, 20000) == 1 && recv(client, ignored, sizeof(ignored), 0) > 0) {
            }
        }
        close(client);
    }

    void ReadRequest(int client) {
        char piece[512];
        while (request_.find("\r\n\r\n") == std::string::npos) {
            pollfd ready{client, POLLIN, 0};
            if (poll(&ready, 1, 20000) != 1) {
                return;
            }
            const ssize_t received = recv(client, piece, sizeof(piece), 0);
            if (received <= 0) {
                return;
            }
            request_.append(piece, static_cast<size_t>(received));
        }
    }

    void SendReply(int client) {
        const int on = 1;
        setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &on, sizeof(on));
        const size_t step = chunkSize_ == 0 ? reply_.size() : chunkSize_;
        for (size_t at = 0; at < reply_.size(); at += step) {
            const std::string piece = reply_.substr(at, step);
            if (send(client, piece.data(), piece.size(), MSG_NOSIGNAL) < 0) {
                return;
            }
            if (chunkSize_ != 0) {
                // Spread the pieces out so the client sees them arrive one by one.
                std::this_thread::sleep_for(1ms);
            }
        }
    }

    std::string reply_;
    Mode mode_;
    size_t chunkSize_;
    int listener_ = -1;
    uint16_t port_ = 0;
    std::string request_;
    std::thread thread_;
};

// A port nobody listens on: bound and released again.
uint16_t RefusingPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const uint16_t port = BindToLoopback(fd);
    close(fd);
    return port;
}

} // namespace

class UpdateCheckTest : public QObject {
    Q_OBJECT

  public:
    static void initMain() { millconv::test::UsePrivateHome(); }

  private:
    void PointUpdateUrlAt(const TestServer& server) {
        qputenv(kUpdateUrlVariable, QByteArray::fromStdString(server.Url()));
    }

  private slots:
    void cleanup() { qunsetenv(kUpdateUrlVariable); }

    void UrlIsSplitIntoHostPathAndPort() {
        const auto plain = SplitUpdateUrl("http://www.pixelmill.example/files/millconv.dat");
        QVERIFY(plain.has_value());
        QCOMPARE(plain->host, std::string("www.pixelmill.example"));
        QCOMPARE(plain->path, std::string("/files/millconv.dat"));
        QCOMPARE(plain->port, uint16_t(80));

        const auto withPort = SplitUpdateUrl("http://127.0.0.1:8081");
        QVERIFY(withPort.has_value());
        QCOMPARE(withPort->host, std::string("127.0.0.1"));
        QCOMPARE(withPort->path, std::string("/"));
        QCOMPARE(withPort->port, uint16_t(8081));

        const auto ipv6 = SplitUpdateUrl("http://[::1]:9000/a");
        QVERIFY(ipv6.has_value());
        QCOMPARE(ipv6->host, std::string("[::1]"));
        QCOMPARE(ipv6->port, uint16_t(9000));

        QVERIFY(!SplitUpdateUrl("").has_value());
        QVERIFY(!SplitUpdateUrl("http:///files").has_value());
        QVERIFY(!SplitUpdateUrl("http://host:/files").has_value());
        QVERIFY(!SplitUpdateUrl("http://host:65536/files").has_value());
        QVERIFY(!SplitUpdateUrl("http://host:8o/files").has_value());
        QCOMPARE(SplitUpdateUrl("http://host:65535/")->port, uint16_t(65535));
    }

    void UpdateUrlComesFromTheEnvironmentWhenSet() {
        QCOMPARE(UpdateInfoUrl(), std::string(kDefaultUpdateInfoUrl));
        qputenv(kUpdateUrlVariable, "");
        QCOMPARE(UpdateInfoUrl(), std::string(kDefaultUpdateInfoUrl));
        qputenv(kUpdateUrlVariable, "http://127.0.0.1:1/x");
        QCOMPARE(UpdateInfoUrl(), std::string("http://127.0.0.1:1/x"));
    }

    void RequestIsSentByteForByte() {
        TestServer server(Response("291"));
        QCOMPARE(FetchUpdateInfo(server.Url(), AppTitle()), std::string("291"));
        QCOMPARE(server.Request(), std::string("GET /files/millconv.dat HTTP/1.0\r\n"
                                               "Host: 127.0.0.1\r\n"
                                               "Accept: */*\r\n"
                                               "User-Agent: Pixelmill PNG to TGA 2.9\r\n"
                                               "Connection: close\r\n\r\n"));
    }

    void EmptyUserAgentSendsTheFallback() {
        TestServer server(Response("291"));
        FetchUpdateInfo(server.Url(), "");
        QVERIFY(server.Request().find("User-Agent: Mozilla/4.0 (compatible; MSIE 6.0; "
                                      "Windows NT 5.1; en)\r\n") != std::string::npos);
    }

    void BodyIsTakenBetweenTheBlankLines() {
        QCOMPARE(UpdateInfoFromResponse("HTTP/1.0 200 OK\r\n\r\n  291\r\n\r\n999"),
                 std::string("291"));
        QCOMPARE(UpdateInfoFromResponse("X\r\n\r\n\t300 \n"), std::string("300"));
        QCOMPARE(UpdateInfoFromResponse("X\r\n\r\n2.9.1"), std::string("2.9"));
        QCOMPARE(UpdateInfoFromResponse(std::string_view("X\r\n\r\n2\0" "91", 8)),
                 std::string("2"));
        QCOMPARE(UpdateInfoFromResponse("no blank line 291"), std::string());
        QCOMPARE(UpdateInfoFromResponse("X\r\n\r\n \r\n"), std::string());
    }

    void VersionIsReadFromLeadingDigits() {
        QCOMPARE(VersionFromUpdateInfo("291"), 291);
        QCOMPARE(VersionFromUpdateInfo("2.9"), 2);
        QCOMPARE(VersionFromUpdateInfo("abc"), 0);
        QCOMPARE(VersionFromUpdateInfo(""), 0);
        QCOMPARE(VersionFromUpdateInfo("99999999999999"), VersionFromUpdateInfo("999999999"));
    }

    void SilentServerIsGivenUpAfterTheLimit() {
        TestServer server("", TestServer::Mode::Silent);
        const auto start = std::chrono::steady_clock::now();
        QCOMPARE(FetchUpdateInfo(server.Url(), AppTitle(), 300ms), std::string());
        const auto waited = std::chrono::steady_clock::now() - start;
        QVERIFY(waited >= 300ms);
        QVERIFY(waited < 5s);
    }

    void OneDeadlineCoversConnectingAndTheResponse() {
        // A full listen queue holds the connection back until the server makes room; the
        // server then says nothing. The time spent connecting counts against the same limit.
        const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        const uint16_t port = BindToLoopback(listener);
        listen(listener, 0);
        std::vector<int> fillers;
        for (int i = 0; i < 4; ++i) {
            const int filler = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
            sockaddr_in address{};
            address.sin_family = AF_INET;
            address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
            address.sin_port = htons(port);
            ::connect(filler, reinterpret_cast<sockaddr*>(&address), sizeof(address));
            fillers.push_back(filler);
        }
        std::vector<int> accepted;
        std::thread server([&] {
            std::this_thread::sleep_for(400ms);
            for (int i = 0; i < 8; ++i) {
                pollfd ready{listener, POLLIN, 0};
                if (poll(&ready, 1, 400) == 1) {
                    accepted.push_back(accept(listener, nullptr, nullptr));
                }
            }
        });
        const auto start = std::chrono::steady_clock::now();
        const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/x";
        QCOMPARE(FetchUpdateInfo(url, AppTitle(), 1500ms), std::string());
        const auto waited = std::chrono::steady_clock::now() - start;
        server.join();
        for (const int fd : fillers) {
            close(fd);
        }
        for (const int fd : accepted) {
            close(fd);
        }
        close(listener);
        QVERIFY(waited >= 1500ms);
        QVERIFY2(waited < 2300ms, "the limit started again after connecting");
    }

    void CancelEndsTheFetchAtOnce() {
        TestServer server("", TestServer::Mode::Silent);
        std::atomic<bool> cancel{false};
        std::thread canceller([&cancel] {
            std::this_thread::sleep_for(100ms);
            cancel = true;
        });
        const auto start = std::chrono::steady_clock::now();
        QCOMPARE(FetchUpdateInfo(server.Url(), AppTitle(), 10s, &cancel), std::string());
        canceller.join();
        QVERIFY(std::chrono::steady_clock::now() - start < 2s);
    }

    void ReplyCutOffByTheLimitKeepsNothing() {
        // Headers and the number arrive, but the server never closes: not a complete answer.
        TestServer stalled(Response("291"), TestServer::Mode::ReplyAndHold);
        QCOMPARE(FetchUpdateInfo(stalled.Url(), AppTitle(), 300ms), std::string());
    }

    void RefusedAndUnresolvableGiveNothing() {
        const std::string refused =
            "http://127.0.0.1:" + std::to_string(RefusingPort()) + "/files/millconv.dat";
        QCOMPARE(FetchUpdateInfo(refused, AppTitle()), std::string());
        // An empty label fails in the resolver itself, without asking a name server.
        QCOMPARE(FetchUpdateInfo("http://unresolvable..invalid/files/millconv.dat", AppTitle()),
                 std::string());
        QCOMPARE(FetchUpdateInfo("", AppTitle()), std::string());
    }

    void ResponseSizeLimitIsExact() {
        const std::string head = Response("291\r\n\r\n");
        const std::string atLimit = head + std::string(kUpdateResponseLimit - head.size(), 'x');
        TestServer fits(atLimit);
        QCOMPARE(FetchUpdateInfo(fits.Url(), AppTitle()), std::string("291"));

        TestServer tooLong(atLimit + "x");
        QCOMPARE(FetchUpdateInfo(tooLong.Url(), AppTitle()), std::string());
    }

    void ResponseSplitOverManySendsIsJoined() {
        // Long headers put the body well past one 2048-byte receive.
        std::string headers = "HTTP/1.0 200 OK\r\n";
        for (int i = 0; i < 100; ++i) {
            headers += "X-Padding-" + std::to_string(i) + ": " + std::string(40, 'p') + "\r\n";
        }
        TestServer server(headers + "\r\n 291 \n", TestServer::Mode::Reply, 97);
        QCOMPARE(FetchUpdateInfo(server.Url(), AppTitle()), std::string("291"));

        TestServer bytewise(Response("300"), TestServer::Mode::Reply, 1);
        QCOMPARE(FetchUpdateInfo(bytewise.Url(), AppTitle()), std::string("300"));
    }

    void CheckTellsTheResult_data() {
        QTest::addColumn<QString>("body");
        QTest::addColumn<bool>("answerYes");
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("opened");

        const QString noUpdate = "There is no update of Pixelmill PNG to TGA yet. You're using "
                                 "the most recent version.";
        const QString newUpdate = "A new version of Pixelmill PNG to TGA is available! Are you "
                                  "ready to download it right now?";
        const QString product = "https://www.pixelmill.example/millconv/";
        QTest::newRow("same version") << "290" << true << Kind::Information << "No Update"
                                      << noUpdate << QStringList{};
        QTest::newRow("older version") << "150" << true << Kind::Information << "No Update"
                                       << noUpdate << QStringList{};
        QTest::newRow("newer, yes") << "291" << true << Kind::Question << "New Update" << newUpdate
                                    << QStringList{product};
        QTest::newRow("newer, no") << "291" << false << Kind::Question << "New Update" << newUpdate
                                   << QStringList{};
        QTest::newRow("blanks around") << " 300 \n" << true << Kind::Question << "New Update"
                                       << newUpdate << QStringList{product};
        QTest::newRow("dotted version") << "2.9.1" << true << Kind::Information << "No Update"
                                        << noUpdate << QStringList{};
        QTest::newRow("letters") << "abc" << true << Kind::Error << "Error"
                                 << "Internet connection problems!" << QStringList{};
        QTest::newRow("empty body") << "" << true << Kind::Error << "Error"
                                    << "Internet connection problems!" << QStringList{};
    }

    void CheckTellsTheResult() {
        QFETCH(QString, body);
        QFETCH(bool, answerYes);
        QFETCH(Kind, kind);
        QFETCH(QString, title);
        QFETCH(QString, text);
        QFETCH(QStringList, opened);

        test::FakeOpener opener;
        ui::test::ScriptedPrompter prompter;
        prompter.answers.push_back(answerYes);
        TestServer server(Response(body.toStdString()));
        PointUpdateUrlAt(server);
        gSettings.general.updateDate = 12345;

        ui::CheckForUpdate(nullptr);

        QCOMPARE(int(prompter.Calls().size()), 1);
        QCOMPARE(prompter.Calls()[0].kind, kind);
        QCOMPARE(prompter.Calls()[0].title, title);
        QCOMPARE(prompter.Calls()[0].text, text);
        // The wait cursor is gone before the result is shown.
        QVERIFY(!prompter.Calls()[0].waitCursor);
        QVERIFY(QApplication::overrideCursor() == nullptr);
        // A manual check leaves the date of the automatic one alone.
        QCOMPARE(gSettings.general.updateDate, 12345);
        QVERIFY(server.Request().find("User-Agent: Pixelmill PNG to TGA 2.9\r\n") !=
                std::string::npos);

        test::ExpectOpenedExactly(opener, opened);
    }

    void CheckKeepsTheWindowResponsiveUntilCancelled() {
        // The server never answers; the window's timers keep running meanwhile, and Cancel
        // in the busy dialog ends the check without a message.
        TestServer server("", TestServer::Mode::Silent);
        PointUpdateUrlAt(server);
        ui::test::ScriptedPrompter prompter;
        QWidget window;
        window.show();
        int ticks = 0;
        QTimer ticker;
        connect(&ticker, &QTimer::timeout, [&ticks] { ++ticks; });
        ticker.start(10);
        bool cancelled = false;
        QTimer::singleShot(400, [&cancelled] {
            for (QWidget* widget : QApplication::topLevelWidgets()) {
                if (auto* busy = qobject_cast<QProgressDialog*>(widget);
                    busy && busy->isVisible()) {
                    busy->cancel();
                    cancelled = true;
                }
            }
        });
        const auto start = std::chrono::steady_clock::now();
        ui::CheckForUpdate(&window);
        QVERIFY(cancelled);
        QVERIFY(std::chrono::steady_clock::now() - start < 5s);
        QVERIFY2(ticks >= 10, qPrintable(QString::number(ticks)));
        QCOMPARE(int(prompter.Calls().size()), 0);
    }

    void UnreachableServerShowsConnectionProblems() {
        ui::test::ScriptedPrompter prompter;
        qputenv(kUpdateUrlVariable,
                QByteArray("http://127.0.0.1:") + QByteArray::number(RefusingPort()) + "/x");
        ui::CheckForUpdate(nullptr);
        QCOMPARE(int(prompter.Calls().size()), 1);
        QCOMPARE(prompter.Calls()[0].text, QString("Internet connection problems!"));
    }

    void IntervalTable_data() {
        QTest::addColumn<int>("range");
        QTest::addColumn<int>("days");
        QTest::newRow("daily") << 0 << 1;
        QTest::newRow("weekly") << 1 << 7;
        QTest::newRow("monthly") << 2 << 30;
        QTest::newRow("quarterly") << 3 << 90;
        QTest::newRow("half-yearly") << 4 << 180;
        QTest::newRow("unknown high") << 6 << 30;
        QTest::newRow("unknown negative") << -1 << 30;
    }

    void IntervalTable() {
        QFETCH(int, range);
        QFETCH(int, days);
        const int64_t now = 1700000000;
        QVERIFY(!UpdateCheckDue(range, now - days * kDay, now));
        QVERIFY(UpdateCheckDue(range, now - days * kDay - 1, now));
    }

    void NeverRangeNeverFallsDue() {
        QVERIFY(!UpdateIntervalDays(kUpdateRangeNever).has_value());
        QVERIFY(!UpdateCheckDue(kUpdateRangeNever, 0, 1700000000));
    }

    void AutomaticCheckWaitsForTheInterval() {
        ui::test::ScriptedPrompter prompter;
        gSettings.general.updateRange = 2;
        const int32_t recent = static_cast<int32_t>(DateValueNow() - 29 * kDay);
        gSettings.general.updateDate = recent;
        ui::AutoUpdateCheck(nullptr);
        QVERIFY(prompter.Calls().empty());
        QCOMPARE(gSettings.general.updateDate, recent);
    }

    void AutomaticCheckDeclinedStillRecordsTheDate() {
        ui::test::ScriptedPrompter prompter;
        prompter.answers.push_back(false);
        gSettings.general.updateRange = 2;
        gSettings.general.updateDate = static_cast<int32_t>(DateValueNow() - 31 * kDay);
        const int64_t before = DateValueNow();
        ui::AutoUpdateCheck(nullptr);
        QCOMPARE(int(prompter.Calls().size()), 1);
        QCOMPARE(prompter.Calls()[0].title, QString("Check for Updates"));
        QCOMPARE(prompter.Calls()[0].text, QString("Do you want to check for updates?"));
        QVERIFY(gSettings.general.updateDate >= before);
        QVERIFY(gSettings.general.updateDate <= DateValueNow());

        // The next start asks nothing.
        ui::AutoUpdateCheck(nullptr);
        QCOMPARE(int(prompter.Calls().size()), 1);
    }

    void AutomaticCheckAcceptedRunsTheCheck() {
        ui::test::ScriptedPrompter prompter;
        prompter.answers.push_back(true);
        TestServer server(Response("290"));
        PointUpdateUrlAt(server);
        gSettings.general.updateRange = 0;
        gSettings.general.updateDate = static_cast<int32_t>(DateValueNow() - 2 * kDay);
        ui::AutoUpdateCheck(nullptr);
        QCOMPARE(int(prompter.Calls().size()), 2);
        QCOMPARE(prompter.Calls()[1].title, QString("No Update"));
        QVERIFY(gSettings.general.updateDate >= DateValueNow() - 60);
    }

    void NeverRangeAsksNothingButTheMenuStillChecks() {
        ui::test::ScriptedPrompter prompter;
        gSettings.general.updateRange = kUpdateRangeNever;
        gSettings.general.updateDate = 0;
        ui::AutoUpdateCheck(nullptr);
        QVERIFY(prompter.Calls().empty());
        QCOMPARE(gSettings.general.updateDate, 0);

        TestServer server(Response("290"));
        PointUpdateUrlAt(server);
        ui::CheckForUpdate(nullptr);
        QCOMPARE(int(prompter.Calls().size()), 1);
        QCOMPARE(prompter.Calls()[0].title, QString("No Update"));
    }
};

QTEST_MAIN(UpdateCheckTest)
#include "update_check_test.moc"
