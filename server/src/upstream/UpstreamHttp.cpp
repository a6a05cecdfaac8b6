// SPDX-License-Identifier: MIT
#include "UpstreamHttp.h"

#include <curl/curl.h>
#include <memory>

namespace {

struct Transfer {
    const UpstreamHttp::Request* request = nullptr;
    std::string body;
    bool tooLarge = false;
};

std::size_t collect(char* data, std::size_t size, std::size_t count, void* context)
{
    auto* transfer = static_cast<Transfer*>(context);
    const std::size_t length = size * count;
    // Counted before it is kept: an answer one byte over the cap is refused.
    if (transfer->body.size() + length > transfer->request->maxBytes) {
        transfer->tooLarge = true;
        return 0;
    }
    transfer->body.append(data, length);
    return length;
}

int progress(void* context, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* transfer = static_cast<Transfer*>(context);
    return transfer->request->cancelled && transfer->request->cancelled->load() ? 1 : 0;
}

UpstreamHttp::Outcome outcomeOf(CURLcode code, bool tooLarge)
{
    if (tooLarge || code == CURLE_FILESIZE_EXCEEDED)
        return UpstreamHttp::Outcome::TooLarge;
    switch (code) {
    case CURLE_OK:
        return UpstreamHttp::Outcome::Answered;
    case CURLE_OPERATION_TIMEDOUT:
        return UpstreamHttp::Outcome::TimedOut;
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_GOT_NOTHING:
    case CURLE_PARTIAL_FILE:
        return UpstreamHttp::Outcome::Reset;
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_CONNECT:
        return UpstreamHttp::Outcome::Unreachable;
    case CURLE_ABORTED_BY_CALLBACK:
        return UpstreamHttp::Outcome::Cancelled;
    default:
        return UpstreamHttp::Outcome::Failed;
    }
}

} // namespace

UpstreamHttp::Response UpstreamHttp::send(const Request& request)
{
    Response response;
    std::unique_ptr<CURL, decltype(&curl_easy_cleanup)> curl(curl_easy_init(), curl_easy_cleanup);
    if (!curl) {
        response.error = "cannot start libcurl";
        return response;
    }
    Transfer transfer;
    transfer.request = &request;
    CURL* c = curl.get();
    curl_easy_setopt(c, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(c, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(c, CURLOPT_FOLLOWLOCATION, 0L);
    // A proxy from the environment would connect elsewhere than the address
    // that was checked.
    curl_easy_setopt(c, CURLOPT_PROXY, "");
    curl_easy_setopt(c, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(c, CURLOPT_TIMEOUT_MS, long(request.timeout.count()));
    curl_easy_setopt(c, CURLOPT_MAXFILESIZE_LARGE, curl_off_t(request.maxBytes));
    curl_easy_setopt(c, CURLOPT_WRITEFUNCTION, collect);
    curl_easy_setopt(c, CURLOPT_WRITEDATA, &transfer);
    curl_easy_setopt(c, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(c, CURLOPT_XFERINFOFUNCTION, progress);
    curl_easy_setopt(c, CURLOPT_XFERINFODATA, &transfer);
    curl_easy_setopt(c, CURLOPT_USERAGENT, "sorvantel-server");
    char errorText[CURL_ERROR_SIZE] = {};
    curl_easy_setopt(c, CURLOPT_ERRORBUFFER, errorText);

    curl_slist* headers = nullptr;
    for (const std::string& header : request.headers)
        headers = curl_slist_append(headers, header.c_str());
    curl_slist* resolve = nullptr;
    for (const std::string& entry : request.resolve)
        resolve = curl_slist_append(resolve, entry.c_str());
    curl_easy_setopt(c, CURLOPT_HTTPHEADER, headers);
    curl_easy_setopt(c, CURLOPT_RESOLVE, resolve);
    if (request.method == "POST") {
        curl_easy_setopt(c, CURLOPT_POSTFIELDS, request.body.data());
        curl_easy_setopt(c, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
    }

    const CURLcode code = curl_easy_perform(c);
    response.outcome = outcomeOf(code, transfer.tooLarge);
    response.error = errorText[0] ? errorText : curl_easy_strerror(code);
    if (response.outcome == Outcome::Answered) {
        long status = 0;
        curl_easy_getinfo(c, CURLINFO_RESPONSE_CODE, &status);
        response.status = int(status);
        const char* type = nullptr;
        if (curl_easy_getinfo(c, CURLINFO_CONTENT_TYPE, &type) == CURLE_OK && type)
            response.contentType = type;
        const char* location = nullptr;
        if (curl_easy_getinfo(c, CURLINFO_REDIRECT_URL, &location) == CURLE_OK && location)
            response.redirectUrl = location;
        response.body = std::move(transfer.body);
    }
    curl_slist_free_all(headers);
    curl_slist_free_all(resolve);
    return response;
}
