// A small HTTP server of the tests on 127.0.0.1 (a free port): each path answers with its
// scripted status and body, one connection at a time, and every request line is recorded.
//
//   UpdateServer server;
//   server.Serve("/list.txt", {200, "<UpdateInfo .../>"});
//   server.Url("/list.txt")   // L"http://127.0.0.1:<port>/list.txt"
#pragma once
#include <windows.h>
#include <winsock2.h>

#include <atomic>
#include <cstdio>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace testing_support {

struct ServedReply {
    int status = 200;
    std::string body;
    bool sendLength = true;       // a Content-Length header
    size_t dropAfter = SIZE_MAX;  // the connection is closed after this many body bytes
    std::string lengthText;       // another Content-Length text than the body's size

    ServedReply() = default;
    ServedReply(int status_, std::string body_ = {}, bool sendLength_ = true,
                size_t dropAfter_ = SIZE_MAX, std::string lengthText_ = {})
        : status(status_),
          body(std::move(body_)),
          sendLength(sendLength_),
          dropAfter(dropAfter_),
          lengthText(std::move(lengthText_)) {}
};

class UpdateServer {
public:
    UpdateServer() {
        WSADATA wsa;
        WSAStartup(MAKEWORD(2, 2), &wsa);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        a.sin_port = 0;
        int len = sizeof a;
        if (listener_ == INVALID_SOCKET || bind(listener_, reinterpret_cast<sockaddr*>(&a), len) ||
            listen(listener_, 8) || getsockname(listener_, reinterpret_cast<sockaddr*>(&a), &len))
            return;
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~UpdateServer() {
        stopping_ = true;
        closesocket(listener_);
        if (thread_.joinable()) thread_.join();
        WSACleanup();
    }
    UpdateServer(const UpdateServer&) = delete;
    UpdateServer& operator=(const UpdateServer&) = delete;

    int port() const { return port_; }
    std::wstring Url(const char* path) const {
        wchar_t url[256];
        _snwprintf(url, 256, L"http://127.0.0.1:%d%hs", port_, path);
        url[255] = 0;
        return url;
    }
    void Serve(const std::string& path, ServedReply reply) {
        std::lock_guard<std::mutex> lock(mutex_);
        replies_[path] = std::move(reply);
    }
    // The request targets (path and query) in the order they came.
    std::vector<std::string> Requests() const {
        std::lock_guard<std::mutex> lock(mutex_);
        return requests_;
    }

private:
    void Run() {
        while (!stopping_) {
            SOCKET s = accept(listener_, nullptr, nullptr);
            if (s == INVALID_SOCKET) break;
            Answer(s);
            shutdown(s, SD_BOTH);
            closesocket(s);
        }
    }

    static bool SendAll(SOCKET s, const char* data, size_t size) {
        while (size > 0) {
            const int n = send(s, data, static_cast<int>(size), 0);
            if (n <= 0) return false;
            data += n;
            size -= static_cast<size_t>(n);
        }
        return true;
    }

    void Answer(SOCKET s) {
        std::string request;
        char piece[1024];
        while (request.find("\r\n\r\n") == std::string::npos && request.size() < 65536) {
            const int n = recv(s, piece, sizeof piece, 0);
            if (n <= 0) return;
            request.append(piece, static_cast<size_t>(n));
        }
        const size_t sp1 = request.find(' ');
        const size_t sp2 = request.find(' ', sp1 + 1);
        if (sp1 == std::string::npos || sp2 == std::string::npos) return;
        const std::string target = request.substr(sp1 + 1, sp2 - sp1 - 1);
        const std::string path = target.substr(0, target.find('?'));
        ServedReply reply{404, "not found"};
        {
            std::lock_guard<std::mutex> lock(mutex_);
            requests_.push_back(target);
            if (auto it = replies_.find(path); it != replies_.end()) reply = it->second;
        }
        std::string head = "HTTP/1.1 " + std::to_string(reply.status) +
                           (reply.status == 200 ? " OK" : " Error") + "\r\n";
        if (reply.sendLength)
            head +=
                "Content-Length: " +
                (reply.lengthText.empty() ? std::to_string(reply.body.size()) : reply.lengthText) +
                "\r\n";
        head += "Content-Type: application/octet-stream\r\nConnection: close\r\n\r\n";
        if (!SendAll(s, head.data(), head.size())) return;
        const size_t n = reply.body.size() < reply.dropAfter ? reply.body.size() : reply.dropAfter;
        SendAll(s, reply.body.data(), n);
    }

    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
    mutable std::mutex mutex_;
    std::map<std::string, ServedReply> replies_;
    std::vector<std::string> requests_;
};

// Proxy variables of the environment would send the requests elsewhere.
inline void ClearProxyVariables() {
    for (const wchar_t* name : {L"http_proxy", L"https_proxy", L"HTTP_PROXY", L"HTTPS_PROXY",
                                L"all_proxy", L"ALL_PROXY"}) {
        SetEnvironmentVariableW(name, nullptr);
        _wputenv_s(name, L"");
    }
}

}  // namespace testing_support
