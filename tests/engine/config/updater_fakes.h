#pragma once
#include <map>
#include <string>
#include <vector>

#include "engine/config/updater_link.h"

namespace tessera::test {

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
    void closeProgress() override { ++progressCloses; }

    bool progressOpens = true;
    int pumps = 0;
    int pumpsBeforeQuit = 1 << 30;
    bool progressShown = false;
    Answer answer = Answer::Ok;
    std::u16string newerVersionTitle;
    int progressCloses = 0;
};

}  // namespace tessera::test
