#include "engine/config/updater.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/os/clock.h"
#include "platform/os/open_url.h"
#include "tests/engine/config/updater_fakes.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest() {
        platform::os::setClock(&clock_);
        platform::os::setUrlOpener([this](const std::string& url) {
            openedUrls_.push_back(url);
            return true;
        });
        unsetenv("http_proxy");
    }
    ~UpdaterTest() override {
        platform::os::setClock(nullptr);
        platform::os::setUrlOpener(nullptr);
        unsetenv("http_proxy");
    }

    bool run() {
        Updater updater(network_, dialogs_);
        return updater.run(u"maker.test", 8000, u"game", 42, u"Short");
    }
    std::vector<std::u16string> texts() const {
        std::vector<std::u16string> out;
        for (const auto& entry : ReportCapture::entries()) {
            EXPECT_EQ(entry.level, PEL_REPORT_MESSAGE);
            out.push_back(entry.text);
        }
        return out;
    }

    platform::os::ManualClock clock_;
    FakeConnection network_;
    FakeDialogs dialogs_;
    std::vector<std::string> openedUrls_;
    ReportCapture capture_;
};

const std::string kDirectRequest = "GET /game/ver42.txt HTTP/1.0\nHost: maker.test\n\n";

TEST_F(UpdaterTest, NewerVersionDialogAndItsLink) {
    network_.peers["maker.test:8000"].answer = "HTTP/1.0 200 OK\r\n\r\n";
    EXPECT_TRUE(run());  // "OK" goes on
    EXPECT_EQ(dialogs_.newerVersionTitle, u"Short");
    EXPECT_TRUE(openedUrls_.empty());
    EXPECT_EQ(network_.requests, std::vector<std::string>{kDirectRequest});
    EXPECT_EQ(texts(),
              (std::vector<std::u16string>{u"Message: [Updater::run] connected",
                                           u"Message: [Updater::run] newer version is here!"}));

    dialogs_.answer = UpdaterDialogs::Answer::Link;
    EXPECT_FALSE(run());
    EXPECT_EQ(openedUrls_, std::vector<std::string>{"http://maker.test:8000/"});
    EXPECT_EQ(updaterHomePage(u"maker.test", 80), u"http://maker.test/");
}

TEST_F(UpdaterTest, StatusOutcomes) {
    const struct {
        std::string answer;
        std::u16string lastMessage;
    } cases[] = {
        {"HTTP/1.0 404 Not Found\r\n\r\n", u"Message: [Updater::run] this game is latest version"},
        {"HTTP/1.0 500 Oops\r\n\r\n",
         u"Message: [Updater::run] unknown return code: [HTTP/1.0 500 Oops]"},
        {"HTTP/1.0 301 Moved\r\nLocation: /nowhere\r\n",
         u"Message: [Updater::run] illigal format[Location: /nowhere]"},
        {"HTTP/1.0 20", u"Message: [`anonymous-namespace'::recvLine] can't recv"},
        {"HTTP/1.0 301 Moved\r\nServer: x\r\n",
         u"Message: [`anonymous-namespace'::recvLine] can't recv"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.answer);
        ReportCapture::entries().clear();
        network_.peers["maker.test:8000"].answer = c.answer;
        EXPECT_TRUE(run());
        EXPECT_EQ(texts().back(), c.lastMessage);
        EXPECT_TRUE(dialogs_.newerVersionTitle.empty());
    }
}

TEST_F(UpdaterTest, RedirectsKeepThePortWhenNoneIsNamed) {
    network_.peers["maker.test:8000"].answer =
        "HTTP/1.0 301 Moved\r\nServer: x\r\nlocation: http://mirror.test/a/ver42.txt\r\n\r\n";
    network_.peers["mirror.test:8000"].answer =
        "HTTP/1.0 301 Moved\r\nLOCATION: http://last.test:9000/b/ver42.txt\r\n\r\n";
    network_.peers["last.test:9000"].answer = "HTTP/1.0 404 Not Found\r\n\r\n";
    EXPECT_TRUE(run());
    EXPECT_EQ(network_.connects,
              (std::vector<std::string>{"maker.test:8000", "mirror.test:8000", "last.test:9000"}));
    EXPECT_EQ(network_.requests,
              (std::vector<std::string>{kDirectRequest,
                                        "GET /a/ver42.txt HTTP/1.0\nHost: mirror.test\n\n",
                                        "GET /b/ver42.txt HTTP/1.0\nHost: last.test\n\n"}));
    EXPECT_EQ(texts().back(), u"Message: [Updater::run] this game is latest version");
}

TEST_F(UpdaterTest, ProxyGetsTheAbsoluteFormAndFallsBackToDirect) {
    setenv("http_proxy", "http://proxy.test:3128/", 1);
    network_.peers["proxy.test:3128"].answer = "HTTP/1.0 404 Not Found\r\n\r\n";
    EXPECT_TRUE(run());
    EXPECT_EQ(network_.requests,
              std::vector<std::string>{"GET http://maker.test:8000/game/ver42.txt HTTP/1.0\n\n"});
    EXPECT_EQ(texts().front(), u"Message: [Updater::run] using proxy[proxy.test:3128]");

    // Refused at once, and failing while pending: both retry directly in the same check.
    for (bool whilePending : {false, true}) {
        SCOPED_TRACE(whilePending);
        ReportCapture::entries().clear();
        network_.connects.clear();
        network_.requests.clear();
        network_.peers["proxy.test:3128"] = {};
        network_.peers["proxy.test:3128"].refuses = !whilePending;
        network_.peers["proxy.test:3128"].failsWhilePending = whilePending;
        network_.peers["maker.test:8000"].answer = "HTTP/1.0 404 Not Found\r\n\r\n";
        EXPECT_TRUE(run());
        EXPECT_EQ(network_.connects,
                  (std::vector<std::string>{"proxy.test:3128", "maker.test:8000"}));
        // Nothing went to the proxy; the direct connection got the origin form.
        for (const std::string& request : network_.requests)
            EXPECT_EQ(request.find("http://"), std::string::npos);
        EXPECT_EQ(network_.requests.back(), kDirectRequest);
        EXPECT_EQ(texts()[1], u"Message: [Updater::run] can't connect, try to connect directly");
    }
}

TEST_F(UpdaterTest, EndsWithoutStoppingTheGame) {
    // No server at all.
    EXPECT_TRUE(run());
    EXPECT_EQ(texts().back(), u"Message: [Updater::run] can't connect");

    // A silent server: the check gives up once 5000 ms have passed.
    network_.peers["maker.test:8000"].silent = true;
    const uint32_t start = clock_.milliseconds();
    EXPECT_TRUE(run());
    EXPECT_EQ(clock_.milliseconds() - start, 5000u);

    // Cancel: the quit request fails the next pump step.
    network_.peers["maker.test:8000"] = {};
    network_.peers["maker.test:8000"].answer = "HTTP/1.0 200 OK\r\n\r\n";
    dialogs_.pumps = 0;
    dialogs_.pumpsBeforeQuit = 1;
    EXPECT_TRUE(run());
    EXPECT_TRUE(dialogs_.newerVersionTitle.empty());

    // No progress dialog: nothing is tried.
    dialogs_.progressOpens = false;
    network_.connects.clear();
    EXPECT_TRUE(run());
    EXPECT_TRUE(network_.connects.empty());
}

TEST_F(UpdaterTest, LongLinesAreCutAt1024Bytes) {
    // The status line is cut after 1024 bytes, so the status is read from its first part.
    network_.peers["maker.test:8000"].answer =
        "HTTP/1.0 404 " + std::string(2000, 'x') + "\r\n\r\n";
    EXPECT_TRUE(run());
    EXPECT_EQ(texts().back(), u"Message: [Updater::run] this game is latest version");
}

}  // namespace
}  // namespace tessera::test
