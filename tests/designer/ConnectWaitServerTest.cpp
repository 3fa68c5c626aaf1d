// Connecting from the designer to a database server (PostgreSQL or MariaDB)
// that does not answer: the window stays responsive, 取消 gives up at once,
// and otherwise the attempt fails when its timeout expires. The test server
// still connects.
#include "DesignerTestSupport.h"

#include "db/ConnectionString.h"

#include <QElapsedTimer>
#include <QListWidget>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

using namespace quillary;
using namespace quillary::test;

namespace {

// A port that takes connections and never says a word: the kernel accepts
// them into the queue of a socket nobody accepts from.
class TSilentServer {
public:
    TSilentServer() {
        m_fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof address;
        if (m_fd < 0 || ::bind(m_fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
            ::listen(m_fd, 16) != 0 ||
            ::getsockname(m_fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
            return;
        Port = ntohs(address.sin_port);
    }
    // Closing resets the waiting connections: an abandoned attempt ends.
    ~TSilentServer() {
        if (m_fd >= 0) ::close(m_fd);
    }
    TSilentServer(const TSilentServer&) = delete;
    TSilentServer& operator=(const TSilentServer&) = delete;
    int Port = 0;

private:
    int m_fd = -1;
};

QString SilentCsn(int port, int timeoutSeconds) {
    return QStringLiteral("Provider=%1;Persist Security Info=True;Data Source=127.0.0.1;"
                          "Port=%2;Initial Catalog=db;User ID=u;Password=p;Connect Timeout=%3")
        .arg(TestServer().Provider)
        .arg(port)
        .arg(timeoutSeconds);
}

// Far longer than any wait here: an attempt that gives up sooner was not
// waiting for it.
constexpr int kLongTimeoutSeconds = 120;

} // namespace

class ConnectWaitServerTest : public DesignerFormTest {};

TEST_F(ConnectWaitServerTest, CancelGivesUpAtOnceWithoutAMessage) {
    Open();
    const QString csn = dialog.GetCSN();
    TSilentServer silent;
    ASSERT_GT(silent.Port, 0);
    ui.CancelProgress();
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(form->ChangeCSN(SilentCsn(silent.Port, kLongTimeoutSeconds)), -1);
    EXPECT_LT(clock.elapsed(), kLongTimeoutSeconds * 1000 / 4);
    EXPECT_TRUE(dialog.ConnectCancelled);
    EXPECT_EQ(ui.Log().last().Kind, TScriptedUserInteraction::TKind::Progress);
    EXPECT_EQ(ui.Log().last().Text, "正在连接数据源…");
    EXPECT_EQ(dialog.GetCSN(), csn) << "the old connection stays";
    EXPECT_TRUE(dialog.GetConnected());

    // The same when the designer starts on such a server: it opens without
    // a connection, and without a message.
    TQuillaryDialog fresh;
    fresh.SetConnectionString(SilentCsn(silent.Port, kLongTimeoutSeconds));
    ui.CancelProgress();
    ExpectDesigner(ui, [](TFrm_Quillary& designer) {
        EXPECT_EQ(designer.QBTables->count(), 0);
        return int(mrCancel);
    });
    clock.restart();
    fresh.Execute();
    EXPECT_LT(clock.elapsed(), kLongTimeoutSeconds * 1000 / 4);
    EXPECT_TRUE(fresh.ConnectCancelled);
    EXPECT_FALSE(fresh.GetConnected());
}

TEST_F(ConnectWaitServerTest, WithoutCancelTheAttemptEndsWithItsTimeout) {
    Open();
    const QString csn = dialog.GetCSN();
    TSilentServer silent;
    ASSERT_GT(silent.Port, 0);
    ui.WatchProgress().AnswerMessage(mrOk);
    EXPECT_EQ(form->ChangeCSN(SilentCsn(silent.Port, 2)), -1);
    const QString shown = ui.Log().last().Text;
    EXPECT_TRUE(shown.startsWith(QStringLiteral("连接数据源失败!\r\n无法打开 %1 数据库“db”"
                                                "（服务器 127.0.0.1:%2）：\n")
                                     .arg(TestServer().Provider)
                                     .arg(silent.Port)))
        << shown.toStdString();
    // The server's own word for it follows.
    EXPECT_TRUE(shown.contains(ForServer("timeout expired", "handshake"))) << shown.toStdString();
    EXPECT_FALSE(dialog.ConnectCancelled);
    EXPECT_EQ(dialog.GetCSN(), csn);
}

TEST_F(ConnectWaitServerTest, AServerThatAnswersConnectsAsBefore) {
    RunOnTestServer("create table if not exists answered (id integer)");
    Open();
    TConnectionString server = TConnectionString::Parse(TestServer().ConnectionString());
    server.Set("Persist Security Info", "True");
    EXPECT_EQ(form->ChangeCSN(server.ToString()), 1);
    EXPECT_TRUE(dialog.GetConnected());
    EXPECT_FALSE(form->QBTables->findItems("answered", Qt::MatchExactly).isEmpty());
}
