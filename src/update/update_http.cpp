#include "update/update_http.h"

namespace {

DWORD RequestFlags(const std::string& url) {
    DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE | INTERNET_FLAG_NO_AUTO_REDIRECT |
                  INTERNET_FLAG_NO_COOKIES | INTERNET_FLAG_NO_UI;
    const std::optional<HttpUrl> parsed = ParseHttpUrl(url);
    if (parsed && parsed->server.https) flags |= INTERNET_FLAG_SECURE;
    return flags;
}

} // namespace

HINTERNET OpenInternetSession(WinInetApi& api, DWORD timeoutMs) {
    HINTERNET session = api.InternetOpenA(kUpdateUserAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
    if (!session) return nullptr;
    // A server that accepts and never answers would otherwise hold the worker for minutes.
    for (DWORD option :
         {INTERNET_OPTION_CONNECT_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT, INTERNET_OPTION_RECEIVE_TIMEOUT})
        api.InternetSetOptionA(session, option, &timeoutMs, sizeof timeoutMs);
    return session;
}

void CloseInternetHandle(void* context, void* handle) {
    static_cast<WinInetApi*>(context)->InternetCloseHandle(static_cast<HINTERNET>(handle));
}

bool OpenUrl(const NetSession& net, const std::string& url, HttpRequest* request) {
    request->Reset(nullptr);
    if (!ParseHttpUrl(url) || net.share.CancelRequested()) return false;
    request->Reset(net.api.InternetOpenUrlA(net.session, url.c_str(), nullptr, 0, RequestFlags(url), 0));
    if (!request->get()) return false;
    DWORD status = 0, size = sizeof status;
    if (!net.api.HttpQueryInfoA(request->get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &size,
                                nullptr) ||
        status != 200) {
        request->Close();
        return false;
    }
    return true;
}

BodyEnd ReadBody(const NetSession& net, HINTERNET request, size_t cap, std::string* body) {
    body->clear();
    char piece[2047];
    for (;;) {
        if (net.share.CancelRequested()) return BodyEnd::Failed;
        DWORD got = 0;
        if (!net.api.InternetReadFile(request, piece, sizeof piece, &got)) return BodyEnd::Failed;
        if (got == 0) return BodyEnd::Complete;
        if (body->size() + got > cap) return BodyEnd::TooLarge;
        body->append(piece, got);
    }
}

void ReadContentLength(const NetSession& net, HINTERNET request, DownloadFacts* facts) {
    char text[64] = {};
    DWORD size = sizeof text - 1;
    if (!net.api.HttpQueryInfoA(request, HTTP_QUERY_CONTENT_LENGTH, text, &size, nullptr)) {
        // A header too long for any sensible length is there but no number.
        facts->hasContentLength = GetLastError() == ERROR_INSUFFICIENT_BUFFER;
        facts->contentLength.reset();
        return;
    }
    facts->hasContentLength = true;
    facts->contentLength = ParseContentLength(std::string_view(text, size < sizeof text ? size : sizeof text - 1));
}

std::vector<uint8_t> FetchSignature(const NetSession& net, const std::string& url, size_t bytes) {
    HttpRequest request(net);
    std::string body;
    if (!OpenUrl(net, url + kSignatureSuffix, &request) ||
        ReadBody(net, request.get(), bytes, &body) != BodyEnd::Complete || body.size() != bytes)
        return {};
    return std::vector<uint8_t>(body.begin(), body.end());
}
