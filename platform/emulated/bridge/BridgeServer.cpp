#include "platform/emulated/bridge/BridgeServer.h"

#include <atomic>
#include <map>
#include <mutex>
#include <thread>

#include "platform/ComError.h"
#include "platform/bridge/BridgeChannel.h"
#include "platform/bridge/BridgeErrors.h"
#include "platform/bridge/BridgeListener.h"
#include "platform/emulated/bridge/ServedClasses.h"
#include "platform/emulated/bridge/WinePaths.h"
#include "platform/emulated/bridge/WineProcess.h"

namespace platform::emulated {

namespace {

// A Wine process introduces itself within this time after connecting.
constexpr int kIntroductionLimitMs = 30000;

}  // namespace

struct BridgeServer::State {
    bridge::Listener listener;
    std::string token = wine::NewBridgeToken();
    std::atomic<bool> stopping{false};
    std::mutex mutex;
    std::map<int, bridge::Channel*> open;
    std::vector<std::thread> connections;
    std::thread acceptor;

    void Accept() {
        int next = 0;
        while (!stopping) {
            std::unique_ptr<bridge::Socket> socket = listener.Accept(100);
            if (!socket)
                continue;
            std::lock_guard lock(mutex);
            connections.emplace_back([this, id = next++, socket = std::move(socket)]() mutable {
                Serve(id, std::move(socket));
            });
        }
    }
    // One connection, on its own thread: what it created, and the Windows
    // host it started, go when it ends.
    void Serve(int id, std::unique_ptr<bridge::Socket> socket) {
        try {
            auto channel = bridge::Channel::Accept(std::move(socket), token, kIntroductionLimitMs);
            served::ServePlatform(*channel);
            {
                std::lock_guard lock(mutex);
                if (stopping)
                    return;
                open[id] = channel.get();
            }
            try {
                channel->Serve();
            } catch (const ComError&) {
                // A peer that broke the protocol was told why; its
                // connection is over either way.
            }
            std::lock_guard lock(mutex);
            open.erase(id);
        } catch (const ComError&) {
            // Not one of ours: refused at the introduction.
        }
    }
};

BridgeServer::BridgeServer() : state_(std::make_unique<State>()) {
    state_->acceptor = std::thread([state = state_.get()] { state->Accept(); });
}

BridgeServer::~BridgeServer() {
    state_->stopping = true;
    state_->acceptor.join();
    std::vector<std::thread> connections;
    {
        std::lock_guard lock(state_->mutex);
        for (auto& [id, channel] : state_->open)
            channel->Disconnect();
        connections.swap(state_->connections);
    }
    for (std::thread& connection : connections)
        connection.join();
}

std::map<std::string, std::string> BridgeServer::ClientEnvironment() const {
    return wine::BridgeEnvironment(state_->listener.Port(), state_->token);
}

int RunWindowsProgram(const std::string& program, const std::vector<std::string>& arguments) {
    const std::string bin = wine::WindowsBinFolder();
    const std::string prefix = wine::PrefixFolder();
    wine::PreparePrefix(prefix, bin);
    BridgeServer server;
    const wine::ProgramRun run = wine::OnTheRunsDesktop(program, arguments, bin);
    const pid_t process =
        wine::StartWindowsProgram(run.program, run.arguments,
                                  wine::WineEnvironment(prefix, server.ClientEnvironment()), false);
    return wine::WaitForProcess(process, -1);
}

}  // namespace platform::emulated
