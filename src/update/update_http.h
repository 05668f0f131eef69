// The worker's HTTP GETs through WinINet, inside the session the job's Cancel closes. Worker thread only.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/wininet_api.h"
#include "update/update_core.h"
#include "update/update_job_core.h"

struct NetSession {
    WinInetApi& api;
    UpdateJobShare& share;
    HINTERNET session;
};

// A request opened in the session; closed through the share, so that nothing is closed twice after Cancel.
class HttpRequest {
public:
    explicit HttpRequest(const NetSession& net) : net_(net) {}
    ~HttpRequest() { Close(); }
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;
    HINTERNET get() const { return handle_; }
    void Reset(HINTERNET handle) {
        Close();
        handle_ = handle;
    }
    void Close() {
        if (handle_) net_.share.CloseInSession(handle_);
        handle_ = nullptr;
    }

private:
    const NetSession& net_;
    HINTERNET handle_ = nullptr;
};

// Opens the session with the program's user agent and the time-outs; null on failure.
HINTERNET OpenInternetSession(WinInetApi& api, DWORD timeoutMs);
// The share's way of closing a handle: context is the WinInetApi.
void CloseInternetHandle(void* context, void* handle);

// GET of url, redirects not followed; true with the request open only when the server answered 200.
[[nodiscard]] bool OpenUrl(const NetSession& net, const std::string& url, HttpRequest* request);

enum class BodyEnd { Complete, Failed, TooLarge };
// The whole body in memory, stopped as soon as it grows past cap bytes or Cancel is requested.
BodyEnd ReadBody(const NetSession& net, HINTERNET request, size_t cap, std::string* body);

// Fills hasContentLength and contentLength from the response headers.
void ReadContentLength(const NetSession& net, HINTERNET request, DownloadFacts* facts);

// The detached signature at url + ".sig": exactly bytes long and answered with 200, else empty.
std::vector<uint8_t> FetchSignature(const NetSession& net, const std::string& url, size_t bytes);
