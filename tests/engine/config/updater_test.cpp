#include "engine/config/updater.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "platform/os/clock.h"
#include "tests/framework/support/report_capture.h"

namespace tessera::test {
namespace {

// A scripted network: each "host:port" either refuses or answers every request with its
// bytes; an answer-less peer accepts and then stays silent.
class FakeConnection final : public UpdaterConnection {
public:
    struct Peer {
        bool refuses = false;
        bool failsWhilePending = false;
        std::string answer;
        bool silent = false;
    };

    bool connect(const std::u16string& host, int32_t port) override {
        peer_ = nullptr;
        const std::string key = narrow(host) + ":" + std::to_string(port);
        connects.push_back(key);
        auto found = peers.find(key);
        if (found == peers.end() || found->second.refuses) return false;
        // Every started connection records the bytes sent over it.
        peer_ = &found->second;
        state_ = State::Pending;
        received_ = 0;
        requests.emplace_back();
        return true;
    }
    State poll() override {
        if (state_ == State::Pending)
            state_ = peer_->failsWhilePending ? State::Failed : State::Connected;
        return state_;
    }
    size_t sendBufferSize() override { return 7; }  // forces partial sends
    Io send(const char* data, size_t size, size_t* sent) override {
        requests.back().append(data, size);
        *sent = size;
        return Io::Done;
    }
    Io receiveByte(uint8_t* byte) override {
        if (peer_->silent) return Io::WouldBlock;
        if (received_ >= peer_->answer.size()) {
            state_ = State::Failed;
            return Io::Failed;
        }
        *byte = static_cast<uint8_t>(peer_->answer[received_++]);
        return Io::Done;
    }
    void close() override { ++closes; }

    static std::string narrow(const std::u16string& text) {
        return std::string(text.begin(), text.end());
    }

    std::map<std::string, Peer> peers;
    std::vector<std::string> connects;
    std::vector<std::string> requests;
    int closes = 0;

private:
    Peer* peer_ = nullptr;
    State state_ = State::Failed;
    size_t received_ = 0;
};

class FakeDialogs final : public UpdaterDialogs {
public:
    bool openProgress() override {
        progressShown = true;
        return progressOpens;
    }
    bool pumpMessages() override { return ++pumps <= pumpsBeforeQuit; }
    Answer showNewerVersion(const char16_t* shortTitle) override {
        newerVersionTitle = shortTitle;
        return answer;
    }
    void openUrl(const std::u16string& url) override { openedUrls.push_back(url); }

    bool progressOpens = true;
    int pumps = 0;
    int pumpsBeforeQuit = 1 << 30;
    bool progressShown = false;
    Answer answer = Answer::Ok;
    std::u16string newerVersionTitle;
    std::vector<std::u16string> openedUrls;
};

class UpdaterTest : public ::testing::Test {
protected:
    UpdaterTest() {
        platform::os::setClock(&clock_);
        unsetenv("http_proxy");
    }
    ~UpdaterTest() override {
        platform::os::setClock(nullptr);
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
    ReportCapture capture_;
};

const std::string kDirectRequest = "GET /game/ver42.txt HTTP/1.0\nHost: maker.test\n\n";

TEST_F(UpdaterTest, NewerVersionDialogAndItsLink) {
    network_.peers["maker.test:8000"].answer = "HTTP/1.0 200 OK\r\n\r\n";
    EXPECT_TRUE(run());  // "OK" goes on
    EXPECT_EQ(dialogs_.newerVersionTitle, u"Short");
    EXPECT_TRUE(dialogs_.openedUrls.empty());
    EXPECT_EQ(network_.requests, std::vector<std::string>{kDirectRequest});
    EXPECT_EQ(texts(),
              (std::vector<std::u16string>{u"Message: [Updater::run] connected",
                                           u"Message: [Updater::run] newer version is here!"}));

    dialogs_.answer = UpdaterDialogs::Answer::Link;
    EXPECT_FALSE(run());
    EXPECT_EQ(dialogs_.openedUrls, std::vector<std::u16string>{u"http://maker.test:8000/"});
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
