// The version check end to end: the real TCP connection against HTTP server threads on
// 127.0.0.1 (host names of ".test" resolve to the loopback address), the two dialogs on the
// headless toolkit driven by the test, and fake time.
#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "engine/config/tcp_updater_connection.h"
#include "engine/config/updater.h"
#include "engine/config/version_check_dialogs.h"
#include "framework/core/core.h"
#include "framework/socket/lookup.h"
#include "platform/os/open_url.h"
#include "platform/window/headless_dialog_toolkit.h"
#include "tests/engine/config/http_test_server.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

using platform::window::DialogControlKind;
using platform::window::HeadlessDialogToolkit;
using Reply = HttpTestServer::Reply;

bool resolveTestNames(const char* name, uint32_t* address) {
    const std::string text = name;
    if (text.size() < 5 || text.compare(text.size() - 5, 5, ".test") != 0) return false;
    *address = 0x7F000001;
    return true;
}

std::string directRequest(const std::string& path, const std::string& host) {
    return "GET " + path + " HTTP/1.0\nHost: " + host + "\n\n";
}

const std::string kRequest = directRequest("/game/ver42.txt", "maker.test");

class VersionCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        pelInitialize();
        capture_.emplace();
        pelLookupSetResolver(&resolveTestNames);
        platform::os::setClock(&clock_);
        platform::os::setUrlOpener([this](const std::string& url) {
            openedUrls_.push_back(url);
            return true;
        });
        unsetenv("http_proxy");
    }
    void TearDown() override {
        connection_.reset();
        pelSocketFinalize();
        pelLookupSetResolver(nullptr);
        platform::os::setUrlOpener(nullptr);
        platform::os::setClock(nullptr);
        unsetenv("http_proxy");
        capture_.reset();
    }

    // One check, as the start-up runs it: both parts are closed afterwards.
    bool check(uint16_t port) {
        if (!connection_) connection_.emplace();
        Updater updater(*connection_, dialogs_);
        const bool goOn = updater.run(u"maker.test", port, u"game", 42, u"Short");
        connection_->close();
        dialogs_.closeProgress();
        return goOn;
    }
    static std::u16string lastMessage() {
        const auto& entries = ReportCapture::entries();
        return entries.empty() ? std::u16string() : entries.back().text;
    }
    static bool reported(const std::u16string& text) {
        for (const auto& entry : ReportCapture::entries())
            if (entry.text == text) return true;
        return false;
    }

    std::optional<ReportCapture> capture_;
    PacedClock clock_;
    HeadlessDialogToolkit toolkit_{16};
    VersionCheckDialogs dialogs_{toolkit_};
    std::optional<TcpUpdaterConnection> connection_;
    std::vector<std::string> openedUrls_;
};

TEST_F(VersionCheckTest, NewerVersionDialogLinkAndOk) {
    HttpTestServer server(
        {{"HTTP/1.0 200 OK\r\n\r\n"}, {"HTTP/1.0 200 OK\r\n\r\n"}, {"HTTP/1.0 200 OK\r\n\r\n"}});
    clock_.pace({&server});

    // The dialog over the progress dialog: its texts, the icon and the link; the link ends
    // the start and opens the home page.
    toolkit_.then([&](HeadlessDialogToolkit& t) {
        const auto window = t.modalWindow();
        EXPECT_EQ(t.windowTitle(window), u"Short");
        EXPECT_FALSE(t.windowEnabled(dialogs_.progressWindow()));
        EXPECT_NE(t.nth(window, DialogControlKind::Icon, 0), 0);
        EXPECT_NE(t.find(window, kNewerVersionText), 0);
        const auto link = t.nth(window, DialogControlKind::Link, 0);
        EXPECT_EQ(t.control(link)->text, u"Norvaneのホームページを開く");
        EXPECT_TRUE(t.click(link));
    });
    EXPECT_FALSE(check(server.port()));
    const std::string home = "http://maker.test:" + std::to_string(server.port()) + "/";
    EXPECT_EQ(openedUrls_, std::vector<std::string>{home});
    EXPECT_TRUE(reported(u"Message: [Updater::run] newer version is here!"));

    // "OK" goes on, and so does a dialog nobody answers (a headless run).
    toolkit_.then(
        [](HeadlessDialogToolkit& t) { EXPECT_TRUE(t.click(t.find(t.modalWindow(), u"OK"))); });
    EXPECT_TRUE(check(server.port()));
    EXPECT_TRUE(check(server.port()));
    EXPECT_EQ(openedUrls_.size(), 1u);
    EXPECT_EQ(server.requests(), std::vector<std::string>(3, kRequest));
    // Both dialogs are gone.
    EXPECT_TRUE(toolkit_.windows().empty());
}

TEST_F(VersionCheckTest, AnswersThatLetTheGameStart) {
    const struct {
        const char* name;
        std::string answer;
        std::u16string lastMessage;
    } cases[] = {
        {"latest", "HTTP/1.0 404 Not Found\r\n\r\n",
         u"Message: [Updater::run] this game is latest version"},
        {"unknown status", "HTTP/1.0 503 Busy\r\nServer: x\r\n\r\n",
         u"Message: [Updater::run] unknown return code: [HTTP/1.0 503 Busy]"},
        {"redirect without scheme", "HTTP/1.0 301 Moved\r\nLocation: /elsewhere\r\n\r\n",
         u"Message: [Updater::run] illigal format[Location: /elsewhere]"},
        // The status line is cut after 1024 bytes; its start still carries the status.
        {"line over 1024 bytes", "HTTP/1.0 404 " + std::string(3000, 'x') + "\r\n\r\n",
         u"Message: [Updater::run] this game is latest version"},
        {"closed mid-line", "HTTP/1.0 20",
         u"Message: [`anonymous-namespace'::recvLine] can't recv"},
        {"closed before a location", "HTTP/1.0 301 Moved\r\nServer: x\r\n",
         u"Message: [`anonymous-namespace'::recvLine] can't recv"},
        {"closed at once", "", u"Message: [`anonymous-namespace'::recvLine] can't recv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ReportCapture::entries().clear();
        HttpTestServer server({{c.answer}});
        clock_.pace({&server});
        EXPECT_TRUE(check(server.port()));
        EXPECT_EQ(lastMessage(), c.lastMessage);
        EXPECT_EQ(server.requests(), std::vector<std::string>{kRequest});
        EXPECT_TRUE(openedUrls_.empty());
    }
    // Nobody listening.
    clock_.pace({});
    ReportCapture::entries().clear();
    EXPECT_TRUE(check(refusingPort()));
    EXPECT_EQ(lastMessage(), u"Message: [Updater::run] can't connect");
}

TEST_F(VersionCheckTest, RedirectsOneAfterAnother) {
    HttpTestServer last({{"HTTP/1.0 404 Not Found\r\n\r\n"}});
    const std::string lastPort = std::to_string(last.port());
    // The first redirect names no port: the same server is asked again.
    HttpTestServer first({{"HTTP/1.0 301 Moved\r\nServer: x\r\n"
                           "location: http://mirror.test/a/ver42.txt\r\n\r\n"},
                          {"HTTP/1.0 301 Moved\r\nLOCATION: http://last.test:" + lastPort +
                           "/b/ver42.txt\r\n\r\n"}});
    clock_.pace({&first, &last});
    EXPECT_TRUE(check(first.port()));
    EXPECT_EQ(first.requests(),
              (std::vector<std::string>{kRequest, directRequest("/a/ver42.txt", "mirror.test")}));
    EXPECT_EQ(last.requests(),
              std::vector<std::string>{directRequest("/b/ver42.txt", "last.test")});
    EXPECT_EQ(lastMessage(), u"Message: [Updater::run] this game is latest version");
}

TEST_F(VersionCheckTest, ProxyAndItsDirectFallback) {
    HttpTestServer proxy({{"HTTP/1.0 404 Not Found\r\n\r\n"}});
    HttpTestServer maker({{"HTTP/1.0 404 Not Found\r\n\r\n"}});
    clock_.pace({&proxy, &maker});
    const std::string makerPort = std::to_string(maker.port());

    const std::string proxyPort = std::to_string(proxy.port());
    setenv("http_proxy", ("http://proxy.test:" + proxyPort + "/").c_str(), 1);
    EXPECT_TRUE(check(maker.port()));
    EXPECT_EQ(proxy.requests(), std::vector<std::string>{"GET http://maker.test:" + makerPort +
                                                         "/game/ver42.txt HTTP/1.0\n\n"});
    EXPECT_TRUE(reported(u"Message: [Updater::run] using proxy[proxy.test:" +
                         std::u16string(proxyPort.begin(), proxyPort.end()) + u"]"));
    EXPECT_TRUE(maker.requests().empty());

    // A refusing proxy: the same check goes to the server directly.
    ReportCapture::entries().clear();
    setenv("http_proxy", ("proxy.test:" + std::to_string(refusingPort())).c_str(), 1);
    EXPECT_TRUE(check(maker.port()));
    EXPECT_TRUE(reported(u"Message: [Updater::run] can't connect, try to connect directly"));
    EXPECT_EQ(maker.requests(), std::vector<std::string>{kRequest});
    EXPECT_EQ(lastMessage(), u"Message: [Updater::run] this game is latest version");
}

TEST_F(VersionCheckTest, SilentServerCancelAndCloseBox) {
    HttpTestServer server({{"", true}, {"", true}, {"", true}});
    clock_.pace({&server});

    // Nothing ever comes: the check gives up 5000 ms after it started.
    uint32_t start = clock_.milliseconds();
    EXPECT_TRUE(check(server.port()));
    EXPECT_EQ(clock_.milliseconds() - start, 5000u);
    EXPECT_EQ(lastMessage(), u"Message: [Updater::run] connected");

    // "キャンセル", and the progress dialog's close box, stop the check at the next pump step.
    for (bool closeBox : {false, true}) {
        SCOPED_TRACE(closeBox);
        const size_t requests = server.requests().size();
        std::function<void(HeadlessDialogToolkit&)> step = [&](HeadlessDialogToolkit& t) {
            // The player acts once the request has gone out.
            if (server.requests().size() == requests) {
                t.thenAtPump(step);
                return;
            }
            const auto progress = dialogs_.progressWindow();
            EXPECT_EQ(t.windowTitle(progress), u"最新バージョンの確認中");
            EXPECT_NE(t.find(progress, u"ゲームが最新バージョンかどうか確認中です"), 0);
            if (closeBox) {
                t.close(progress);
            } else {
                EXPECT_TRUE(t.click(t.find(progress, u"キャンセル")));
            }
        };
        toolkit_.thenAtPump(step);
        start = clock_.milliseconds();
        EXPECT_TRUE(check(server.port()));
        EXPECT_LT(clock_.milliseconds() - start, 5000u);
    }
    EXPECT_EQ(server.requests().size(), 3u);
}

}  // namespace
}  // namespace tessera::test
